// BrowseNodeLookup replies: trees of the configured depth and fan-out under every root node,
// distinct 32-bit ids, the layout the node reader walks, and errors for unknown nodes.
#include <gtest/gtest.h>

#include <deque>
#include <limits>
#include <map>
#include <set>

#include "browse_tree.h"
#include "tools/sim/running_simulator.h"
#include "web/search_indexes.h"
#include "web/stores.h"

namespace zem::test {
namespace {

const MarkupNode* NodeOf(const MarkupDocument& reply) {
    const MarkupNode* root = reply.root->Child("BrowseNodeLookupResponse");
    const MarkupNode* nodes = root ? root->Child("BrowseNodes") : nullptr;
    return nodes ? nodes->Child("BrowseNode") : nullptr;
}

std::vector<std::string> NamesOf(const MarkupNode& node) {
    std::vector<std::string> names;
    for (const MarkupNode* child : node.Elements()) names.push_back(child->name);
    return names;
}

TEST(BrowseNodeReply, TreesHaveTheConfiguredDepthAndFanOut) {
    struct Case {
        sim::TreeShape shape;
        const char* host;
        long long root;
    };
    const Case cases[] = {
        {{0, 4}, "ecs.amazonaws.com", 1000},
        {{1, 3}, "ecs.amazonaws.co.uk", 1025612},
        {{2, 1}, "ecs.amazonaws.jp", 465610},
        {{3, 4}, "ecs.amazonaws.ca", 110218011},  // the default shape
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.shape.depth) + "x" + std::to_string(c.shape.fanout));
        const RunningSimulator sim({.seed = 1, .tree = c.shape});
        std::map<int, int> perLevel;
        std::set<std::string> ids;
        // Crawl as the catalog updater does: request every node met, note its level.
        std::deque<std::tuple<long long, int, std::string>> queue{{c.root, 0, ""}};
        while (!queue.empty()) {
            const auto [id, level, listedName] = queue.front();
            queue.pop_front();
            const MarkupDocument reply = sim.Document(BrowseNodeUrl(c.host, id));
            const MarkupNode* node = NodeOf(reply);
            ASSERT_NE(node, nullptr) << id;
            EXPECT_EQ(node->ChildText("BrowseNodeId"), std::to_string(id));
            if (!listedName.empty()) {
                EXPECT_EQ(node->ChildText("Name"), listedName);
            }
            EXPECT_TRUE(ids.insert(std::to_string(id)).second) << "id twice: " << id;
            ++perLevel[level];
            const MarkupNode* children = node->Child("Children");
            if (level == c.shape.depth) {
                EXPECT_EQ(children, nullptr) << "a node below the last level";
                continue;
            }
            ASSERT_NE(children, nullptr) << id;
            std::set<std::string> names;
            for (const MarkupNode* child : children->Children("BrowseNode")) {
                names.insert(child->ChildText("Name"));
                queue.emplace_back(std::stoll(child->ChildText("BrowseNodeId")), level + 1,
                                   child->ChildText("Name"));
            }
            EXPECT_EQ(names.size(), static_cast<std::size_t>(c.shape.fanout)) << "sibling names";
        }
        int expected = 1;
        for (int level = 0; level <= c.shape.depth; ++level, expected *= c.shape.fanout)
            EXPECT_EQ(perLevel[level], expected) << "level " << level;
    }
}

TEST(BrowseNodeReply, NodeLayoutIsIdNameChildrenThenAncestors) {
    const RunningSimulator sim;
    const MarkupDocument root = sim.Document(BrowseNodeUrl("ecs.amazonaws.de", 541686));
    const MarkupNode* node = NodeOf(root);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(NamesOf(*node), (std::vector<std::string>{"BrowseNodeId", "Name", "Children"}));
    EXPECT_EQ(node->ChildText("Name"), "Books");
    const MarkupNode* firstChild = node->Child("Children")->Child("BrowseNode");
    EXPECT_EQ(NamesOf(*firstChild), (std::vector<std::string>{"BrowseNodeId", "Name"}));

    const long long childId = std::stoll(firstChild->ChildText("BrowseNodeId"));
    const MarkupDocument child = sim.Document(BrowseNodeUrl("ecs.amazonaws.de", childId));
    const MarkupNode* childNode = NodeOf(child);
    ASSERT_NE(childNode, nullptr);
    EXPECT_EQ(NamesOf(*childNode),
              (std::vector<std::string>{"BrowseNodeId", "Name", "Children", "Ancestors"}));
    const MarkupNode* parent = childNode->Child("Ancestors")->Child("BrowseNode");
    EXPECT_EQ(parent->ChildText("BrowseNodeId"), "541686");
    EXPECT_EQ(parent->ChildText("Name"), "Books");
}

TEST(BrowseTree, IdsAreDistinctAcrossEveryStoresTrees) {
    const sim::BrowseTree tree(1, {3, 4});
    std::set<std::int32_t> ids;
    std::size_t nodes = 0;
    for (const web::StoreInfo& store : web::Stores()) {
        std::set<std::int32_t> roots;
        for (const web::SearchIndexEntry& entry : web::SearchIndexesOf(store.siteFlag))
            roots.insert(entry.node);
        for (const std::int32_t root : roots) {
            std::deque<std::int32_t> queue{root};
            while (!queue.empty()) {
                const std::optional<sim::BrowseNodeView> view =
                    tree.Find(store.siteFlag, queue.front());
                queue.pop_front();
                ASSERT_TRUE(view);
                ++nodes;
                if (view->node.id != root) {
                    EXPECT_TRUE(ids.insert(view->node.id).second);
                }
                for (const sim::NodeRef& child : view->children) queue.push_back(child.id);
            }
        }
    }
    EXPECT_EQ(nodes - ids.size(), 72u) << "the distinct roots of the six stores";
    EXPECT_EQ(ids.size(), 72u * 84u);
}

TEST(BrowseTree, LargestShapeStaysWithin32BitIds) {
    // 4,900 x 4,900 nodes under each of the 72 roots just fit above the real root ids.
    EXPECT_EQ(sim::BrowseTree::CheckShape({2, 4900}), "");
    EXPECT_NE(sim::BrowseTree::CheckShape({2, 5000}), "");
    EXPECT_NE(sim::BrowseTree::CheckShape({40, 10}), "");
    const sim::BrowseTree tree(1, {2, 4900});
    for (const web::StoreInfo& store : web::Stores()) {
        for (const web::SearchIndexEntry& entry : web::SearchIndexesOf(store.siteFlag)) {
            std::optional<sim::BrowseNodeView> view = tree.Find(store.siteFlag, entry.node);
            for (int level = 0; view && !view->children.empty(); ++level) {
                const std::int32_t last = view->children.back().id;
                ASSERT_GT(last, sim::BrowseTree::kFirstChildId);
                view = tree.Find(store.siteFlag, last);
                ASSERT_TRUE(view) << last;
                EXPECT_EQ(view->node.id, last);
            }
        }
    }
}

TEST(BrowseNodeReply, UnknownNodesGetAnErrorReply) {
    struct Case {
        const char* name;
        std::string url;
        const char* code;
    };
    const RunningSimulator sim;
    const MarkupDocument usRoot = sim.Document(BrowseNodeUrl("ecs.amazonaws.com", 1000));
    const std::string usChild =
        NodeOf(usRoot)->Child("Children")->Child("BrowseNode")->ChildText("BrowseNodeId");
    const Case cases[] = {
        {"NoSuchNode", BrowseNodeUrl("ecs.amazonaws.com", 12345), "AWS.InvalidParameterValue"},
        {"RootOfAnotherStore", BrowseNodeUrl("ecs.amazonaws.co.uk", 1000),
         "AWS.InvalidParameterValue"},
        {"ChildOfAnotherStore", BrowseNodeUrl("ecs.amazonaws.fr", std::stoll(usChild)),
         "AWS.InvalidParameterValue"},
        {"BeyondTheLastBlock", BrowseNodeUrl("ecs.amazonaws.com", 2147483647),
         "AWS.InvalidParameterValue"},
        {"NotANumber",
         ServiceUrl("ecs.amazonaws.com", "BrowseNodeLookup",
                    "&ResponseGroup=BrowseNodeInfo&BrowseNodeId=books"),
         "AWS.InvalidParameterValue"},
        {"NoNode",
         ServiceUrl("ecs.amazonaws.com", "BrowseNodeLookup", "&ResponseGroup=BrowseNodeInfo"),
         "AWS.MissingParameters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MarkupDocument reply = sim.Document(c.url);
        const MarkupNode* root = reply.root->Child("BrowseNodeLookupResponse");
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(NodeOf(reply), nullptr);
        EXPECT_TRUE(reply.root->Descendants("Children").empty());
        const std::vector<const MarkupNode*> codes =
            root->Child("BrowseNodes")->Child("Request")->Descendants("Code");
        ASSERT_EQ(codes.size(), 1u);
        EXPECT_EQ(codes[0]->Text(), c.code);
    }
}

}  // namespace
}  // namespace zem::test
