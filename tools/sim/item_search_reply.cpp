#include "item_search_reply.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "item_catalog.h"
#include "large_item_parts.h"
#include "markup_writer.h"
#include "money.h"
#include "number_text.h"
#include "service_reply.h"
#include "web/search_indexes.h"

namespace zem::sim {
namespace {

constexpr std::string_view kRoot = "ItemSearchResponse";

std::string Error(const ProxyRequest& request, std::string code, std::string message) {
    return ErrorReply(kRoot, "Items", "ItemSearchRequest", request,
                      {std::move(code), std::move(message)});
}

bool KnownIndex(const web::StoreInfo& store, std::string_view index) {
    for (const web::SearchIndexEntry& entry : web::SearchIndexesOf(store.siteFlag))
        if (entry.searchIndex == index) return true;
    return false;
}

std::string IndexList(const web::StoreInfo& store) {
    std::string list;
    std::string_view previous;
    for (const web::SearchIndexEntry& entry : web::SearchIndexesOf(store.siteFlag)) {
        if (entry.searchIndex == previous) continue;
        if (!list.empty()) list += ", ";
        list += entry.searchIndex;
        previous = entry.searchIndex;
    }
    return list;
}

void WritePrice(MarkupWriter& writer, std::string_view name, std::string_view currency,
                std::int64_t amount) {
    writer.Open(name);
    writer.Element("Amount", std::to_string(amount));
    writer.Element("CurrencyCode", currency);
    writer.Element("FormattedPrice", FormattedPrice(currency, amount));
    writer.Close();
}

// The parts of an item a request's response groups ask for.
struct ItemParts {
    bool attributes = false;  // DetailPageURL and ItemAttributes
    bool salesRank = false;
    bool images = false;
    bool offerSummary = false;
    bool offers = false;
    bool large = false;  // the parts of the Large group alone
};

constexpr std::string_view kResponseGroups[] = {
    "Accessories", "BrowseNodes", "EditorialReview", "Images",       "ItemAttributes", "ItemIds",
    "Large",       "Medium",      "OfferFull",       "OfferSummary", "Offers",         "Request",
    "Reviews",     "SalesRank",   "Similarities",    "Small"};

// Answers false for a group the service does not know. Without ResponseGroup the service
// answers Small.
bool ReadResponseGroups(const std::string* text, ItemParts& parts) {
    std::string_view rest = text ? std::string_view(*text) : std::string_view("Small");
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view group = rest.substr(0, comma);
        if (std::find(std::begin(kResponseGroups), std::end(kResponseGroups), group) ==
            std::end(kResponseGroups))
            return false;
        const bool medium = group == "Medium" || group == "Large";
        if (medium || group == "Small" || group == "ItemAttributes") parts.attributes = true;
        if (medium || group == "SalesRank") parts.salesRank = true;
        if (medium || group == "Images") parts.images = true;
        if (medium || group == "OfferSummary" || group == "Offers" || group == "OfferFull")
            parts.offerSummary = true;
        if (group == "Large" || group == "Offers" || group == "OfferFull") parts.offers = true;
        if (group == "Large") parts.large = true;
        if (comma == std::string_view::npos) return true;
        rest.remove_prefix(comma + 1);
    }
}

void WriteImages(MarkupWriter& writer, const Item& item) {
    writer.Open("SmallImage");
    writer.Element("URL", "http://images.service-sim.invalid/images/P/" + item.asin + ".01.jpg");
    writer.Open("Height", {{"Units", "pixels"}});
    writer.Text("75");
    writer.Close();
    writer.Open("Width", {{"Units", "pixels"}});
    writer.Text("60");
    writer.Close();
    writer.Close();
}

void WriteAttributes(MarkupWriter& writer, const Item& item, std::string_view currency,
                     std::string_view productGroup, const ItemParts& parts) {
    writer.Open("ItemAttributes");
    if (!item.brand.empty()) writer.Element("Brand", item.brand);
    writer.Element("Title", item.title);
    if (parts.salesRank && item.listPrice)
        WritePrice(writer, "ListPrice", currency, *item.listPrice);
    writer.Element("Manufacturer", item.manufacturer);
    writer.Element("ProductGroup", productGroup);
    if (parts.large) WriteLargeAttributes(writer, item);
    writer.Close();
}

void WriteOfferSummary(MarkupWriter& writer, const Item& item, std::string_view currency) {
    writer.Open("OfferSummary");
    if (item.lowestNewPrice) WritePrice(writer, "LowestNewPrice", currency, *item.lowestNewPrice);
    if (item.lowestUsedPrice)
        WritePrice(writer, "LowestUsedPrice", currency, *item.lowestUsedPrice);
    writer.Element("TotalNew", std::to_string(item.totalNew));
    writer.Element("TotalUsed", std::to_string(item.totalUsed));
    writer.Element("TotalCollectible", "0");
    writer.Element("TotalRefurbished", "0");
    writer.Close();
}

void WriteOffers(MarkupWriter& writer, const Item& item, std::string_view currency) {
    writer.Open("Offers");
    writer.Element("TotalOffers", std::to_string(item.offers.size()));
    writer.Element("TotalOfferPages", item.offers.empty() ? "0" : "1");
    int listing = 0;
    for (const Offer& offer : item.offers) {
        writer.Open("Offer");
        writer.Open("OfferAttributes");
        writer.Element("Condition", offer.condition);
        writer.Element("SubCondition", offer.subCondition);
        writer.Close();
        writer.Open("OfferListing");
        writer.Element("OfferListingId", item.asin + "-" + std::to_string(++listing));
        WritePrice(writer, "Price", currency, offer.amount);
        writer.Element("Availability", "Usually ships in 24 hours");
        writer.Element("IsEligibleForSuperSaverShipping", offer.superSaverShipping ? "1" : "0");
        writer.Close();
        writer.Close();
    }
    writer.Close();
}

// The element order is the one the program's reader follows: identity, rank, attributes with
// the list price, the offer summary, then the offers.
void WriteItem(MarkupWriter& writer, const Item& item, const web::StoreInfo& store,
               std::string_view productGroup, const ItemParts& parts, bool oversized) {
    const std::string_view currency = store.currencyCode;
    writer.Open("Item");
    writer.Element("ASIN", item.asin);
    if (parts.attributes) writer.Element("DetailPageURL", item.detailPageUrl);
    if (parts.salesRank && item.salesRank)
        writer.Element("SalesRank", std::to_string(*item.salesRank));
    if (parts.images) WriteImages(writer, item);
    if (parts.images && parts.large) WriteImageSets(writer, item);
    if (parts.attributes) WriteAttributes(writer, item, currency, productGroup, parts);
    if (parts.offerSummary) WriteOfferSummary(writer, item, currency);
    if (parts.offers) WriteOffers(writer, item, currency);
    if (parts.large) WriteLargeParts(writer, item, store, oversized);
    writer.Close();
}

}  // namespace

std::string ItemSearchReply(std::uint64_t seed, const web::StoreInfo& store,
                            const ProxyRequest& request, bool oversized) {
    const auto param = [&](std::string_view name) {
        const std::string* value = FindParam(request.params, name);
        return value ? *value : std::string();
    };
    ItemQuery query;
    query.store = &store;
    query.searchIndex = param("SearchIndex");
    query.keywords = param("Keywords");
    query.browseNode = param("BrowseNode");

    if (query.searchIndex.empty())
        return Error(request, "AWS.MissingParameters",
                     "Your request is missing required parameters. Required parameters "
                     "include SearchIndex.");
    if (!KnownIndex(store, query.searchIndex))
        return Error(request, "AWS.InvalidParameterValue",
                     "The value you specified for SearchIndex is invalid. Valid values include [" +
                         IndexList(store) + "].");
    if (query.keywords.find_first_not_of(' ') == std::string::npos && query.browseNode.empty())
        return Error(request, "AWS.MinimumParameterRequirement",
                     "Your request should have at least 1 of the following parameters: "
                     "'Keywords', 'BrowseNode'.");
    for (auto [name, bound] : {std::pair{"MinimumPrice", &query.minimumPrice},
                               std::pair{"MaximumPrice", &query.maximumPrice}}) {
        const std::string* text = FindParam(request.params, name);
        if (!text) continue;
        const std::optional<std::int64_t> value = ParseCount(*text);
        if (!value)
            return Error(request, "AWS.InvalidParameterValue",
                         *text + " is not a valid value for " + name +
                             ". Please change this value and retry your request.");
        *bound = *value;
    }

    const int totalResults = TotalResultsOf(seed, query);
    const int totalPages = TotalPagesOf(totalResults);
    std::int64_t page = 1;
    if (const std::string* text = FindParam(request.params, "ItemPage")) {
        const std::optional<std::int64_t> value = ParseCount(*text);
        const int lastPage = totalPages > 0 ? totalPages : 1;
        if (!value || *value < 1 || *value > lastPage)
            return Error(request, "AWS.ParameterOutOfRange",
                         "The value you specified for ItemPage is invalid. Valid values must be "
                         "between 1 and " +
                             std::to_string(lastPage) + ".");
        page = *value;
    }

    ItemParts parts;
    if (!ReadResponseGroups(FindParam(request.params, "ResponseGroup"), parts))
        return Error(request, "AWS.InvalidResponseGroup",
                     "The value you specified for ResponseGroup is invalid. Valid values include "
                     "[Small, Medium, Large, ItemAttributes, Images, OfferSummary, Offers, "
                     "SalesRank, ItemIds, ...].");

    MarkupWriter writer;
    OpenServiceReply(writer, kRoot, request);
    writer.Open("Items");
    writer.Open("Request");
    writer.Element("IsValid", "True");
    WriteRequestEcho(writer, "ItemSearchRequest", request);
    if (totalResults == 0)
        WriteErrors(writer, {"AWS.ECommerceService.NoExactMatches",
                             "We did not find any matches for your request."});
    writer.Close();
    writer.Element("TotalResults", std::to_string(totalResults));
    writer.Element("TotalPages", std::to_string(totalPages));
    for (const Item& item : ItemsOfPage(seed, query, static_cast<int>(page)))
        WriteItem(writer, item, store, query.searchIndex, parts, oversized);
    return writer.Finish();
}

}  // namespace zem::sim
