// The catalog tree at scale: the tree a tree window shows, opened (first level), Expand All and
// Contract All, over a data file holding the crawled tree. Headless: the tree the window builds
// (the rows it hands the display included); its peer reads the same Nodes and Catalogs rows
// with raw SQLite and builds the same list in memory. Qt (offscreen): the same, then the rows
// shown in the display's own tree widget; its peer fills a plain QTreeWidget with the same
// items in one call and expands it.
#include <QApplication>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "crawl.h"
#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "platform/store/sqlite.h"
#include "platform/ui/qt/list_widgets.h"
#include "research/tree/catalog_tree.h"
#include "scale.h"
#include "support/temp_dir.h"

namespace {

using zem::bench::Seconds;
constexpr zem::bench::Sizes kSizes = {1000, 10000, 100000};
constexpr const char* kPassword = "qorv lantis  u mepr";
constexpr int kPhases = 3;  // opened, Expand All, Contract All

int RunsAt(int nodes) {
    return nodes >= 100000 ? 3 : 5;
}

// The rows a tree window hands its display.
std::vector<zem::ui::ListRow> DisplayRows(const zem::research::CatalogTree& tree) {
    std::vector<zem::ui::ListRow> rows;
    rows.reserve(tree.Entries().size());
    for (const zem::research::TreeEntry& entry : tree.Entries()) {
        const std::int32_t depth = entry.level < 0 ? -entry.level : entry.level;
        rows.push_back(zem::ui::ListRow{{entry.display}, depth + 1, entry.level < 0, entry.icon});
    }
    return rows;
}

// The display's tree widget, shown, as a tree window holds it.
struct QtTree {
    QtTree() : list(zem::ui::qt::MakeListWidget(nullptr, zem::ui::ControlKind::Tree)) {
        view.model.kind = zem::ui::ControlKind::Tree;
        // One column "Name"; each row's icon stands before its label.
        view.model.columns = {zem::ui::ListColumn{"Name", 200, false, false}};
        view.model.icons = {"~mcrtree.ico", "~openfold.ico", "~shutfold.ico"};
        // The columns go in as a window's first show puts them (no earlier state to compare).
        zem::ui::qt::ApplyList(list.get(), view, nullptr, 0);
        list->resize(800, 600);
        list->show();
    }
    void Show(std::vector<zem::ui::ListRow> rows) {
        const zem::ui::Control before = view.model;
        view.model.rows = std::move(rows);
        view.model.selected = 1;
        zem::ui::qt::ApplyList(list.get(), view, &before, 0);
        QApplication::processEvents();
    }
    std::unique_ptr<QTreeWidget> list;
    zem::ui::qt::ControlView view;
};

// Values of one run: opened, Expand All, Contract All.
std::vector<double> ThroughTheTree(int nodeCount, bool qt) {
    zem::test::TempDir dir;
    if (!zem::bench::SeedFile(dir / "zembrola.dat", nodeCount)) std::exit(1);
    if (!zem::bench::OpenFile(dir / "zembrola.dat")) std::exit(1);
    std::unique_ptr<QApplication> app;
    std::unique_ptr<QtTree> shown;
    int argc = 1;
    char name[] = "tree_bench";
    char* argv[] = {name, nullptr};
    if (qt) {
        app = std::make_unique<QApplication>(argc, argv);
        shown = std::make_unique<QtTree>();
    }
    std::vector<double> values;
    for (int run = 0; run < zem::bench::Runs(RunsAt(nodeCount)); ++run) {
        zem::research::CatalogTree tree;
        tree.SetSiteMask(zem::bench::kAllStores);
        for (auto how :
             {&zem::research::CatalogTree::Refresh, &zem::research::CatalogTree::ExpandAll,
              &zem::research::CatalogTree::ContractAll}) {
            values.push_back(Seconds([&] {
                (tree.*how)();
                std::vector<zem::ui::ListRow> rows = DisplayRows(tree);
                if (shown) shown->Show(std::move(rows));
            }));
        }
        if (tree.Rows() != 1 + 6) std::exit(1);  // the root and the stores, contracted
    }
    shown.reset();
    app.reset();
    zem::bench::CloseFile();
    return values;
}

// The bare equivalent: the same rows read with raw SQLite, the same list built in memory.
class RawTree {
  public:
    explicit RawTree(const std::filesystem::path& path) {
        sqlite3* raw = nullptr;
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
        db_.reset(raw);
        sqlite3_key(raw, kPassword, static_cast<int>(std::strlen(kPassword)));
    }
    // depthLimit 1: the first level; 0: everything.
    std::vector<zem::ui::ListRow> Build(int depthLimit) {
        struct Node {
            std::int32_t id;
            std::string label;
        };
        std::map<std::int32_t, std::vector<Node>> children;
        std::map<std::pair<std::int32_t, std::int32_t>, std::string> names;
        zem::store::Statement cats(db_.get(),
                                   "SELECT NODE, FLAGS, NAME FROM Catalogs ORDER BY NODE, FLAGS, "
                                   "_key_NAME");
        while (cats.Step() == SQLITE_ROW) {
            std::string& n = names[{static_cast<std::int32_t>(cats.Int(0)),
                                    static_cast<std::int32_t>(cats.Int(1))}];
            n += (n.empty() ? "" : ", ") + std::string(cats.Text(2));
        }
        // Everything for Expand All; the first level and whether each has a child otherwise.
        zem::store::Statement nodes(
            db_.get(), depthLimit == 0 ? "SELECT ID, PARENT, NODE, FLAGS, NAME FROM Nodes WHERE "
                                         "FLAGS & 63 ORDER BY PARENT, _key_NAME, rowid"
                                       : "SELECT ID, PARENT, NODE, FLAGS, NAME FROM Nodes WHERE "
                                         "PARENT = 0 AND FLAGS & 63 ORDER BY _key_NAME, rowid");
        zem::store::Statement anyChild(
            db_.get(), "SELECT 1 FROM Nodes WHERE PARENT = ? AND FLAGS & 63 LIMIT 1");
        while (nodes.Step() == SQLITE_ROW) {
            const auto it = names.find(
                {static_cast<std::int32_t>(nodes.Int(2)), static_cast<std::int32_t>(nodes.Int(3))});
            std::string label(nodes.Text(4));
            if (it != names.end()) label = it->second + " (" + label + ")";
            children[static_cast<std::int32_t>(nodes.Int(1))].push_back(
                {static_cast<std::int32_t>(nodes.Int(0)), label.substr(0, 200)});
        }
        if (depthLimit != 0) {
            // A contracted entry shows whether it has children.
            for (const Node& n : children[0]) {
                anyChild.Reset();
                anyChild.Bind(1, std::int64_t{n.id});
                if (anyChild.Step() == SQLITE_ROW) children[n.id];
            }
        }
        std::vector<zem::ui::ListRow> rows{{{"AMAZON root"}, 1, false, 1}};
        std::vector<std::pair<const std::vector<Node>*, std::size_t>> stack;
        if (children.count(0)) stack.push_back({&children[0], 0});
        while (!stack.empty()) {
            auto& [list, next] = stack.back();
            if (next == list->size()) {
                stack.pop_back();
                continue;
            }
            const Node& n = (*list)[next++];
            const auto kids = children.find(n.id);
            const int depth = static_cast<int>(stack.size());
            const bool open = kids != children.end() && !kids->second.empty() &&
                              (depthLimit == 0 || depth < depthLimit);
            rows.push_back({{n.label}, depth + 1, false, open ? 2 : 3});
            if (open) stack.push_back({&kids->second, 0});
        }
        return rows;
    }

  private:
    zem::store::DbHandle db_;
};

std::vector<double> ThroughTheBareEquivalent(int nodeCount, bool qt) {
    zem::test::TempDir dir;
    if (!zem::bench::SeedFile(dir / "zembrola.dat", nodeCount)) std::exit(1);
    RawTree raw(dir / "zembrola.dat");
    std::unique_ptr<QApplication> app;
    std::unique_ptr<QTreeWidget> list;
    int argc = 1;
    char name[] = "tree_bench";
    char* argv[] = {name, nullptr};
    if (qt) {
        app = std::make_unique<QApplication>(argc, argv);
        list = std::make_unique<QTreeWidget>();
        list->setColumnCount(2);
        list->setUniformRowHeights(true);
        list->resize(800, 600);
        list->show();
    }
    auto show = [&](const std::vector<zem::ui::ListRow>& rows) {
        if (!list) return;
        list->clear();
        std::vector<QTreeWidgetItem*> parents;
        QList<QTreeWidgetItem*> top;
        for (const zem::ui::ListRow& row : rows) {
            auto* item = new QTreeWidgetItem(QStringList{
                QString(),
                QString::fromUtf8(row.cells[0].data(), static_cast<int>(row.cells[0].size()))});
            parents.resize(static_cast<std::size_t>(row.level - 1));
            if (parents.empty())
                top.append(item);
            else
                parents.back()->addChild(item);
            parents.push_back(item);
        }
        list->addTopLevelItems(top);
        list->expandAll();
        QApplication::processEvents();
    };
    std::vector<double> values;
    for (int run = 0; run < zem::bench::Runs(RunsAt(nodeCount)); ++run)
        for (int depthLimit : {1, 0, 1})
            values.push_back(Seconds([&] { show(raw.Build(depthLimit)); }));
    list.reset();
    app.reset();
    return values;
}

}  // namespace

int main() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const char* phases[kPhases] = {"opened", "Expand All", "Contract All"};
    // ZEM_BENCH_DISPLAY=headless or qt measures that display only.
    const char* display = std::getenv("ZEM_BENCH_DISPLAY");
    for (bool qt : {false, true}) {
        if (display && std::strcmp(display, qt ? "qt" : "headless") != 0) continue;
        std::vector<zem::bench::Series> lines;
        for (int p = 0; p < kPhases; ++p) {
            lines.push_back({std::string(phases[p]) + ", tree window",
                             {},
                             {},
                             static_cast<int>(lines.size()) + 1});
            lines.push_back({std::string(phases[p]) + ", bare", {}, {}, -1});
        }
        for (std::size_t s = 0; s < kSizes.size(); ++s) {
            const int n = kSizes[s];
            if (zem::bench::Skipped(n)) continue;
            const auto ours = zem::bench::InChild([n, qt] { return ThroughTheTree(n, qt); });
            const auto peer = zem::bench::PeerInChild(
                [n, qt] { return ThroughTheBareEquivalent(n, qt); }, ours.values.size());
            if (ours.values.empty() || peer.values.empty()) return 1;
            for (int p = 0; p < kPhases; ++p) {
                auto& mine = lines[static_cast<std::size_t>(p) * 2];
                auto& bare = lines[static_cast<std::size_t>(p) * 2 + 1];
                mine.seconds[s] = zem::bench::MedianOfPhase(ours.values, p, kPhases);
                mine.peakKiB[s] = ours.peakKiB;
                bare.seconds[s] = zem::bench::MedianOfPhase(peer.values, p, kPhases);
                bare.peakKiB[s] = peer.peakKiB;
            }
        }
        zem::bench::Print(qt ? "Catalog tree, Qt display (offscreen), nodes in the data file"
                             : "Catalog tree, headless, nodes in the data file",
                          kSizes, lines);
    }
    return 0;
}
