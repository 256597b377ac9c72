#include "data/field_rules.h"

#include <string>

#include "data/tables.h"

namespace zem::data {
namespace {

ui::ErrorManager& Errors() {
    return ui::ErrorManager::Global();
}

// The store flags in the order the choice list shows them, bracketed so "1" can't match "16".
constexpr std::string_view kSiteValues = "]1[]2[]4[]8[]16[]32[";
constexpr std::string_view kSiteChoices =
    "'Amazon US','Amazon UK','Amazon FR','Amazon DE','Amazon JP','Amazon CA'";
constexpr int kMaxCatalogLevel = 100;

}  // namespace

QueriesManager::QueriesManager(store::DataFile& file, QueriesRecord& record)
    : TableManager(file, data::Def(TableId::Queries), &record), record_(record) {}

void QueriesManager::PrimeDefaults() {
    record_.SITE = 1;
}

ui::Level QueriesManager::ValidateField(int fieldNo, bool report) {
    if (const ui::Level base = TableManager::ValidateField(fieldNo, report); base != ui::Benign) {
        return base;
    }
    if (fieldNo != kSiteField) return ui::Benign;
    Errors().SetField("Site");
    const std::string bracketed = "]" + std::to_string(record_.SITE) + "[";
    if (kSiteValues.find(bracketed) != std::string_view::npos) return ui::Benign;
    if (report) Errors().ThrowMessage(ui::msg::FieldNotInList, kSiteChoices);
    return ui::Notify;
}

SysinfoManager::SysinfoManager(store::DataFile& file, SysinfoRecord& record)
    : TableManager(file, data::Def(TableId::Sysinfo), &record), record_(record) {}

void SysinfoManager::PrimeDefaults() {
    record_.USERAGENT = 1;
}

ui::Level SysinfoManager::ValidateField(int fieldNo, bool report) {
    if (const ui::Level base = TableManager::ValidateField(fieldNo, report); base != ui::Benign) {
        return base;
    }
    if (fieldNo != kCatalogLevelField) return ui::Benign;
    Errors().SetField("Catalog tree maximum level");
    if (record_.CATALOGLEVEL <= kMaxCatalogLevel) return ui::Benign;
    if (report) Errors().ThrowMessage(ui::msg::FieldOutOfRange, "0 .. 100");
    return ui::Notify;
}

}  // namespace zem::data
