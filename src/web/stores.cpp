#include "web/stores.h"

#include <array>

namespace zem::web {
namespace {

constexpr std::array<StoreInfo, 6> kStores{{
    {1, "Amazon US", "ecs.amazonaws.com", "amazon.com", "www.google.com", "USD", "$", "us"},
    {2, "Amazon UK", "ecs.amazonaws.co.uk", "amazon.co.uk", "www.google.co.uk", "GBP", "\xA3",
     "uk"},
    {4, "Amazon FR", "ecs.amazonaws.fr", "amazon.fr", "www.google.fr", "EUR", "\x80", "fr"},
    {8, "Amazon DE", "ecs.amazonaws.de", "amazon.de", "www.google.de", "EUR", "\x80", "de"},
    {16, "Amazon JP", "ecs.amazonaws.jp", "amazon.co.jp", "www.google.co.jp", "JPY", "\xA5",
     "jp"},
    {32, "Amazon CA", "ecs.amazonaws.ca", "amazon.ca", "www.google.ca", "CAD", "$", "ca"},
}};

}  // namespace

std::span<const StoreInfo> Stores() { return kStores; }

const StoreInfo* StoreBySite(std::int32_t siteFlag) {
    for (const StoreInfo& store : kStores)
        if (store.siteFlag == siteFlag) return &store;
    return nullptr;
}

std::string_view CurrencySignOf(std::string_view code) {
    while (!code.empty() && code.back() == ' ') code.remove_suffix(1);
    if (code == "GBP") return "\xA3";
    if (code == "USD") return "$";
    if (code == "EUR") return "\x80";
    if (code == "JPY") return "\xA5";
    return {};
}

}  // namespace zem::web
