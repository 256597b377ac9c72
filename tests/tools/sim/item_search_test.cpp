// ItemSearch replies through the proxy: the layout the item-search reader walks, totals that
// agree from page to page, prices in the currency's smallest unit, and error replies.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

#include "tools/sim/running_simulator.h"

namespace zem::test {
namespace {

struct Search {
    const char* name;
    const char* host;
    const char* rest;  // SearchIndex, Keywords and the optional keys
};

constexpr Search kSearches[] = {
    {"UsBooks", "ecs.amazonaws.com", "&SearchIndex=Books&Keywords=digital+camera"},
    {"UkElectronics", "ecs.amazonaws.co.uk", "&SearchIndex=Electronics&Keywords=mp3+player"},
    {"JpToys", "ecs.amazonaws.jp", "&SearchIndex=Toys&Keywords=robot"},
    {"DeWithNode", "ecs.amazonaws.de", "&SearchIndex=DVD&Keywords=krimi&BrowseNode=547664"},
    {"FrNodeOnly", "ecs.amazonaws.fr", "&SearchIndex=Books&Keywords=&BrowseNode=301130"},
    {"CaPriced", "ecs.amazonaws.ca",
     "&SearchIndex=VideoGames&Keywords=racing&MinimumPrice=1000&MaximumPrice=5000"},
};

const MarkupNode& Items(const MarkupDocument& document) {
    static const MarkupNode kNone;
    const MarkupNode* root = document.root->Child("ItemSearchResponse");
    const MarkupNode* items = root ? root->Child("Items") : nullptr;
    return items ? *items : kNone;
}

int IntText(const MarkupNode& node, std::string_view child) {
    return std::stoi("0" + node.ChildText(child));
}

std::vector<std::string> NamesOf(const MarkupNode& node) {
    std::vector<std::string> names;
    for (const MarkupNode* child : node.Elements()) names.push_back(child->name);
    return names;
}

// The names of `expected` that occur in `names` occur in that order (a name may repeat).
bool InOrder(const std::vector<std::string>& names, const std::vector<std::string>& expected) {
    std::size_t last = 0;
    for (const std::string& name : names) {
        const auto at = std::find(expected.begin(), expected.end(), name);
        if (at == expected.end()) continue;
        const auto position = static_cast<std::size_t>(at - expected.begin()) + 1;
        if (position < last) return false;
        last = position;
    }
    return true;
}

// Every page of a search, the last page included.
std::vector<MarkupDocument> AllPages(const RunningSimulator& sim, const Search& search) {
    std::vector<MarkupDocument> pages;
    pages.push_back(sim.Document(ItemSearchUrl(search.host, search.rest)));
    const int totalPages = IntText(Items(pages[0]), "TotalPages");
    for (int page = 2; page <= totalPages; ++page)
        pages.push_back(sim.Document(ItemSearchUrl(
            search.host, std::string(search.rest) + "&ItemPage=" + std::to_string(page))));
    return pages;
}

std::string Digits(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9') digits += c;
    return digits;
}

TEST(ItemSearchReply, IsServiceXmlAndTheSameForTheSameSeedAndRequest) {
    const RunningSimulator sim;
    const RunningSimulator twin;
    const RunningSimulator other({.seed = 2});
    for (const Search& search : kSearches) {
        SCOPED_TRACE(search.name);
        const std::string url = ItemSearchUrl(search.host, search.rest);
        const std::string body = sim.Body(url);
        const MarkupDocument document = ParseMarkup(body);
        ASSERT_EQ(document.error, "");
        const MarkupNode* root = document.root->Child("ItemSearchResponse");
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->Attribute("xmlns"),
                  "http://webservices.amazon.com/AWSECommerceService/2007-06-13");
        EXPECT_EQ(NamesOf(*root), (std::vector<std::string>{"OperationRequest", "Items"}));
        EXPECT_EQ(NamesOf(*root->Child("OperationRequest")),
                  (std::vector<std::string>{"HTTPHeaders", "RequestId", "Arguments",
                                            "RequestProcessingTime"}));
        EXPECT_EQ(sim.Body(url), body);
        EXPECT_EQ(twin.Body(url), body);
        EXPECT_NE(other.Body(url), body);
    }
}

TEST(ItemSearchReply, PagesAgreeOnTheTotalsAndHoldTenItemsEach) {
    const RunningSimulator sim;
    int longest = 0;
    for (const Search& search : kSearches) {
        SCOPED_TRACE(search.name);
        const std::vector<MarkupDocument> pages = AllPages(sim, search);
        const int totalResults = IntText(Items(pages[0]), "TotalResults");
        const int totalPages = IntText(Items(pages[0]), "TotalPages");
        EXPECT_EQ(totalPages, (totalResults + 9) / 10);
        longest = std::max(longest, totalPages);
        std::set<std::string> asins;
        int seen = 0;
        for (std::size_t p = 0; p < pages.size(); ++p) {
            const MarkupNode& items = Items(pages[p]);
            EXPECT_EQ(IntText(items, "TotalResults"), totalResults);
            EXPECT_EQ(IntText(items, "TotalPages"), totalPages);
            const auto onPage = items.Children("Item").size();
            EXPECT_EQ(onPage, p + 1 < pages.size() ? 10u : totalResults - 10u * p) << p + 1;
            for (const MarkupNode* item : items.Children("Item"))
                asins.insert(item->ChildText("ASIN"));
            seen += static_cast<int>(onPage);
        }
        EXPECT_EQ(seen, totalResults);
        EXPECT_EQ(asins.size(), static_cast<std::size_t>(totalResults)) << "ASINs repeat";

        const MarkupDocument beyond = sim.Document(ItemSearchUrl(
            search.host,
            std::string(search.rest) + "&ItemPage=" + std::to_string(std::max(totalPages, 1) + 1)));
        EXPECT_TRUE(beyond.root->Descendants("TotalResults").empty());
        EXPECT_EQ(Items(beyond).Descendants("Code").at(0)->Text(), "AWS.ParameterOutOfRange");
    }
    EXPECT_GT(longest, 2) << "no search ran over several pages";
}

TEST(ItemSearchReply, ItemsFollowTheElementOrderTheReaderWalks) {
    const RunningSimulator sim;
    for (const Search& search : kSearches) {
        SCOPED_TRACE(search.name);
        const MarkupDocument page = sim.Document(ItemSearchUrl(search.host, search.rest));
        const MarkupNode& items = Items(page);
        EXPECT_TRUE(InOrder(NamesOf(items), {"Request", "TotalResults", "TotalPages", "Item"}));
        for (const MarkupNode* item : items.Children("Item")) {
            SCOPED_TRACE(item->ChildText("ASIN"));
            EXPECT_TRUE(InOrder(NamesOf(*item), {"ASIN", "DetailPageURL", "SalesRank",
                                                 "ItemAttributes", "OfferSummary", "Offers"}));
            for (const char* needed :
                 {"ASIN", "DetailPageURL", "ItemAttributes", "OfferSummary", "Offers"})
                EXPECT_NE(item->Child(needed), nullptr) << needed;
            EXPECT_EQ(item->ChildText("DetailPageURL").rfind("http://www.amazon.", 0), 0u);
            const MarkupNode& attributes = *item->Child("ItemAttributes");
            EXPECT_TRUE(InOrder(NamesOf(attributes), {"Brand", "Title", "ListPrice"}));
            EXPECT_NE(attributes.ChildText("Title"), "");
            if (const MarkupNode* brand = attributes.Child("Brand")) {
                EXPECT_NE(brand->Text(), "");
            }

            std::vector<const MarkupNode*> prices = item->Descendants("Price");
            for (const char* name : {"ListPrice", "LowestNewPrice", "LowestUsedPrice"})
                for (const MarkupNode* price : item->Descendants(name)) prices.push_back(price);
            for (const MarkupNode* price : prices) {
                const std::vector<std::string> names = NamesOf(*price);
                ASSERT_GE(names.size(), 2u);
                EXPECT_EQ(names[0], "Amount");
                EXPECT_EQ(names[1], "CurrencyCode");
            }
            const MarkupNode& offers = *item->Child("Offers");
            EXPECT_EQ(IntText(offers, "TotalOffers"),
                      static_cast<int>(offers.Children("Offer").size()));
            for (const MarkupNode* offer : offers.Children("Offer")) {
                EXPECT_EQ(NamesOf(*offer->Child("OfferAttributes")),
                          (std::vector<std::string>{"Condition", "SubCondition"}));
                const MarkupNode* listing = offer->Child("OfferListing");
                ASSERT_NE(listing, nullptr);
                EXPECT_TRUE(
                    InOrder(NamesOf(*listing), {"Price", "IsEligibleForSuperSaverShipping"}));
                EXPECT_NE(listing->ChildText("IsEligibleForSuperSaverShipping"), "");
            }
        }
    }
}

TEST(ItemSearchReply, AmountsCountTheCurrencysSmallestUnit) {
    struct Case {
        const char* host;
        const char* currency;
        const char* formatted;  // pattern of FormattedPrice
    };
    const Case cases[] = {
        {"ecs.amazonaws.com", "USD", R"(^\$[0-9]{1,3}(,[0-9]{3})*\.[0-9]{2}$)"},
        {"ecs.amazonaws.co.uk", "GBP", "^\xC2\xA3[0-9]{1,3}(,[0-9]{3})*\\.[0-9]{2}$"},
        {"ecs.amazonaws.fr", "EUR", R"(^EUR [0-9]{1,3}(\.[0-9]{3})*,[0-9]{2}$)"},
        {"ecs.amazonaws.de", "EUR", R"(^EUR [0-9]{1,3}(\.[0-9]{3})*,[0-9]{2}$)"},
        {"ecs.amazonaws.jp", "JPY", "^\xEF\xBF\xA5 [0-9]{1,3}(,[0-9]{3})*$"},
        {"ecs.amazonaws.ca", "CAD", R"(^CDN\$ [0-9]{1,3}(,[0-9]{3})*\.[0-9]{2}$)"},
    };
    const RunningSimulator sim;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        const std::regex pattern(c.formatted);
        int checked = 0;
        for (const char* keywords : {"tea+kettle", "headphones", "lamp"}) {
            const MarkupDocument page = sim.Document(
                ItemSearchUrl(c.host, std::string("&SearchIndex=Books&Keywords=") + keywords));
            for (const char* name : {"ListPrice", "LowestNewPrice", "LowestUsedPrice", "Price"}) {
                for (const MarkupNode* price : page.root->Descendants(name)) {
                    const std::string formatted = price->ChildText("FormattedPrice");
                    EXPECT_EQ(price->ChildText("CurrencyCode"), c.currency);
                    EXPECT_TRUE(std::regex_match(formatted, pattern)) << formatted;
                    // Whole yen for JPY, cents elsewhere: the shown digits are the amount.
                    EXPECT_EQ(Digits(formatted), price->ChildText("Amount")) << formatted;
                    ++checked;
                }
            }
        }
        EXPECT_GT(checked, 0);
    }
}

TEST(ItemSearchReply, ItemsCoverTheOfferCasesTheReaderMustTellApart) {
    const RunningSimulator sim;
    int withoutNewPrice = 0, usedOnly = 0, severalOffers = 0, summaryOnly = 0, dashedTitle = 0,
        withoutBrand = 0;
    for (const Search& search : kSearches) {
        for (const MarkupDocument& page : AllPages(sim, search)) {
            for (const MarkupNode* item : Items(page).Children("Item")) {
                const MarkupNode& summary = *item->Child("OfferSummary");
                const std::vector<const MarkupNode*> offers =
                    item->Child("Offers")->Children("Offer");
                const auto isUsed = [](const MarkupNode* offer) {
                    return offer->Descendants("Condition").at(0)->Text() == "Used";
                };
                if (!summary.Child("LowestNewPrice")) ++withoutNewPrice;
                if (!offers.empty() && std::all_of(offers.begin(), offers.end(), isUsed)) {
                    ++usedOnly;
                    EXPECT_EQ(summary.ChildText("TotalNew"), "0");
                }
                if (offers.size() > 1) ++severalOffers;
                if (offers.empty() && summary.Child("LowestNewPrice")) ++summaryOnly;
                const MarkupNode& attributes = *item->Child("ItemAttributes");
                if (attributes.ChildText("Title").find(" - ") != std::string::npos) ++dashedTitle;
                if (!attributes.Child("Brand")) ++withoutBrand;
                // The summary's lowest new price is the lowest of the new offers listed.
                for (const MarkupNode* offer : offers) {
                    if (isUsed(offer)) continue;
                    EXPECT_LE(std::stoll(summary.Child("LowestNewPrice")->ChildText("Amount")),
                              std::stoll(offer->Descendants("Amount").at(0)->Text()));
                }
            }
        }
    }
    EXPECT_GT(withoutNewPrice, 0);
    EXPECT_GT(usedOnly, 0);
    EXPECT_GT(severalOffers, 0);
    EXPECT_GT(summaryOnly, 0);
    EXPECT_GT(dashedTitle, 0);
    EXPECT_GT(withoutBrand, 0);
}

TEST(ItemSearchReply, LowestNewPricesKeepToThePriceBounds) {
    struct Case {
        long long minimum, maximum;  // 0: no bound, as the program sends it
    };
    const RunningSimulator sim;
    for (const Case c : {Case{1000, 5000}, Case{1000, 0}, Case{0, 2000}, Case{250000, 250100}}) {
        SCOPED_TRACE(std::to_string(c.minimum) + ".." + std::to_string(c.maximum));
        int checked = 0;
        for (const char* keywords : {"garden+hose", "puzzle", "chess", "pen"}) {
            const MarkupDocument page = sim.Document(ItemSearchUrl(
                "ecs.amazonaws.com", std::string("&SearchIndex=Toys&Keywords=") + keywords +
                                         "&MinimumPrice=" + std::to_string(c.minimum) +
                                         "&MaximumPrice=" + std::to_string(c.maximum)));
            for (const MarkupNode* price : page.root->Descendants("LowestNewPrice")) {
                const long long amount = std::stoll(price->ChildText("Amount"));
                EXPECT_GE(amount, c.minimum);
                if (c.maximum > 0) {
                    EXPECT_LE(amount, c.maximum);
                }
                ++checked;
            }
        }
        EXPECT_GT(checked, 0);
    }
    const MarkupDocument crossed = sim.Document(ItemSearchUrl(
        "ecs.amazonaws.com", "&SearchIndex=Toys&Keywords=chess&MinimumPrice=5000&MaximumPrice=10"));
    EXPECT_EQ(Items(crossed).ChildText("TotalResults"), "0");
}

TEST(ItemSearchReply, SearchWithoutMatchesHasZeroTotalsAndNoItems) {
    const RunningSimulator sim;
    std::string rest;
    for (int i = 0; i < 200 && rest.empty(); ++i) {
        const std::string candidate = "&SearchIndex=Music&Keywords=rare+" + std::to_string(i);
        const MarkupDocument page = sim.Document(ItemSearchUrl("ecs.amazonaws.com", candidate));
        if (Items(page).ChildText("TotalResults") == "0") rest = candidate;
    }
    ASSERT_NE(rest, "") << "no search without matches";
    const MarkupDocument page = sim.Document(ItemSearchUrl("ecs.amazonaws.com", rest));
    EXPECT_EQ(Items(page).ChildText("TotalPages"), "0");
    EXPECT_TRUE(Items(page).Children("Item").empty());
    EXPECT_EQ(Items(page).Child("Request")->ChildText("IsValid"), "True");
    const MarkupDocument second =
        sim.Document(ItemSearchUrl("ecs.amazonaws.com", rest + "&ItemPage=2"));
    EXPECT_TRUE(second.root->Descendants("TotalResults").empty());
}

TEST(ItemSearchReply, BadRequestsGetAnErrorReplyWithoutTotals) {
    struct Case {
        const char* name;
        std::string url;
        const char* code;
    };
    const std::string us = "ecs.amazonaws.com";
    const Case cases[] = {
        {"NoSearchIndex", ItemSearchUrl(us, "&Keywords=tea"), "AWS.MissingParameters"},
        {"IndexOfAnotherStore",
         ItemSearchUrl("ecs.amazonaws.co.uk", "&SearchIndex=Apparel&Keywords=tea"),
         "AWS.InvalidParameterValue"},
        {"NeitherKeywordsNorNode", ItemSearchUrl(us, "&SearchIndex=Books&Keywords="),
         "AWS.MinimumParameterRequirement"},
        {"PageZero", ItemSearchUrl(us, "&SearchIndex=Books&Keywords=tea&ItemPage=0"),
         "AWS.ParameterOutOfRange"},
        {"PageNotANumber", ItemSearchUrl(us, "&SearchIndex=Books&Keywords=tea&ItemPage=two"),
         "AWS.ParameterOutOfRange"},
        {"PriceNotANumber",
         ItemSearchUrl(us, "&SearchIndex=Books&Keywords=tea&MinimumPrice=1.5&MaximumPrice=0"),
         "AWS.InvalidParameterValue"},
        {"UnknownOperation", ServiceUrl(us, "ItemLookup", "&ItemId=B000000000"),
         "AWS.InvalidOperationParameter"},
        {"NoOperation", "http://" + us + "/onca/xml?Service=AWSECommerceService",
         "AWS.InvalidOperationParameter"},
        {"OtherService", "http://" + us + "/onca/xml?Service=Other&Operation=ItemSearch",
         "AWS.InvalidServiceParameter"},
        {"NoAccessKey",
         "http://" + us +
             "/onca/xml?Service=AWSECommerceService&Operation=ItemSearch&SearchIndex=Books"
             "&Keywords=tea",
         "AWS.MissingParameters"},
        {"UnknownAccessKey",
         "http://" + us +
             "/onca/xml?Service=AWSECommerceService&AWSAccessKeyId=1NOTAKEY&Operation=ItemSearch"
             "&SearchIndex=Books&Keywords=tea",
         "AWS.InvalidParameterValue"},
        {"UnknownResponseGroup",
         ServiceUrl(us, "ItemSearch", "&ResponseGroup=Large,Huge&SearchIndex=Books&Keywords=tea"),
         "AWS.InvalidResponseGroup"},
    };
    const RunningSimulator sim;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MarkupDocument reply = sim.Document(c.url);
        const std::vector<const MarkupNode*> roots = reply.root->Elements();
        ASSERT_EQ(roots.size(), 1u);
        const MarkupNode* request =
            roots[0]->Child("Items") ? roots[0]->Child("Items")->Child("Request") : nullptr;
        ASSERT_NE(request, nullptr);
        EXPECT_EQ(request->ChildText("IsValid"), "False");
        const MarkupNode* error =
            request->Child("Errors") ? request->Child("Errors")->Child("Error") : nullptr;
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->ChildText("Code"), c.code);
        EXPECT_NE(error->ChildText("Message"), "");
        EXPECT_TRUE(reply.root->Descendants("TotalResults").empty());
        EXPECT_TRUE(reply.root->Descendants("Item").empty());
    }
}

TEST(ItemSearchReply, KeywordBytesOfCodePage1252ComeBackAsUtf8) {
    const RunningSimulator sim;
    const MarkupDocument page = sim.Document(
        ItemSearchUrl("ecs.amazonaws.fr", "&SearchIndex=Books&Keywords=caf%E9+cr%E8me"));
    const std::vector<const MarkupNode*> titles = page.root->Descendants("Title");
    ASSERT_FALSE(titles.empty());
    EXPECT_NE(titles[0]->Text().find("Caf\xC3\xA9 Cr\xC3\xA8me"), std::string::npos)
        << titles[0]->Text();
    EXPECT_EQ(page.root->Descendants("Keywords").at(0)->Text(), "caf\xC3\xA9 cr\xC3\xA8me");
}

TEST(ItemSearchReply, ResponseGroupsDecideWhatAnItemHolds) {
    struct Case {
        const char* group;
        std::vector<std::string> present, absent;
    };
    const Case cases[] = {
        {"Small",
         {"ASIN", "DetailPageURL", "ItemAttributes"},
         {"SalesRank", "SmallImage", "OfferSummary", "Offers", "ListPrice"}},
        {"Medium", {"ItemAttributes", "SmallImage", "OfferSummary"}, {"Offers"}},
        {"Large", {"ItemAttributes", "SmallImage", "OfferSummary", "Offers"}, {}},
        {"ItemIds", {"ASIN"}, {"ItemAttributes", "OfferSummary", "Offers"}},
        {"Offers", {"OfferSummary", "Offers"}, {"ItemAttributes", "SmallImage"}},
    };
    const RunningSimulator sim;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.group);
        const MarkupDocument page = sim.Document(ServiceUrl(
            "ecs.amazonaws.com", "ItemSearch",
            std::string("&ResponseGroup=") + c.group + "&SearchIndex=Toys&Keywords=robot+kit"));
        const std::vector<const MarkupNode*> items = Items(page).Children("Item");
        ASSERT_FALSE(items.empty());
        for (const std::string& name : c.present)
            EXPECT_FALSE(page.root->Descendants(name).empty()) << name;
        for (const std::string& name : c.absent)
            EXPECT_TRUE(page.root->Descendants(name).empty()) << name;
    }
    // Without ResponseGroup the service answers Small.
    const MarkupDocument plain = sim.Document(
        ServiceUrl("ecs.amazonaws.com", "ItemSearch", "&SearchIndex=Toys&Keywords=robot+kit"));
    EXPECT_FALSE(plain.root->Descendants("ItemAttributes").empty());
    EXPECT_TRUE(plain.root->Descendants("OfferSummary").empty());
}

TEST(ItemSearchReply, ASingleLetterFindsMoreThanTenThousandPages) {
    const RunningSimulator sim;
    for (const char* keywords : {"a", "x", "+7+"}) {
        SCOPED_TRACE(keywords);
        const std::string rest = std::string("&SearchIndex=Books&Keywords=") + keywords;
        const MarkupDocument first = sim.Document(ItemSearchUrl("ecs.amazonaws.com", rest));
        const int pages = IntText(Items(first), "TotalPages");
        EXPECT_GT(pages, 10'000);
        EXPECT_EQ(Items(first).Children("Item").size(), 10u);
        const MarkupDocument last = sim.Document(
            ItemSearchUrl("ecs.amazonaws.com", rest + "&ItemPage=" + std::to_string(pages)));
        EXPECT_FALSE(Items(last).Children("Item").empty());
        EXPECT_EQ(IntText(Items(last), "TotalPages"), pages);
    }
}

}  // namespace
}  // namespace zem::test
