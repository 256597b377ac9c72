#pragma once
// The record buffers of the data file's tables, packed in stored field order so each struct is
// byte for byte the record the store reads and writes. STRING fields are blank-padded, CSTRING
// fields NUL-terminated; a DIM field is an array of equal elements.
#include <cstdint>

namespace zem::data {

#pragma pack(push, 1)

// One Amazon store; ID is its SiteFlag (1 US, 2 UK, 4 FR, 8 DE, 16 JP, 32 CA). Also aSites.
struct SitesRecord {
    std::int32_t ID;
    char NAME[120];        // STRING
    char AFFILATEID[21];   // CSTRING
    char ACTIONS[4096];    // CSTRING, lines separated by CR LF
    char ADWORDS[3][256];  // CSTRING DIM(3)
    std::uint8_t ISACTIVE;
};

// A browse node of the catalog tree. Also aNodes.
struct NodesRecord {
    std::int32_t ID;
    std::int32_t PARENT;
    std::int32_t NODE;
    char NAME[256];  // CSTRING
    std::int32_t FLAGS;
};

// A catalog of a store's tree. Also aCatalogs.
struct CatalogsRecord {
    std::int32_t ID;
    std::int32_t PARENT;
    char NAME[256];  // CSTRING
    std::int32_t NODE;
    char CATALOG[81];  // CSTRING
    std::int32_t FLAGS;
    std::uint8_t BYBRAND;
};

struct BrandsRecord {
    std::int32_t ID;
    char NAME[120];  // STRING
};

// A saved item search.
struct QueriesRecord {
    std::int32_t ID;
    std::int32_t BUILDDATE;  // DATE
    std::int32_t BUILDTIME;  // TIME
    std::uint8_t SITE;
    std::int32_t CATALOG;
    std::int32_t NODE;
    char NAME[120];       // STRING
    char KEYWORDS[1024];  // CSTRING
    double MINPRICE;
    double MAXPRICE;
    std::int32_t BRAND;
    double SAVING;
};

// An item found for a query.
struct GoodsRecord {
    std::int32_t ID;
    char ASIN[21];  // CSTRING
    std::int32_t QUERY;
    std::int32_t BRAND;
    double RANK;
    char DETAILPAGE[1024];  // CSTRING
    char TITLE[256];        // STRING
    char KEYWORDS[1024];    // CSTRING
    std::int32_t ADS;
    std::int32_t AFFILATIVE;
    char PRICELIST[51];  // CSTRING
    double PRICEREAL;
    char AMAZONPRICE[51];  // CSTRING
    double AMAZONREAL;
    std::uint8_t SHIP;
};

struct BrowsersRecord {
    std::int32_t ID;
    char NAME[120];       // STRING
    char USERAGENT[120];  // STRING
};

// The single configuration record.
struct SysinfoRecord {
    std::int32_t USERAGENT;  // BRO:ID
    std::int32_t MANUAL;
    char PROXY[120];     // CSTRING
    char USER[120];      // CSTRING
    char PASSWORD[120];  // CSTRING
    std::uint8_t USEACCOUNT;
    std::uint8_t USEPASSWORD;
    std::uint8_t CATALOGLEVEL;
    std::uint8_t AUTOLOADBRANDS;
};

struct TagSetRecord {
    std::int16_t TBL;
    std::int32_t USR;
    char SOURCE[50];  // STRING
    std::int32_t DATE;
    std::int32_t COUNT;
    char DESCRIPTION[250];  // STRING
};

struct TagFileRecord {
    std::int32_t USR;
    std::int16_t TBL;
    std::int32_t PTR;
    char VAL[10];  // STRING
};

struct TagFilePosRecord {
    std::int32_t USR;
    std::int16_t TBL;
    char POS[256];  // STRING
    char VAL[10];   // STRING
};

#pragma pack(pop)

static_assert(sizeof(SitesRecord) == 5010);
static_assert(sizeof(NodesRecord) == 272);
static_assert(sizeof(CatalogsRecord) == 354);
static_assert(sizeof(BrandsRecord) == 124);
static_assert(sizeof(QueriesRecord) == 1193);
static_assert(sizeof(GoodsRecord) == 2472);
static_assert(sizeof(BrowsersRecord) == 244);
static_assert(sizeof(SysinfoRecord) == 372);
static_assert(sizeof(TagSetRecord) == 314);
static_assert(sizeof(TagFileRecord) == 20);
static_assert(sizeof(TagFilePosRecord) == 272);

}  // namespace zem::data
