#include "web/search_indexes.h"

#include <iterator>

namespace zem::web {
namespace {

// Captions and SearchIndex names go to the service and the user exactly as written here.
constexpr SearchIndexEntry kUS[] = {
    {"Apparel", "Apparel", 1036682},
    {"Automotive", "Automotive", 228013},
    {"Baby Products", "Baby", 165797011},
    {"Tools & Accessories", "Beauty", 11055981},
    {"Specialty Stores", "Blended", 13900821},
    {"Books", "Books", 1000},
    {"Music (classical)", "Classical", 301668},
    {"DigitalMusic", "DigitalMusic", 301668},
    {"DVD", "DVD", 130},
    {"Electronics", "Electronics", 13900851},
    {"Gourmet Food", "GourmetFood", 3580501},
    {"Gourmet Food", "GourmetFood", 3580501},
    {"Grocery", "Grocery", 3580501},
    {"Health & Personal Care Outlet Store", "HealthPersonalCare", 3760931},
    {"Home & Garden", "HomeGarden", 13900831},
    {"Industrial & Scientific", "Industrial", 228013},
    {"Jewelry", "Jewelry", 10699371},
    {"Kitchen", "Kitchen", 13900821},
    {"Magazines", "Magazines", 604876},
    {"Merchants", "Merchants", 1063498},
    {"Miscellaneous", "Miscellaneous", 409488},
    {"Music", "Music", 301668},
    {"Musical Instruments", "MusicalInstruments", 13900851},
    {"Music Tracks", "MusicTracks", 301668},
    {"Office Products", "OfficeProducts", 1084128},
    {"Outdoor Living", "OutdoorLiving", 13900831},
    {"PC & Hardware", "PCHardware", 493964},
    {"Pet Supplies", "PetSupplies", 1063498},
    {"Photo", "Photo", 493964},
    {"Software", "Software", 409488},
    {"Sporting Goods", "SportingGoods", 130},
    {"Tools", "Tools", 228013},
    {"Toys", "Toys", 13900851},
    {"VHS", "VHS", 404272},
    {"Video", "Video", 130},
    {"Video Games", "VideoGames", 11846801},
    {"Wireless", "Wireless", 408234},
    {"WirelessAccessories", "WirelessAccessories", 408234},
};

constexpr SearchIndexEntry kUK[] = {
    {"Specialty Stores", "Blended", 11052591},
    {"Books", "Books", 1025612},
    {"Music (classical)", "Classical", 520920},
    {"DVD", "DVD", 283926},
    {"Electronics", "Electronics", 560800},
    {"Health & Personal Care Outlet Store", "HealthPersonalCare", 11052591},
    {"Home & Garden", "HomeGarden", 11052591},
    {"Kitchen", "Kitchen", 11052591},
    {"Music", "Music", 520920},
    {"Music Tracks", "MusicTracks", 520920},
    {"Outdoor Living", "OutdoorLiving", 11052591},
    {"Software", "Software", 560800},
    {"Software Video Games", "SoftwareVideoGames", 1025616},
    {"Sporting Goods", "SportingGoods", 319530011},
    {"Tools", "Tools", 11052591},
    {"Toys", "Toys", 595312},
    {"VHS", "VHS", 573398},
    {"Video", "Video", 283926},
    {"Video Games", "VideoGames", 1025616},
    {"Watches", "Watches", 328230011},
};

constexpr SearchIndexEntry kJP[] = {
    {"Specialty Stores", "Blended", 562032},
    {"Books", "Books", 465610},
    {"Music (classical)", "Classical", 562034},
    {"DVD", "DVD", 562002},
    {"Electronics", "Electronics", 3510411},
    {"Foreign Books", "ForeignBooks", 465610},
    {"Health & Personal Care Outlet Store", "HealthPersonalCare", 161669011},
    {"Hobbies", "Hobbies", 13331821},
    {"Kitchen", "Kitchen", 11717941},
    {"Music", "Music", 562032},
    {"Music Tracks", "MusicTracks", 562032},
    {"Software", "Software", 637630},
    {"Sporting Goods", "SportingGoods", 14315361},
    {"Toys", "Toys", 13331821},
    {"VHS", "VHS", 561974},
    {"Video", "Video", 562004},
    {"Video Games", "VideoGames", 1060426},
    {"Watches", "Watches", 15740941},
};

constexpr SearchIndexEntry kFR[] = {
    {"Specialty Stores", "Blended", 301164},
    {"Books", "Books", 301130},
    {"Music (classical)", "Classical", 301164},
    {"DVD", "DVD", 409392},
    {"Electronics", "Electronics", 13910671},
    {"Foreign Books", "ForeignBooks", 301130},
    {"Music", "Music", 301164},
    {"Music Tracks", "MusicTracks", 301164},
    {"Software", "Software", 547972},
    {"Software Video Games", "SoftwareVideoGames", 548014},
    {"VHS", "VHS", 301176},
    {"Video Games", "VideoGames", 548738},
};

constexpr SearchIndexEntry kDE[] = {
    {"Specialty Stores", "Blended", 3169011},
    {"Books", "Books", 541686},
    {"Music (classical)", "Classical", 542676},
    {"DVD", "DVD", 547664},
    {"Electronics", "Electronics", 569604},
    {"Foreign Books", "ForeignBooks", 541686},
    {"Health & Personal Care Outlet Store", "HealthPersonalCare", 569604},
    {"Home & Garden", "HomeGarden", 3312411},
    {"Kitchen", "Kitchen", 3169011},
    {"Magazines", "Magazines", 1161660},
    {"Music", "Music", 542676},
    {"Music Tracks", "MusicTracks", 542676},
    {"Outdoor Living", "OutdoorLiving", 10925241},
    {"PC & Hardware", "PCHardware", 578122},
    {"Photo", "Photo", 578122},
    {"Software", "Software", 541708},
    {"Software Video Games", "SoftwareVideoGames", 541708},
    {"Sporting Goods", "SportingGoods", 16435121},
    {"Tools", "Tools", 10925241},
    {"Toys", "Toys", 12950661},
    {"VHS", "VHS", 547082},
    {"Video", "Video", 547664},
    {"Video Games", "VideoGames", 578122},
    {"Watches", "Watches", 328807011},
};

constexpr SearchIndexEntry kCA[] = {
    {"Specialty Stores", "Blended", 962454},
    {"Books", "Books", 927726},
    {"Music (classical)", "Classical", 962454},
    {"DVD", "DVD", 952768},
    {"Foreign Books", "ForeignBooks", 927726},
    {"Music", "Music", 962454},
    {"Software", "Software", 3234171},
    {"Software Video Games", "SoftwareVideoGames", 110218011},
    {"VHS", "VHS", 927726},
    {"Video", "Video", 952768},
    {"Video Games", "VideoGames", 110218011},
};

static_assert(std::size(kUS) == 38 && std::size(kUK) == 20 && std::size(kJP) == 18 &&
              std::size(kFR) == 12 && std::size(kDE) == 24 && std::size(kCA) == 11);

}  // namespace

std::span<const SearchIndexEntry> SearchIndexesOf(std::int32_t siteFlag) {
    switch (siteFlag) {
        case 1:
            return kUS;
        case 2:
            return kUK;
        case 4:
            return kFR;
        case 8:
            return kDE;
        case 16:
            return kJP;
        case 32:
            return kCA;
        default:
            return {};
    }
}

}  // namespace zem::web
