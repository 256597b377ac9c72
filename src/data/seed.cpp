#include "data/seed.h"

#include <memory>
#include <string_view>
#include <vector>

#include "data/records.h"
#include "data/tables.h"
#include "data/text_fields.h"
#include "platform/store/errors.h"
#include "platform/store/table.h"

namespace zem::data {
namespace {

struct SiteSeed {
    std::int32_t id;
    std::string_view name;
    bool active;
    std::string_view actions;  // call-to-action lines, CR LF between them
    // An ad's headline (at most 25 characters) and two description lines (at most 35 each),
    // the limits AdWords sets; the placeholders are counted as written.
    std::string_view adwords[3];
};

// Texts are code page 1252, as the store windows show them. Amazon JP gets English examples:
// its windows use Shift-JIS, where only ASCII reads the same.
constexpr SiteSeed kSites[] = {
    {1,
     "Amazon US",
     true,
     "Buy {KEYWORD} now and save {SAVINGS%}\r\n"
     "Only {PRICE} - you save {SAVINGS}\r\n"
     "Get {KEYWORD} at Amazon today",
     {"{KEYWORD} Deals", "Save {SAVINGS%} on {KEYWORD} today.",
      "Only {PRICE} at Amazon. Order now!"}},
    {2,
     "Amazon UK",
     false,
     "Order {KEYWORD} now and save {SAVINGS%}\r\n"
     "Just {PRICE} - you save {SAVINGS}\r\n"
     "{KEYWORD} from Amazon.co.uk",
     {"{KEYWORD} Offers", "Save {SAVINGS%} on {KEYWORD} today.", "Just {PRICE} at Amazon.co.uk."}},
    {4,
     "Amazon FR",
     false,
     "Achetez {KEYWORD} et \xE9"
     "conomisez {SAVINGS%}\r\n"
     "Seulement {PRICE}, vous \xE9"
     "conomisez {SAVINGS}\r\n"
     "{KEYWORD} sur Amazon.fr",
     {"Promo {KEYWORD}",
      "\xC9"
      "conomisez {SAVINGS%} sur {KEYWORD}",
      "Seulement {PRICE} chez Amazon."}},
    {8,
     "Amazon DE",
     false,
     "{KEYWORD} jetzt kaufen und {SAVINGS%} sparen\r\n"
     "Nur {PRICE} - Sie sparen {SAVINGS}\r\n"
     "{KEYWORD} bei Amazon.de bestellen",
     {"{KEYWORD} Angebote", "Sparen Sie {SAVINGS%} bei {KEYWORD}", "Nur {PRICE} bei Amazon.de."}},
    {16,
     "Amazon JP",
     false,
     "Buy {KEYWORD} now and save {SAVINGS%}\r\n"
     "Only {PRICE} - you save {SAVINGS}",
     {"{KEYWORD} Sale", "Save {SAVINGS%} on {KEYWORD} today.", "Only {PRICE} at Amazon.co.jp."}},
    {32,
     "Amazon CA",
     false,
     "Shop {KEYWORD} and save {SAVINGS%}\r\n"
     "Only {PRICE} - you save {SAVINGS}\r\n"
     "{KEYWORD} from Amazon.ca",
     {"{KEYWORD} Deals", "Save {SAVINGS%} on {KEYWORD} today.", "Only {PRICE} at Amazon.ca."}},
};

struct BrowserSeed {
    std::int32_t id;
    std::string_view name;
    std::string_view userAgent;
};

// Current desktop browsers. Edge's agent text is longer than the 120 characters the field
// holds, so the fourth choice is Firefox on Windows.
constexpr BrowserSeed kBrowsers[] = {
    {1, "Firefox on Linux",
     "Mozilla/5.0 (X11; Linux x86_64; rv:140.0) Gecko/20100101 Firefox/140.0"},
    {2, "Chrome on Windows",
     "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
     "Chrome/138.0.0.0 Safari/537.36"},
    {3, "Safari on macOS",
     "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like Gecko) "
     "Version/18.5 Safari/605.1.15"},
    {4, "Firefox on Windows",
     "Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:140.0) Gecko/20100101 Firefox/140.0"},
};

constexpr bool AgentsFit() {
    for (const BrowserSeed& browser : kBrowsers) {
        if (browser.userAgent.size() > sizeof(BrowsersRecord::USERAGENT)) return false;
    }
    return true;
}
static_assert(AgentsFit());

constexpr TableId kPhysicalTables[] = {TableId::Sites,    TableId::Nodes,      TableId::Catalogs,
                                       TableId::Brands,   TableId::Queries,    TableId::Goods,
                                       TableId::Browsers, TableId::Sysinfo,    TableId::TagSet_,
                                       TableId::TagFile_, TableId::TagFilePos_};

int CreateTables(store::DataFile& file) {
    for (const TableId id : kPhysicalTables) {
        const store::TableDef& def = Def(id);
        std::vector<std::byte> buffer(def.recordSize);
        store::Table table(file, def, buffer.data());
        if (const int rc = table.Open(); rc != store::NoError) return rc;
        table.Close();
    }
    return store::NoError;
}

int AddSites(store::DataFile& file) {
    auto record = std::make_unique<SitesRecord>();
    store::Table table(file, Def(TableId::Sites), record.get());
    if (const int rc = table.Open(); rc != store::NoError) return rc;
    for (const SiteSeed& site : kSites) {
        table.ClearBuffer();
        record->ID = site.id;
        SetString(record->NAME, site.name);
        SetCString(record->ACTIONS, site.actions);
        for (int line = 0; line < 3; ++line) SetCString(record->ADWORDS[line], site.adwords[line]);
        record->ISACTIVE = site.active ? 1 : 0;
        if (const int rc = table.Add(); rc != store::NoError) return rc;
    }
    table.Close();
    return store::NoError;
}

int AddBrowsers(store::DataFile& file) {
    auto record = std::make_unique<BrowsersRecord>();
    store::Table table(file, Def(TableId::Browsers), record.get());
    if (const int rc = table.Open(); rc != store::NoError) return rc;
    for (const BrowserSeed& browser : kBrowsers) {
        table.ClearBuffer();
        record->ID = browser.id;
        SetString(record->NAME, browser.name);
        SetString(record->USERAGENT, browser.userAgent);
        if (const int rc = table.Add(); rc != store::NoError) return rc;
    }
    table.Close();
    return store::NoError;
}

}  // namespace

int SeedNewFile(store::DataFile& file) {
    if (const int rc = CreateTables(file); rc != store::NoError) return rc;
    if (const int rc = AddSites(file); rc != store::NoError) return rc;
    return AddBrowsers(file);
}

}  // namespace zem::data
