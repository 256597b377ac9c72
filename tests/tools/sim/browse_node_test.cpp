// BrowseNodeLookup replies: trees of the configured depth and fan-out under every root node,
// distinct 32-bit ids, the layout the node reader walks, and errors for unknown nodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <limits>
#include <map>
#include <set>

#include "browse_tree.h"
#include "platform/runtime/code_pages.h"
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
        {{3, 4, false}, "ecs.amazonaws.ca", 110218011},
        {{3, 3, false}, "ecs.amazonaws.de", 541686},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.shape.depth) + "x" + std::to_string(c.shape.fanout) +
                     (c.shape.crossLinks ? " with cross links" : " plain"));
        const RunningSimulator sim({.seed = 1, .tree = c.shape});
        std::map<int, int> perLevel;
        std::set<long long> met{c.root};
        std::size_t listedAgain = 0;
        // Crawl as the catalog updater does, each node once: request every node met, note the
        // level it was first met at.
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
            ++perLevel[level];
            const MarkupNode* children = node->Child("Children");
            if (level == c.shape.depth) {
                EXPECT_EQ(children, nullptr) << "a node below the last level";
                continue;
            }
            ASSERT_NE(children, nullptr) << id;
            const std::vector<const MarkupNode*> listed = children->Children("BrowseNode");
            ASSERT_GE(listed.size(), static_cast<std::size_t>(c.shape.fanout));
            // The node's own children come first, each with a name of its own.
            std::set<std::string> names;
            for (int i = 0; i < c.shape.fanout; ++i) names.insert(listed[i]->ChildText("Name"));
            EXPECT_EQ(names.size(), static_cast<std::size_t>(c.shape.fanout)) << "sibling names";
            for (const MarkupNode* child : listed) {
                const long long childId = std::stoll(child->ChildText("BrowseNodeId"));
                if (!met.insert(childId).second) {
                    ++listedAgain;
                    continue;
                }
                queue.emplace_back(childId, level + 1, child->ChildText("Name"));
            }
        }
        int expected = 1;
        for (int level = 0; level <= c.shape.depth; ++level, expected *= c.shape.fanout)
            EXPECT_EQ(perLevel[level], expected) << "level " << level;
        if (!c.shape.crossLinks) {
            EXPECT_EQ(listedAgain, 0u) << "a plain tree lists every node once";
        }
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
                // A node's own children: the others are listed under their first parent too.
                for (std::size_t i = 0; i < view->ownChildren; ++i)
                    queue.push_back(view->children[i].id);
            }
        }
    }
    EXPECT_EQ(nodes - ids.size(), 72u) << "the distinct roots of the six stores";
    EXPECT_EQ(ids.size(), 72u * 84u);
}

// Every node of one store's tree under root, by id, from the tree itself.
std::map<std::int32_t, sim::BrowseNodeView> NodesUnder(const sim::BrowseTree& tree,
                                                       std::int32_t site, std::int32_t root) {
    std::map<std::int32_t, sim::BrowseNodeView> nodes;
    std::deque<std::int32_t> queue{root};
    while (!queue.empty()) {
        const std::int32_t id = queue.front();
        queue.pop_front();
        if (nodes.contains(id)) continue;
        const std::optional<sim::BrowseNodeView> view = tree.Find(site, id);
        if (!view) {
            ADD_FAILURE() << "no node " << id;
            continue;
        }
        for (const sim::NodeRef& child : view->children) queue.push_back(child.id);
        nodes.emplace(id, *view);
    }
    return nodes;
}

// The cross links of every store's trees of depth 3 and fan-out 4.
struct Links {
    int shared = 0;  // nodes listed by a second parent
    int loops = 0;   // nodes that list their first parent among their children
    friend bool operator==(const Links&, const Links&) = default;
};
std::ostream& operator<<(std::ostream& out, const Links& links) {
    return out << links.shared << " shared, " << links.loops << " loops";
}

Links LinksOf(const sim::BrowseTree& tree) {
    Links links;
    for (const web::StoreInfo& store : web::Stores()) {
        std::set<std::int32_t> roots;
        for (const web::SearchIndexEntry& entry : web::SearchIndexesOf(store.siteFlag))
            roots.insert(entry.node);
        for (const std::int32_t root : roots) {
            const auto nodes = NodesUnder(tree, store.siteFlag, root);
            // A tree of depth 3 and fan-out 4 has 85 nodes, however they are linked.
            EXPECT_EQ(nodes.size(), 85u) << root;
            for (const auto& [id, view] : nodes) {
                EXPECT_EQ(view.ownChildren, view.level < 3 ? 4u : 0u);
                for (std::size_t i = view.ownChildren; i < view.children.size(); ++i) {
                    const sim::NodeRef& listed = view.children[i];
                    const sim::BrowseNodeView& other = nodes.at(listed.id);
                    // Listed under the name it has itself.
                    EXPECT_EQ(listed.name, other.node.name);
                    if (!view.ancestors.empty() && listed.id == view.ancestors[0].id) {
                        EXPECT_EQ(i + 1, view.children.size()) << "the parent comes last";
                        ++links.loops;
                        continue;
                    }
                    // A second parent sits on the level of the first, which alone is named in
                    // the node's ancestors.
                    EXPECT_FALSE(other.ancestors.empty());
                    if (other.ancestors.empty()) continue;
                    EXPECT_NE(other.ancestors[0].id, id);
                    EXPECT_EQ(other.level, view.level + 1);
                    EXPECT_EQ(nodes.at(other.ancestors[0].id).level, view.level);
                    ++links.shared;
                }
            }
        }
    }
    return links;
}

TEST(BrowseTree, SomeNodesHaveTwoParentsAndSomeChildListsNameTheParentAgain) {
    const Links links = LinksOf(sim::BrowseTree(1, {3, 4}));
    // One in six below the first level (72 x 80 nodes) and one in five with children and a
    // parent (72 x 20): about 960 and 288.
    EXPECT_GT(links.shared, 700);
    EXPECT_LT(links.shared, 1200);
    EXPECT_GT(links.loops, 200);
    EXPECT_LT(links.loops, 380);
    EXPECT_EQ(LinksOf(sim::BrowseTree(1, {3, 4})), links) << "the seed decides";
    EXPECT_NE(LinksOf(sim::BrowseTree(2, {3, 4})), links);
    EXPECT_EQ(LinksOf(sim::BrowseTree(1, {3, 4, false})), Links{});
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
            for (int level = 0; view && view->ownChildren > 0; ++level) {
                const std::int32_t last = view->children[view->ownChildren - 1].id;
                ASSERT_GT(last, sim::BrowseTree::kFirstChildId);
                view = tree.Find(store.siteFlag, last);
                ASSERT_TRUE(view) << last;
                EXPECT_EQ(view->node.id, last);
            }
        }
    }
}

TEST(BrowseNodeReply, TheJapaneseStoreNamesItsNodesInJapanese) {
    const RunningSimulator sim;
    const auto japanese = [](const std::string& name) {
        // Not ASCII, and every character one the store's windows can show.
        const bool ascii = std::all_of(name.begin(), name.end(), [](char ch) {
            return static_cast<unsigned char>(ch) < 0x80;
        });
        const std::string shown = runtime::FromUtf8(name, runtime::CodePage::ShiftJis);
        return !ascii && shown.find('?') == std::string::npos &&
               runtime::ToUtf8(shown, runtime::CodePage::ShiftJis) == name;
    };
    const MarkupDocument root = sim.Document(BrowseNodeUrl("ecs.amazonaws.jp", 465610));
    const MarkupNode* node = NodeOf(root);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->ChildText("Name"), "本");
    const std::vector<const MarkupNode*> children = node->Child("Children")->Children("BrowseNode");
    ASSERT_FALSE(children.empty());
    for (const MarkupNode* child : children) {
        const std::string name = child->ChildText("Name");
        EXPECT_TRUE(japanese(name)) << name;
        const MarkupDocument own = sim.Document(
            BrowseNodeUrl("ecs.amazonaws.jp", std::stoll(child->ChildText("BrowseNodeId"))));
        ASSERT_NE(NodeOf(own), nullptr);
        EXPECT_EQ(NodeOf(own)->ChildText("Name"), name);
        EXPECT_EQ(NodeOf(own)->Child("Ancestors")->Child("BrowseNode")->ChildText("Name"), "本");
    }
    // The other stores keep their captions and English names.
    const MarkupDocument us = sim.Document(BrowseNodeUrl("ecs.amazonaws.com", 1000));
    EXPECT_EQ(NodeOf(us)->ChildText("Name"), "Books");
    const std::string usChild =
        NodeOf(us)->Child("Children")->Child("BrowseNode")->ChildText("Name");
    EXPECT_FALSE(japanese(usChild)) << usChild;
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
