#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "data/text_fields.h"
#include "web/browse_node_loader.h"

namespace zem::test {
namespace {

using web::BrowseNodeRow;

struct Child {
    std::string id;
    std::string name;
};

std::string ChildrenXml(const std::vector<Child>& children) {
    std::string xml = "<Children>";
    for (const Child& c : children)
        xml += "<BrowseNode><BrowseNodeId>" + c.id + "</BrowseNodeId><Name>" + c.name +
               "</Name></BrowseNode>";
    return xml + "</Children>";
}

// A BrowseNodeLookup reply as the service writes it: the request echoed, the node, its
// children when it has any, then its ancestors.
std::string Reply(std::string_view name, const std::string& children) {
    return std::string(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?><BrowseNodeLookupResponse "
               "xmlns=\"http://webservices.amazon.com/AWSECommerceService/2007-06-13\">"
               "<OperationRequest><Arguments><Argument Name=\"BrowseNodeId\" Value=\"1000\"/>"
               "</Arguments></OperationRequest><BrowseNodes><Request><IsValid>True</IsValid>"
               "<BrowseNodeLookupRequest><BrowseNodeId>1000</BrowseNodeId>"
               "</BrowseNodeLookupRequest></Request><BrowseNode><BrowseNodeId>1000"
               "</BrowseNodeId><Name>") +
           std::string(name) + "</Name>" + children +
           "<Ancestors><BrowseNode><BrowseNodeId>283155</BrowseNodeId><Name>Subjects</Name>"
           "<Ancestors><BrowseNode><BrowseNodeId>1</BrowseNodeId><Name>Top</Name></BrowseNode>"
           "</Ancestors></BrowseNode></Ancestors></BrowseNode></BrowseNodes>"
           "</BrowseNodeLookupResponse>";
}

std::string Reply(std::string_view name, const std::vector<Child>& children) {
    return Reply(name, ChildrenXml(children));
}

// The US store seeded: row 12 is "Books" (node 1000, level 1); the highest node row is 43.
class BrowseNodeLoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        loader.MAXLEVEL = 5;
        loader.LoadIndexes(1);
        ASSERT_EQ(loader.N.LastId(), 43);
    }

    void Parse(std::int32_t rowId, std::string_view text) {
        std::vector<char> buffer(text.begin(), text.end());
        buffer.push_back('\0');
        loader.ParseNodes(rowId, buffer);
    }

    const BrowseNodeRow& Row(std::int32_t id) {
        const BrowseNodeRow* row = loader.N.Get(id);
        EXPECT_NE(row, nullptr) << id;
        static const BrowseNodeRow none;
        return row ? *row : none;
    }

    // The node numbers of the rows added after the seed, in ID order.
    std::vector<std::int32_t> AddedNodes() const {
        std::vector<std::int32_t> nodes;
        for (const BrowseNodeRow& row : loader.N.Rows())
            if (row.ID > 43) nodes.push_back(row.NODE);
        return nodes;
    }

    web::BrowseNodeLoader loader;
};

TEST_F(BrowseNodeLoaderTest, ChildrenBecomeRowsUnderTheRequestedNode) {
    Parse(12, Reply("Books (all)", {{"1", "Arts &amp; Photography"}, {"2", "Biographies"}}));

    EXPECT_EQ(AddedNodes(), (std::vector<std::int32_t>{1, 2}));
    const BrowseNodeRow& arts = Row(44);
    EXPECT_EQ(arts.PARENT, 12);
    EXPECT_EQ(arts.NODE, 1);
    EXPECT_EQ(data::CStringOf(arts.NAME), "Arts & Photography");
    EXPECT_EQ(arts.LEVEL, 2);
    EXPECT_EQ(arts.BSITE, 1);
    EXPECT_EQ(arts.BSTATE, 0);
    EXPECT_EQ(data::CStringOf(Row(45).NAME), "Biographies");

    // The requested row takes the reply's name and is marked fetched; its catalog keeps its own.
    EXPECT_EQ(data::CStringOf(Row(12).NAME), "Books (all)");
    EXPECT_EQ(Row(12).BSTATE, 1);
    EXPECT_EQ(data::CStringOf(loader.Q.Get(12)->NAME), "Books");
}

TEST_F(BrowseNodeLoaderTest, AChildIsAddedOnceUnderOneParentButAgainUnderAnother) {
    Parse(12, Reply("Books", {{"1", "Arts"}, {"2", "Biographies"}, {"1", "Arts"}}));
    EXPECT_EQ(AddedNodes(), (std::vector<std::int32_t>{1, 2}));

    Parse(12, Reply("Books", {{"2", "Biographies"}}));  // asked again: nothing new
    EXPECT_EQ(AddedNodes(), (std::vector<std::int32_t>{1, 2}));

    Parse(7, Reply("Apparel", {{"1", "Arts"}}));
    EXPECT_EQ(AddedNodes(), (std::vector<std::int32_t>{1, 2, 1}));
    EXPECT_EQ(Row(46).PARENT, 7);
}

TEST_F(BrowseNodeLoaderTest, AChildThatClosesALoopIsNotAddedButASiblingOrCousinIs) {
    Parse(12, Reply("Books", {{"1", "Arts"}, {"2", "Biographies"}}));
    // Arts lists Books (its parent) and itself again, its sibling Biographies, and a child.
    Parse(44,
          Reply("Arts", {{"1000", "Books"}, {"1", "Arts"}, {"2", "Biographies"}, {"3", "Photo"}}));
    EXPECT_EQ(AddedNodes(), (std::vector<std::int32_t>{1, 2, 2, 3}));
    EXPECT_EQ(Row(46).PARENT, 44);
    // Two levels down: Photo lists its grandparent Books and its parent Arts.
    Parse(47, Reply("Photo", {{"1", "Arts"}, {"4", "Cameras"}, {"1000", "Books"}}));
    EXPECT_EQ(AddedNodes(), (std::vector<std::int32_t>{1, 2, 2, 3, 4}));
    EXPECT_EQ(Row(48).PARENT, 47);
    EXPECT_EQ(Row(48).LEVEL, 4);
}

TEST_F(BrowseNodeLoaderTest, NewRowsNumberOnFromTheHighestId) {
    Parse(12, Reply("Books", {{"1", "Arts"}, {"2", "Biographies"}}));
    Parse(7, Reply("Apparel", {{"3", "Women"}}));
    EXPECT_EQ(Row(46).NODE, 3);

    BrowseNodeRow far;
    far.ID = 500;
    far.NODE = 77;
    far.PARENT = 1;
    far.LEVEL = 1;
    far.BSITE = 1;
    ASSERT_TRUE(loader.N.Add(far));
    Parse(8, Reply("Automotive", {{"4", "Tires"}}));
    EXPECT_EQ(Row(501).NODE, 4);
    EXPECT_EQ(Row(501).PARENT, 8);
}

TEST_F(BrowseNodeLoaderTest, AnEmptyTextOnlyMarksTheRow) {
    const std::vector<BrowseNodeRow> before(loader.N.Rows().begin(), loader.N.Rows().end());
    Parse(12, "");
    ASSERT_EQ(loader.N.Records(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        const BrowseNodeRow& now = loader.N.Rows()[i];
        EXPECT_EQ(now.ID, before[i].ID);
        EXPECT_EQ(now.NODE, before[i].NODE);
        EXPECT_EQ(data::CStringOf(now.NAME), data::CStringOf(before[i].NAME));
        EXPECT_EQ(now.BSTATE, now.ID == 12 ? 1 : 0);
    }
}

// Every name is its own element's: an empty one is empty, an indented one is trimmed, and
// neither takes the text that follows it (the next child's number, an ancestor's name).
TEST_F(BrowseNodeLoaderTest, NamesAreTheirElementsTextWithoutItsIndent) {
    Parse(12, Reply("", {{"1", ""},
                         {"2", "\n          Biographies\n        "},
                         {"3", " "},
                         {"4", "Poetry"}}));
    EXPECT_EQ(AddedNodes(), (std::vector<std::int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(data::CStringOf(Row(44).NAME), "");
    EXPECT_EQ(data::CStringOf(Row(45).NAME), "Biographies");
    EXPECT_EQ(data::CStringOf(Row(46).NAME), "");
    EXPECT_EQ(data::CStringOf(Row(47).NAME), "Poetry");
    // The requested node's own name was empty: it keeps its caption.
    EXPECT_EQ(data::CStringOf(Row(12).NAME), "Books");

    Parse(13, Reply("\n      Business\n    ", std::string()));
    EXPECT_EQ(data::CStringOf(Row(13).NAME), "Business");
}

TEST_F(BrowseNodeLoaderTest, ALeafKeepsItsOwnNameNotItsAncestors) {
    Parse(12, Reply("Poetry", std::string()));
    EXPECT_EQ(data::CStringOf(Row(12).NAME), "Poetry");
    EXPECT_EQ(Row(12).BSTATE, 1);
    EXPECT_TRUE(AddedNodes().empty());
}

TEST_F(BrowseNodeLoaderTest, TheEndOfTheChildListEndsTheParse) {
    const std::string reply = "<BrowseNode><Name>Books</Name>" + ChildrenXml({{"1", "Arts"}}) +
                              ChildrenXml({{"2", "Biographies"}}) + "</BrowseNode>";
    Parse(12, reply);
    EXPECT_EQ(AddedNodes(), std::vector<std::int32_t>{1});
}

TEST_F(BrowseNodeLoaderTest, NamesAreCutTo80Characters) {
    const std::string longName(100, 'n');
    Parse(12, Reply(longName, {{"1", std::string(90, 'c')}}));
    EXPECT_EQ(data::CStringOf(Row(12).NAME), std::string(80, 'n'));
    EXPECT_EQ(data::CStringOf(Row(44).NAME), std::string(80, 'c'));
}

TEST_F(BrowseNodeLoaderTest, AReplyForARowNotInTheQueueChangesNothing) {
    Parse(9999, Reply("Ghost", {{"1", "Arts"}}));
    EXPECT_TRUE(AddedNodes().empty());
    EXPECT_EQ(loader.N.Get(9999), nullptr);
}

struct DepthCase {
    const char* what;
    std::uint8_t maxLevel;
    bool fromCrawledParent;  // parent at level 2 instead of a search index at level 1
    std::uint8_t level;
    std::uint8_t bstate;
};

class DepthLimitTest : public BrowseNodeLoaderTest,
                       public ::testing::WithParamInterface<DepthCase> {};

TEST_P(DepthLimitTest, ChildrenAtTheLimitAreNeverToBeFetched) {
    loader.MAXLEVEL = GetParam().maxLevel;
    std::int32_t parent = 12;
    if (GetParam().fromCrawledParent) {
        Parse(12, Reply("Books", {{"1", "Arts"}}));
        parent = 44;
    }
    Parse(parent, Reply("Parent", {{"9", "Child"}}));
    const BrowseNodeRow& child = Row(loader.N.LastId());
    EXPECT_EQ(child.PARENT, parent);
    EXPECT_EQ(child.LEVEL, GetParam().level);
    EXPECT_EQ(child.BSTATE, GetParam().bstate);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, DepthLimitTest,
    ::testing::Values(DepthCase{"limit 3, children of an index", 3, false, 2, 0},
                      DepthCase{"limit 3, children of a level-2 node", 3, true, 3, 1},
                      DepthCase{"limit 2, children of an index", 2, false, 2, 1},
                      // The crawl itself skips rows at or beyond its limit.
                      DepthCase{"limit 1 is passed already", 1, false, 2, 0},
                      DepthCase{"no limit", 0, true, 3, 0}));

struct HostileCase {
    const char* what;
    std::string text;
    std::vector<std::int32_t> added;
};

std::string Repeated(std::string_view text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

const std::string kChildA = "<BrowseNode><BrowseNodeId>1</BrowseNodeId><Name>A</Name></BrowseNode>";
const std::string kChildB = "<BrowseNode><BrowseNodeId>2</BrowseNodeId><Name>B</Name></BrowseNode>";

const HostileCase kHostile[] = {
    {"no markup at all", "<<<>>> &&&; </> <//> <", {}},
    {"cut inside the second child",
     "<BrowseNode><Name>Books</Name><Children>" + kChildA +
         "<BrowseNode><BrowseNodeId>2</BrowseNodeId><Na",
     {1}},
    {"cut inside a tag", "<BrowseNode><Name>Books</Name><Children><BrowseNode><Browse", {}},
    {"a NUL ends the text", "<Children>" + kChildA + '\0' + kChildB + "</Children>", {1}},
    {"elements without text",
     "<Children><BrowseNode><BrowseNodeId/><Name/></BrowseNode></Children>",
     {}},
    {"nested a hundred thousand deep", Repeated("<BrowseNode>", 100000), {}},
    {"children nested in children",
     "<Children>" + Repeated("<BrowseNode><Children>", 1000) + kChildA,
     {1}},
};

TEST_F(BrowseNodeLoaderTest, HostileRepliesAddOnlyWhatWasRead) {
    for (const HostileCase& c : kHostile) {
        SetUp();
        Parse(12, c.text);
        EXPECT_EQ(AddedNodes(), c.added) << c.what;
        EXPECT_EQ(Row(12).BSTATE, 1) << c.what;
        for (const BrowseNodeRow& row : loader.N.Rows()) {
            if (row.ID > 43) {
                EXPECT_EQ(row.PARENT, 12) << c.what;
            }
        }
    }
}

// A child is a node only by a positive id that fits a row's NODE: a negative one would be asked
// for and fail the crawl, a 0 would pass for a store's root.
TEST_F(BrowseNodeLoaderTest, ChildIdsThatAreNoNodeAreSkipped) {
    Parse(12, Reply("Books", {{"0", "Zero"},
                              {"1", "Arts"},
                              {"-3", "Negative"},
                              {"99999999999999999999", "Far out of range"},
                              {"2147483648", "Just out of range"},
                              {"", "Empty"},
                              {"x12", "No number"},
                              {"2147483647", "Highest"},
                              {"-0", "Signed zero"},
                              {" 17 ", "Blanks around"}}));
    EXPECT_EQ(AddedNodes(),
              (std::vector<std::int32_t>{1, std::numeric_limits<std::int32_t>::max(), 17}));
    EXPECT_EQ(data::CStringOf(Row(44).NAME), "Arts");
    EXPECT_EQ(data::CStringOf(Row(45).NAME), "Highest");
    EXPECT_EQ(data::CStringOf(Row(46).NAME), "Blanks around");
    // The children after a skipped one keep their numbering without a gap.
    EXPECT_EQ(loader.N.LastId(), 46);
    EXPECT_EQ(Row(12).BSTATE, 1);
}

TEST_F(BrowseNodeLoaderTest, AReplyCutOnItsWayIsToldFromAWholeOne) {
    const std::string whole = Reply("Books", {{"1", "Arts"}, {"2", "Biographies"}});
    const std::string leaf = Reply("Poetry", std::string());
    struct Case {
        const char* what;
        std::string text;
        bool ended;
    };
    const Case cases[] = {
        {"whole, with children", whole, true},
        {"whole leaf", leaf, true},
        {"cut after the first child", whole.substr(0, whole.find("<BrowseNode><BrowseNodeId>2")),
         false},
        {"cut before the child list", whole.substr(0, whole.find("<Children>")), false},
        {"leaf cut in its ancestors", leaf.substr(0, leaf.find("<Name>Top")), false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        SetUp();
        Parse(12, c.text);
        EXPECT_EQ(loader.RD.ReplyEnded(), c.ended) << c.what;
    }
}

TEST_F(BrowseNodeLoaderTest, AWideChildListIsReadWhole) {
    std::vector<Child> children;
    for (int i = 1; i <= 3000; ++i)
        children.push_back({std::to_string(100'000 + i), "c" + std::to_string(i)});
    Parse(12, Reply("Books", children));
    ASSERT_EQ(AddedNodes().size(), 3000u);
    EXPECT_EQ(Row(43 + 3000).NODE, 103'000);
}

}  // namespace
}  // namespace zem::test
