// Item-search requests: the keys in their fixed order, the store's host and the price bounds.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <utility>

#include "research/jobs/service_request.h"

namespace zem::research {
namespace {

constexpr const char* kStart =
    "http://ecs.amazonaws.com/onca/xml?Service=AWSECommerceService&AWSAccessKeyId="
    "0Q7ZK3T1W9M5B2X8C4NV&Version=2007-06-13&Operation=ItemSearch&ResponseGroup=Large"
    "&SearchIndex=Electronics&Keywords=digital+camera";

struct UrlCase {
    const char* name;
    std::int32_t node;
    double minimum;
    double maximum;
    std::int32_t page;
    std::string rest;  // what follows the keywords
    friend void PrintTo(const UrlCase& c, std::ostream* out) { *out << c.name; }
};

class ItemSearchUrlTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(ItemSearchUrlTest, KeysFollowInTheirFixedOrder) {
    const UrlCase& c = GetParam();
    ItemSearch search;
    search.siteFlag = 1;
    search.searchIndex = "Electronics";
    search.encodedKeywords = "digital+camera";
    search.node = c.node;
    search.minimumPrice = c.minimum;
    search.maximumPrice = c.maximum;
    EXPECT_EQ(ItemSearchUrl(search, c.page), kStart + c.rest);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ItemSearchUrlTest,
    ::testing::Values(UrlCase{"FirstPageHasNoPageKey", 0, 0, 0, 1, ""},
                      UrlCase{"LaterPagesNameTheirPage", 0, 0, 0, 2, "&ItemPage=2"},
                      UrlCase{"NodeBeforeTheBoundsAndThePage", 1234, 5, 50, 3,
                              "&BrowseNode=1234&MinimumPrice=500&MaximumPrice=5000&ItemPage=3"},
                      UrlCase{"OnlyAMinimumSendsAZeroMaximum", 0, 10.00, 0, 1,
                              "&MinimumPrice=1000&MaximumPrice=0"},
                      UrlCase{"OnlyAMaximumSendsAZeroMinimum", 0, 0, 25.5, 1,
                              "&MinimumPrice=0&MaximumPrice=2550"},
                      UrlCase{"BoundsAreTruncatedNotRounded", 0, 19.99, 0.999, 1,
                              "&MinimumPrice=1998&MaximumPrice=99"},
                      UrlCase{"ABoundBelowOneCentIsSentAsZero", 0, 0.001, 0, 1,
                              "&MinimumPrice=0&MaximumPrice=0"},
                      UrlCase{"NegativeNodeInDecimal", -7, 0, 0, 1, "&BrowseNode=-7"}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(ItemSearchUrlHosts, EachStoreAsksItsOwnServiceHost) {
    const std::pair<std::int32_t, const char*> hosts[] = {
        {1, "ecs.amazonaws.com"}, {2, "ecs.amazonaws.co.uk"}, {4, "ecs.amazonaws.fr"},
        {8, "ecs.amazonaws.de"},  {16, "ecs.amazonaws.jp"},   {32, "ecs.amazonaws.ca"},
    };
    for (const auto& [site, host] : hosts) {
        ItemSearch search;
        search.siteFlag = site;
        search.searchIndex = "Books";
        search.encodedKeywords = "x";
        EXPECT_EQ(ItemSearchUrl(search, 1),
                  std::string("http://") + host +
                      "/onca/xml?Service=AWSECommerceService&AWSAccessKeyId=0Q7ZK3T1W9M5B2X8C4NV"
                      "&Version=2007-06-13&Operation=ItemSearch&ResponseGroup=Large"
                      "&SearchIndex=Books&Keywords=x")
            << site;
    }
}

TEST(ItemSearchUrlHosts, NoUrlForAValueThatIsNoStore) {
    ItemSearch search;
    search.searchIndex = "Books";
    for (const std::int32_t site : {0, 3, 64}) {
        search.siteFlag = site;
        EXPECT_EQ(ItemSearchUrl(search, 1), "") << site;
        EXPECT_EQ(ServiceRequestStart(site), "") << site;
    }
}

TEST(PriceBoundTest, ValuesNoWholeNumberCanHoldStayInRange) {
    EXPECT_EQ(PriceBound(19.99), 1998);
    EXPECT_EQ(PriceBound(-2.5), -250);
    EXPECT_EQ(PriceBound(1e300), 9'000'000'000'000'000'000);
    EXPECT_EQ(PriceBound(-1e300), -9'000'000'000'000'000'000);
    EXPECT_EQ(PriceBound(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(PriceBound(std::numeric_limits<double>::infinity()), 0);
}

}  // namespace
}  // namespace zem::research
