#include "web/stores.h"

#include <array>

namespace zem::web {
namespace {

using runtime::CodePage;

constexpr std::string_view kDollar = "$";
constexpr std::string_view kPound = "\xC2\xA3";
constexpr std::string_view kEuro = "\xE2\x82\xAC";
constexpr std::string_view kYen = "\xC2\xA5";

constexpr std::array<StoreInfo, 6> kStores{{
    {1, "Amazon US", "ecs.amazonaws.com", "amazon.com", "www.google.com", "USD", kDollar, "us",
     CodePage::Ansi},
    {2, "Amazon UK", "ecs.amazonaws.co.uk", "amazon.co.uk", "www.google.co.uk", "GBP", kPound, "uk",
     CodePage::Ansi},
    {4, "Amazon FR", "ecs.amazonaws.fr", "amazon.fr", "www.google.fr", "EUR", kEuro, "fr",
     CodePage::Ansi},
    {8, "Amazon DE", "ecs.amazonaws.de", "amazon.de", "www.google.de", "EUR", kEuro, "de",
     CodePage::Ansi},
    {16, "Amazon JP", "ecs.amazonaws.jp", "amazon.co.jp", "www.google.co.jp", "JPY", kYen, "jp",
     CodePage::ShiftJis},
    {32, "Amazon CA", "ecs.amazonaws.ca", "amazon.ca", "www.google.ca", "CAD", kDollar, "ca",
     CodePage::Ansi},
}};

}  // namespace

std::span<const StoreInfo> Stores() {
    return kStores;
}

const StoreInfo* StoreBySite(std::int32_t siteFlag) {
    for (const StoreInfo& store : kStores)
        if (store.siteFlag == siteFlag) return &store;
    return nullptr;
}

CodePage CodePageOf(std::int32_t siteFlag) {
    const StoreInfo* store = StoreBySite(siteFlag);
    return store ? store->codePage : CodePage::Ansi;
}

std::string CurrencySign(std::int32_t siteFlag, CodePage codePage) {
    const StoreInfo* store = StoreBySite(siteFlag);
    return store ? runtime::FromUtf8(store->currencySign, codePage) : std::string();
}

std::string CurrencySignOf(std::string_view code, CodePage codePage) {
    while (!code.empty() && code.back() == ' ') code.remove_suffix(1);
    std::string_view sign;
    if (code == "GBP") sign = kPound;
    if (code == "USD") sign = kDollar;
    if (code == "EUR") sign = kEuro;
    if (code == "JPY") sign = kYen;
    return runtime::FromUtf8(sign, codePage);
}

}  // namespace zem::web
