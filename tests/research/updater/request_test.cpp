// The lookup request the catalog updater sends for a node: the store's service host, the
// program's key and the node, in this order, nothing encoded.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "research/updater/build_catalog.h"

namespace zem::test {
namespace {

struct LookupCase {
    std::int32_t siteFlag;
    std::int32_t node;
    std::string url;
    friend void PrintTo(const LookupCase& c, std::ostream* out) {
        *out << c.siteFlag << " " << c.node;
    }
};

constexpr const char* kQuery =
    "/onca/xml?Service=AWSECommerceService&AWSAccessKeyId=0Q7ZK3T1W9M5B2X8C4NV"
    "&Operation=BrowseNodeLookup&ResponseGroup=BrowseNodeInfo&BrowseNodeId=";

class BrowseNodeLookupUrlTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(BrowseNodeLookupUrlTest, NamesTheStoresHostAndTheNode) {
    const LookupCase& c = GetParam();
    EXPECT_EQ(research::BrowseNodeLookupUrl(c.siteFlag, c.node), c.url);
}

INSTANTIATE_TEST_SUITE_P(
    Stores, BrowseNodeLookupUrlTest,
    ::testing::Values(
        LookupCase{1, 1000, std::string("http://ecs.amazonaws.com") + kQuery + "1000"},
        LookupCase{2, 1025612, std::string("http://ecs.amazonaws.co.uk") + kQuery + "1025612"},
        LookupCase{4, 301130, std::string("http://ecs.amazonaws.fr") + kQuery + "301130"},
        LookupCase{8, 541686, std::string("http://ecs.amazonaws.de") + kQuery + "541686"},
        LookupCase{16, 465610, std::string("http://ecs.amazonaws.jp") + kQuery + "465610"},
        LookupCase{32, 2147483647, std::string("http://ecs.amazonaws.ca") + kQuery + "2147483647"},
        // No store: nothing to ask.
        LookupCase{0, 1000, ""}, LookupCase{3, 1000, ""}, LookupCase{64, 1000, ""}));

}  // namespace
}  // namespace zem::test
