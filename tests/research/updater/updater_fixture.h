#pragma once
// The catalog updater as the catalog tree starts it: on a framework thread of its own, with the
// headless display for the screen, a set clock for the window's timer and the service simulator
// as the configured proxy. This thread keeps a dictionary of its own to seed the configuration
// and the old catalog rows and to read the tables back.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <compare>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "browse_tree.h"
#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/requests.h"
#include "platform/store/errors.h"
#include "platform/ui/settings/ini_manager.h"
#include "research/support/job_test_support.h"
#include "research/updater/build_catalog.h"
#include "service_simulator.h"
#include "shell/start_application.h"
#include "web/browse_node_loader.h"
#include "web/http_loader.h"
#include "web/stores.h"

namespace zem::test {

using namespace std::chrono_literals;

// SiteFlags.
inline constexpr std::uint8_t kUS = 1;
inline constexpr std::uint8_t kUK = 2;
inline constexpr std::uint8_t kFR = 4;
inline constexpr std::uint8_t kCA = 32;
inline constexpr std::uint8_t kAllStores = 63;

// The rows a previous update left, in ID order: US, UK and CA. The CA rows carry the highest
// node IDs, so a rewrite of CA alone numbers its new nodes from below them.
inline std::vector<data::CatalogsRecord> OldCatalogs() {
    struct Row {
        std::int32_t id, parent;
        const char* name;
        std::int32_t node;
        const char* catalog;
        std::int32_t flags;
        std::uint8_t byBrand;
    };
    const Row rows[] = {
        {3, 0, "Amazon US", 0, "", kUS, 0},          {12, 0, "Amazon UK", 0, "", kUK, 0},
        {40, 3, "Books", 1000, "Books", kUS, 1},     {50, 0, "Amazon CA", 0, "", kCA, 0},
        {51, 50, "Books", 927726, "Books", kCA, 1},  {60, 50, "Old Toys", 555, "Toys", kCA, 0},
        {90, 12, "Books", 1025612, "Books", kUK, 0},
    };
    std::vector<data::CatalogsRecord> records;
    for (const Row& r : rows) {
        data::CatalogsRecord cat{};
        cat.ID = r.id;
        cat.PARENT = r.parent;
        data::SetCString(cat.NAME, r.name);
        cat.NODE = r.node;
        data::SetCString(cat.CATALOG, r.catalog);
        cat.FLAGS = r.flags;
        cat.BYBRAND = r.byBrand;
        records.push_back(cat);
    }
    return records;
}

inline std::vector<data::NodesRecord> OldNodes() {
    struct Row {
        std::int32_t id, parent, node;
        const char* name;
        std::int32_t flags;
    };
    const Row rows[] = {
        {5, 0, 0, "Amazon US", kUS},      {6, 5, 1000, "Books", kUS},
        {70, 0, 0, "Amazon UK", kUK},     {71, 70, 1025612, "Books", kUK},
        {200, 0, 0, "Amazon CA", kCA},    {201, 200, 927726, "Books", kCA},
        {202, 201, 4242, "Fiction", kCA},
    };
    std::vector<data::NodesRecord> records;
    for (const Row& r : rows) {
        data::NodesRecord nod{};
        nod.ID = r.id;
        nod.PARENT = r.parent;
        nod.NODE = r.node;
        data::SetCString(nod.NAME, r.name);
        nod.FLAGS = r.flags;
        records.push_back(nod);
    }
    return records;
}

// Field by field, so a failure names the row.
inline void ExpectSameCatalogs(const std::vector<data::CatalogsRecord>& actual,
                               const std::vector<data::CatalogsRecord>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE("catalog " + std::to_string(expected[i].ID));
        EXPECT_EQ(actual[i].ID, expected[i].ID);
        EXPECT_EQ(actual[i].PARENT, expected[i].PARENT);
        EXPECT_EQ(data::CStringOf(actual[i].NAME), data::CStringOf(expected[i].NAME));
        EXPECT_EQ(actual[i].NODE, expected[i].NODE);
        EXPECT_EQ(data::CStringOf(actual[i].CATALOG), data::CStringOf(expected[i].CATALOG));
        EXPECT_EQ(actual[i].FLAGS, expected[i].FLAGS);
        EXPECT_EQ(actual[i].BYBRAND, expected[i].BYBRAND);
    }
}
inline void ExpectSameNodes(const std::vector<data::NodesRecord>& actual,
                            const std::vector<data::NodesRecord>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE("node " + std::to_string(expected[i].ID));
        EXPECT_EQ(actual[i].ID, expected[i].ID);
        EXPECT_EQ(actual[i].PARENT, expected[i].PARENT);
        EXPECT_EQ(actual[i].NODE, expected[i].NODE);
        EXPECT_EQ(data::CStringOf(actual[i].NAME), data::CStringOf(expected[i].NAME));
        EXPECT_EQ(actual[i].FLAGS, expected[i].FLAGS);
    }
}

template <typename Record>
inline std::vector<Record> RowsWhere(const std::vector<Record>& rows, bool ofMask,
                                     std::uint8_t mask) {
    std::vector<Record> kept;
    for (const Record& row : rows)
        if (((row.FLAGS & mask) != 0) == ofMask) kept.push_back(row);
    return kept;
}

template <typename Record>
inline std::int32_t HighestId(const std::vector<Record>& rows) {
    std::int32_t highest = 0;
    for (const Record& row : rows) highest = std::max<std::int32_t>(highest, row.ID);
    return highest;
}

// A Nodes row as the tree shows it: its store, browse node, name, its parent's browse node
// (-1 for a store's root) and its level (0 root, 1 search index, 2 and more crawled).
struct TreeNode {
    std::int32_t flags = 0;
    std::int32_t node = 0;
    std::string name;
    std::int32_t parentNode = -1;
    int level = 0;
    auto operator<=>(const TreeNode&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const TreeNode& n) {
        return out << "{" << n.flags << " " << n.node << " '" << n.name << "' under "
                   << n.parentNode << " at " << n.level << "}";
    }
};
using Tree = std::multiset<TreeNode>;

class CatalogUpdaterTest : public SimulatedJobTest {
  protected:
    CatalogUpdaterTest()
        : SimulatedJobTest(sim::ContentSettings{.seed = kSeed, .tree = kShape},
                           TickPace{.timerPeriod = kTimerPeriod, .pause = 5ms, .limit = 120s}) {}

    // --- The data file, through this thread's dictionary. ---

    // The configuration record: the simulator (or the given proxy) as the proxy, set by hand.
    void Configure(int catalogLevel, const std::string& proxy = {}) {
        data::TableManager& sysinfo = data::Access(data::TableId::Sysinfo);
        ASSERT_EQ(sysinfo.PrimeRecord(), ui::Benign);
        data::SysinfoRecord& sys = data::Dict().SYS;
        sys.USERAGENT = 1;
        sys.MANUAL = 1;
        data::SetCString(sys.PROXY, proxy.empty() ? ProxyAddress() : proxy);
        sys.CATALOGLEVEL = static_cast<std::uint8_t>(catalogLevel);
        ASSERT_EQ(sysinfo.Insert(), ui::Benign);
    }

    // Makes exactly the stores of mask active.
    static void SetActiveStores(std::uint8_t mask) {
        data::TableManager& sites = data::Access(data::TableId::Sites);
        ASSERT_EQ(sites.UseFile(), ui::Benign);
        for (const web::StoreInfo& store : web::Stores()) {
            data::Dict().SIT.ID = store.siteFlag;
            ASSERT_EQ(sites.Fetch(data::SIT_KeyId), ui::Benign);
            data::Dict().SIT.ISACTIVE = (mask & store.siteFlag) != 0 ? 1 : 0;
            ASSERT_EQ(sites.Update(), ui::Benign);
        }
    }

    static void AddCatalogs(const std::vector<data::CatalogsRecord>& rows) {
        store::Table& table = Opened(data::TableId::Catalogs);
        for (const data::CatalogsRecord& row : rows) {
            data::Dict().CAT = row;
            ASSERT_EQ(table.Add(), store::NoError) << store::ErrorText();
        }
    }
    static void AddNodes(const std::vector<data::NodesRecord>& rows) {
        store::Table& table = Opened(data::TableId::Nodes);
        for (const data::NodesRecord& row : rows) {
            data::Dict().NOD = row;
            ASSERT_EQ(table.Add(), store::NoError) << store::ErrorText();
        }
    }

    // The tables' rows in ID order.
    static std::vector<data::CatalogsRecord> Catalogs() {
        return RowsOf(data::TableId::Catalogs, data::CAT_KeyId, data::Dict().CAT);
    }
    static std::vector<data::NodesRecord> Nodes() {
        return RowsOf(data::TableId::Nodes, data::NOD_KeyId, data::Dict().NOD);
    }

    // --- The updater. ---

    // Runs the updater on a framework thread of its own; entry defaults to BuildCatalog.
    void Start(std::function<void()> entry = {}) {
        RunJob([this, entry] {
            if (!data::HasDictionary()) {
                ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
            }
            if (entry) {
                entry();
            } else {
                research::BuildCatalog();
            }
            response_ = runtime::GlobalResponse();
        });
    }

    // Starts the updater and waits for its window.
    ui::WindowId StartWindow(std::function<void()> entry = {}) {
        Start(std::move(entry));
        const auto w = display->WaitForWindow("BuildCatalog");
        EXPECT_TRUE(w) << "the updater's window did not open";
        return w.value_or(0);
    }

    // Waits for the updater's thread to end; answers the response it left.
    int Finish() {
        JoinJob();
        return response_;
    }

    // The browse-node lookups the simulator was asked, as "GET <target>".
    std::vector<std::string> Lookups() const { return RequestsWith("Operation=BrowseNodeLookup"); }

    // --- What a crawl must find. ---

    // The catalog queue and the seeded node queue the stores of mask start from.
    struct Seeds {
        web::SearchIndexQueue catalogs;
        web::BrowseNodeQueue nodes;
    };
    static Seeds SeedsOf(std::uint8_t mask) {
        Seeds seeds;
        web::FillSearchIndexes(mask, seeds.catalogs, seeds.nodes);
        return seeds;
    }

    // The simulator's trees below the stores of mask, cut at the depth limit.
    Tree ExpectedTree(std::uint8_t mask, int depthLimit) const {
        const sim::BrowseTree tree(kSeed, kShape);
        const Seeds seeds = SeedsOf(mask);
        Tree expected;
        for (const web::BrowseNodeRow& row : seeds.nodes.Rows()) {
            if (row.LEVEL == 0) {
                expected.insert({row.BSITE, 0, std::string(data::CStringOf(row.NAME)), -1, 0});
                continue;
            }
            std::string name(data::CStringOf(row.NAME));
            const bool requested = row.LEVEL < depthLimit;
            if (requested) name = Cut(tree.Find(row.BSITE, row.NODE)->node.name);
            expected.insert({row.BSITE, row.NODE, name, 0, 1});
            if (requested)
                AddChildren(tree, row.BSITE, row.NODE, 1, depthLimit, {row.NODE}, expected);
        }
        return expected;
    }

    // The Nodes rows of the stores of mask as a tree.
    static Tree TreeOf(const std::vector<data::NodesRecord>& rows, std::uint8_t mask) {
        std::map<std::int32_t, const data::NodesRecord*> byId;
        for (const data::NodesRecord& row : rows)
            if ((row.FLAGS & mask) != 0) byId.emplace(+row.ID, &row);
        Tree tree;
        for (const auto& [id, row] : byId) {
            TreeNode n{+row->FLAGS, +row->NODE, std::string(data::CStringOf(row->NAME)), -1, 0};
            for (std::int32_t parent = row->PARENT; parent != 0; ++n.level) {
                const auto up = byId.find(parent);
                if (up == byId.end()) {
                    ADD_FAILURE() << "row " << id << " has a parent that is not there: " << parent;
                    break;
                }
                if (n.level == 0) n.parentNode = up->second->NODE;
                parent = up->second->PARENT;
            }
            tree.insert(n);
        }
        return tree;
    }

    static constexpr runtime::Ticks kTimerPeriod = 5;
    static constexpr std::uint64_t kSeed = 1;
    static constexpr sim::TreeShape kShape{.depth = 3, .fanout = 2};

  private:
    static store::Table& Opened(data::TableId id) {
        data::TableManager& manager = data::Access(id);
        EXPECT_EQ(manager.UseFile(), ui::Benign);
        return manager.File();
    }

    template <typename Record>
    static std::vector<Record> RowsOf(data::TableId id, std::size_t key, Record& buffer) {
        store::Table& table = Opened(id);
        std::vector<Record> rows;
        if (table.Set(key) != store::NoError) return rows;
        while (table.Next() == store::NoError) rows.push_back(buffer);
        return rows;
    }

    // A name as the node queue holds it: at most 80 characters.
    static std::string Cut(std::string name) {
        if (name.size() > 80) name.resize(80);
        return name;
    }

    // path: the nodes from the search index down to node. The service's child lists may name
    // one of them again; the crawl does not nest a node inside itself.
    static void AddChildren(const sim::BrowseTree& tree, std::int32_t flags, std::int32_t node,
                            int level, int depthLimit, std::vector<std::int32_t> path, Tree& out) {
        const auto view = tree.Find(flags, node);
        if (!view) {
            ADD_FAILURE() << "the simulator has no node " << node;
            return;
        }
        for (const sim::NodeRef& child : view->children) {
            if (std::find(path.begin(), path.end(), child.id) != path.end()) continue;
            const bool requested = level + 1 < depthLimit;
            std::string name = Cut(child.name);
            if (requested) name = Cut(tree.Find(flags, child.id)->node.name);
            out.insert({flags, child.id, name, node, level + 1});
            if (!requested) continue;
            path.push_back(child.id);
            AddChildren(tree, flags, child.id, level + 1, depthLimit, path, out);
            path.pop_back();
        }
    }

    int response_ = -1;
};

}  // namespace zem::test
