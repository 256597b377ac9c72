#include "item_catalog.h"

#include <algorithm>
#include <array>
#include <span>

#include "ascii.h"
#include "money.h"
#include "rng.h"

namespace zem::sim {
namespace {

constexpr std::array<std::string_view, 16> kBrands{
    "Acme",         "Northwind",     "Bluebird", "Kessler & Sons", "Lumen",   "Harbor Lane",
    "Tanaka Works", "Vireo",         "Oakridge", "Brightline",     "Fenwick", "Marlowe",
    "Quillon",      "Stellar Goods", "Ostara",   "Pellwood"};
constexpr std::array<std::string_view, 10> kNouns{
    "Set", "Kit", "Edition", "Collection", "Pack", "Case", "Adapter", "Guide", "Bundle", "Classic"};
constexpr std::array<std::string_view, 10> kVariants{
    "Black",           "Blue",        "Stainless Steel", "2-Pack",  "Large", "Second Edition",
    "Limited Edition", "Travel Size", "10 Count",        "Gift Box"};
// Words of the stores outside the US, in UTF-8 as the service sends them.
constexpr std::array<std::string_view, 6> kUkNouns{
    "Café Set", "Crème Brûlée Kit", "Gift Set", "Naïve Edition", "Pack", "Collection"};
constexpr std::array<std::string_view, 6> kFrNouns{
    "Édition Spéciale", "Coffret Prestige", "Cafetière", "Série Limitée", "Boîte", "Kit"};
constexpr std::array<std::string_view, 6> kDeNouns{"Größe XL",    "Zubehör-Set", "Kaffeemühle",
                                                   "Geschenkbox", "Übergröße",   "Set"};
constexpr std::array<std::string_view, 6> kCaNouns{"Édition française", "Set", "Coffret", "Pack",
                                                   "Québec Edition",    "Kit"};
constexpr std::array<std::string_view, 6> kJpNouns{"セット",         "限定版", "デジタル版",
                                                   "ギフトボックス", "新品",   "コレクション"};
constexpr std::array<std::string_view, 6> kJpBrands{"ソニー",       "任天堂",     "東芝",
                                                    "パナソニック", "山田製作所", "バンダイ"};
constexpr std::array<std::string_view, 4> kDeBrands{"Müller & Söhne", "Kessler & Sons",
                                                    "Weiß Design", "Lumen"};

std::span<const std::string_view> NounsOf(const web::StoreInfo& store) {
    switch (store.siteFlag) {
        case 2:
            return kUkNouns;
        case 4:
            return kFrNouns;
        case 8:
            return kDeNouns;
        case 16:
            return kJpNouns;
        case 32:
            return kCaNouns;
        default:
            return kNouns;
    }
}

std::string_view DrawBrand(Rng& rng, const web::StoreInfo& store) {
    if (store.siteFlag == 16 && rng.Chance(2, 3)) return kJpBrands[rng.Below(kJpBrands.size())];
    if (store.siteFlag == 8 && rng.Chance(1, 3)) return kDeBrands[rng.Below(kDeBrands.size())];
    return kBrands[rng.Below(kBrands.size())];
}

constexpr std::array<std::string_view, 4> kUsedConditions{"good", "verygood", "acceptable", "mint"};
constexpr std::string_view kBase36 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::uint64_t SearchKey(std::uint64_t seed, const ItemQuery& query) {
    return Hasher()
        .Add(seed)
        .Add(static_cast<std::uint64_t>(query.store->siteFlag))
        .Add(query.searchIndex)
        .Add(query.keywords)
        .Add(query.browseNode)
        .Add(static_cast<std::uint64_t>(query.minimumPrice))
        .Add(static_cast<std::uint64_t>(query.maximumPrice))
        .Value();
}

bool IsBookIndex(std::string_view index) {
    return index == "Books" || index == "ForeignBooks";
}

// Distinct for every position of one search: the position is scaled by a number prime to the
// modulus, which makes the mapping one-to-one.
std::string AsinOf(std::uint64_t searchKey, bool book, int position) {
    const auto k = static_cast<std::uint64_t>(position);
    std::string asin;
    if (book) {
        std::uint64_t value = (searchKey % 10'000'000'000ull + k * 7919) % 10'000'000'000ull;
        asin.assign(10, '0');
        for (int i = 9; i >= 0; --i, value /= 10) asin[i] = static_cast<char>('0' + value % 10);
        return asin;
    }
    constexpr std::uint64_t kSpace = 78'364'164'096ull;  // 36^7
    std::uint64_t value = (searchKey % kSpace + k * 1'000'003) % kSpace;
    asin = "B00XXXXXXX";
    for (int i = 9; i >= 3; --i, value /= 36) asin[i] = kBase36[value % 36];
    return asin;
}

// Keywords as the words of a title: blanks collapsed, each word capitalised, at most 60 bytes.
std::string TitleWords(std::string_view keywords) {
    std::string out;
    bool wordStart = true;
    for (char c : keywords) {
        const auto u = static_cast<unsigned char>(c);
        if (u == ' ' || u == '\t' || u == '\r' || u == '\n') {
            wordStart = true;
            continue;
        }
        if (out.size() >= 60) break;
        if (wordStart && !out.empty()) out += ' ';
        out += static_cast<char>(wordStart ? ToUpper(u) : u);
        wordStart = false;
    }
    return out;
}

std::string Slug(std::string_view title) {
    std::string slug;
    int words = 0;
    bool pendingDash = false;
    for (char c : title) {
        const auto u = static_cast<unsigned char>(c);
        if (!IsAlnum(u)) {
            pendingDash = !slug.empty();
            continue;
        }
        if (pendingDash) {
            if (++words == 5) break;
            slug += '-';
            pendingDash = false;
        }
        slug += c;
    }
    return slug.empty() ? "item" : slug;
}

std::int64_t DrawPrice(Rng& rng, const ItemQuery& query) {
    const std::string_view currency = query.store->currencyCode;
    std::int64_t low = query.minimumPrice > 0 ? query.minimumPrice : 1;
    std::int64_t high = query.maximumPrice;
    if (high <= 0) {
        if (query.minimumPrice > 0) {
            high = std::max(low * 4, low + 10'000);
        } else {
            constexpr std::array<std::pair<std::int64_t, std::int64_t>, 4> kTiers{
                {{100, 1'999}, {2'000, 4'999}, {5'000, 19'999}, {20'000, 99'999}}};
            const auto& tier = kTiers[rng.Below(kTiers.size())];
            low = tier.first;
            high = tier.second;
        }
    }
    const std::int64_t raw = rng.Between(low, high);
    const std::int64_t shop = ShopPrice(currency, raw, rng.Next());
    return shop >= low && shop <= high ? shop : raw;
}

Offer NewOffer(Rng& rng, std::int64_t amount) {
    return {"New", "new", amount, rng.Chance(2, 3)};
}

Offer UsedOffer(Rng& rng, std::int64_t amount) {
    return {"Used", kUsedConditions[rng.Below(kUsedConditions.size())], amount, false};
}

Item MakeItem(std::uint64_t searchKey, const ItemQuery& query, int position) {
    Rng rng(Hasher().Add(searchKey).Add(static_cast<std::uint64_t>(position)).Value());
    const std::string_view currency = query.store->currencyCode;
    Item item;
    item.asin = AsinOf(searchKey, IsBookIndex(query.searchIndex), position);

    const std::string_view brand = DrawBrand(rng, *query.store);
    if (!rng.Chance(1, 10)) item.brand = brand;
    item.manufacturer = brand;
    std::string words = TitleWords(query.keywords);
    if (words.empty()) words = query.searchIndex;
    item.title = std::string(brand) + " " + words + " " +
                 std::string(NounsOf(*query.store)[rng.Below(NounsOf(*query.store).size())]);
    // About half the titles carry variants after " - ", which the program cuts off for keywords.
    for (int dashes = static_cast<int>(rng.Below(4)) - 1; dashes > 0; --dashes)
        item.title += " - " + std::string(kVariants[rng.Below(kVariants.size())]);
    item.detailPageUrl = "http://www." + std::string(query.store->domain) + "/" + Slug(item.title) +
                         "/dp/" + item.asin + "?tag=ws&creativeASIN=" + item.asin;
    if (!rng.Chance(1, 10)) item.salesRank = static_cast<std::int32_t>(rng.Between(1, 400'000));

    const std::int64_t price = DrawPrice(rng, query);
    if (!rng.Chance(1, 8)) {
        const std::int64_t saving = rng.Chance(1, 3) ? 0 : rng.Between(5, 50);
        const std::int64_t list = ShopPrice(currency, price * (100 + saving) / 100, rng.Next());
        item.listPrice = std::max(list, price);
    }
    const auto usedPrice = [&] {
        return std::max<std::int64_t>(price * rng.Between(50, 90) / 100, 1);
    };

    switch (rng.Below(10)) {
        case 6:  // only other sellers' new offers: a summary price without an offer listing
            item.lowestNewPrice = price;
            item.totalNew = static_cast<int>(rng.Between(1, 6));
            break;
        case 7: {  // several offers, the lowest new one first
            item.lowestNewPrice = price;
            item.offers.push_back(NewOffer(rng, price));
            const int more = static_cast<int>(rng.Between(1, 2));
            for (int i = 0; i < more; ++i) {
                if (rng.Chance(1, 2)) {
                    item.offers.push_back(NewOffer(rng, price + rng.Between(1, 20) * 50));
                } else {
                    item.offers.push_back(UsedOffer(rng, usedPrice()));
                }
            }
            for (const Offer& offer : item.offers) {
                if (offer.condition == "New") {
                    ++item.totalNew;
                } else {
                    ++item.totalUsed;
                    item.lowestUsedPrice =
                        std::min(item.lowestUsedPrice.value_or(offer.amount), offer.amount);
                }
            }
            break;
        }
        case 8:  // used only
            item.lowestUsedPrice = usedPrice();
            item.totalUsed = static_cast<int>(rng.Between(1, 3));
            item.offers.push_back(UsedOffer(rng, *item.lowestUsedPrice));
            break;
        case 9:  // nothing on offer at all
            break;
        default:  // one new offer, Amazon's own
            item.lowestNewPrice = price;
            item.offers.push_back(NewOffer(rng, price));
            item.totalNew = static_cast<int>(rng.Between(1, 5));
            item.totalUsed = static_cast<int>(rng.Below(4));
            if (item.totalUsed > 0) item.lowestUsedPrice = usedPrice();
            break;
    }
    return item;
}

}  // namespace

int TotalResultsOf(std::uint64_t seed, const ItemQuery& query) {
    if (query.maximumPrice > 0 && query.minimumPrice > query.maximumPrice) return 0;
    Rng rng(SearchKey(seed, query));
    // A single letter finds nearly everything: more than 10,000 pages.
    const std::size_t first = query.keywords.find_first_not_of(' ');
    if (first != std::string::npos &&
        query.keywords.find_first_not_of(' ', first + 1) == std::string::npos)
        return static_cast<int>(rng.Between(100'001, 3'000'000));
    switch (rng.Below(8)) {
        case 0:
            return 0;
        case 1:
        case 2:
        case 3:
            return static_cast<int>(rng.Between(1, 30));
        case 4:
        case 5:
        case 6:
            return static_cast<int>(rng.Between(31, 150));
        default:
            return static_cast<int>(rng.Between(151, 600));
    }
}

int TotalPagesOf(int totalResults) {
    return (totalResults + kItemsPerPage - 1) / kItemsPerPage;
}

std::vector<Item> ItemsOfPage(std::uint64_t seed, const ItemQuery& query, int page) {
    std::vector<Item> items;
    const int total = TotalResultsOf(seed, query);
    if (page < 1) return items;
    const std::uint64_t key = SearchKey(seed, query);
    const int first = (page - 1) * kItemsPerPage;
    for (int position = first; position < std::min(total, first + kItemsPerPage); ++position)
        items.push_back(MakeItem(key, query, position));
    return items;
}

}  // namespace zem::sim
