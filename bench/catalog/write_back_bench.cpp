// The catalog updater's write-back of a crawled tree (seeded directly, no crawl): a fresh write
// into an empty data file and a rewrite over a tree of the same size, each in its one
// transaction. The peer is raw SQLite doing the same deletes and inserts in one transaction on
// the same kind of file (SQLCipher, same password, same tables and indexes, made by the
// program).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "crawl.h"
#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/store/fold.h"
#include "platform/store/sqlite.h"
#include "research/updater/catalog_write_back.h"
#include "scale.h"
#include "support/temp_dir.h"
#include "web/browse_node_loader.h"

namespace {

using zem::bench::CloseFile;
using zem::bench::Crawl;
using zem::bench::kAllStores;
using zem::bench::MakeCrawl;
using zem::bench::OpenFile;
using zem::bench::Seconds;
constexpr zem::bench::Sizes kSizes = {1000, 10000, 100000};
constexpr const char* kPassword = "qorv lantis  u mepr";

int RunsAt(int nodes) {
    return nodes >= 100000 ? 3 : nodes >= 10000 ? 5 : 9;
}

// Per run: the fresh write, then the rewrite.
std::vector<double> ThroughWriteBack(int nodeCount) {
    const Crawl crawl = MakeCrawl(nodeCount);
    std::vector<double> values;
    for (int run = 0; run < zem::bench::Runs(RunsAt(nodeCount)); ++run) {
        zem::test::TempDir dir;
        if (!OpenFile(dir / "zembrola.dat")) std::exit(1);
        for (int pass = 0; pass < 2; ++pass) {
            bool committed = false;
            values.push_back(Seconds([&] {
                committed = zem::research::ReplaceCatalogs(kAllStores, crawl.catalogs, crawl.nodes);
            }));
            if (!committed) std::exit(1);
        }
        if (zem::data::Access(zem::data::TableId::Nodes).File().Records() != nodeCount)
            std::exit(1);
        CloseFile();
    }
    return values;
}

// The same deletes and inserts with prepared statements in one transaction.
class RawWriteBack {
  public:
    explicit RawWriteBack(const std::filesystem::path& path) {
        sqlite3* raw = nullptr;
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
        db_.reset(raw);
        sqlite3_key(raw, kPassword, static_cast<int>(std::strlen(kPassword)));
        Exec("PRAGMA cache_size=-32768; PRAGMA synchronous=NORMAL");
    }

    bool Replace(const Crawl& crawl) {
        using zem::store::Statement;
        Exec("BEGIN IMMEDIATE");
        Exec("DELETE FROM Catalogs WHERE FLAGS & 63; DELETE FROM Nodes WHERE FLAGS & 63");
        const std::int64_t catalogBase = Highest("Catalogs");
        const std::int64_t nodeBase = Highest("Nodes");
        Statement catalog(
            db_.get(), "INSERT INTO Catalogs(" + Columns("Catalogs") + ") VALUES(?,?,?,?,?,?,?,?)");
        for (const zem::web::SearchIndexRow& row : crawl.catalogs.Rows()) {
            const std::string_view name = zem::data::CStringOf(row.NAME);
            const std::string_view index = zem::data::CStringOf(row.CATALOG);
            catalog.Reset();
            catalog.Bind(1, std::int64_t{row.ID + catalogBase});
            catalog.Bind(2, std::int64_t{row.PARENT ? row.PARENT + catalogBase : 0});
            catalog.BindStatic(3, name);
            catalog.Bind(4, std::int64_t{row.NODE});
            catalog.BindStatic(5, index);
            catalog.Bind(6, std::int64_t{row.BSITE});
            catalog.Bind(7, std::int64_t{0});
            const std::string folded = zem::store::FoldKeyText(name);
            catalog.BindStatic(8, folded);
            if (catalog.Step() != SQLITE_DONE) return false;
        }
        Statement node(db_.get(),
                       "INSERT INTO Nodes(" + Columns("Nodes") + ") VALUES(?,?,?,?,?,?)");
        for (const zem::web::BrowseNodeRow& row : crawl.nodes.Rows()) {
            const std::string_view name = zem::data::CStringOf(row.NAME);
            node.Reset();
            node.Bind(1, std::int64_t{row.ID + nodeBase});
            node.Bind(2, std::int64_t{row.PARENT ? row.PARENT + nodeBase : 0});
            node.Bind(3, std::int64_t{row.NODE});
            node.BindStatic(4, name);
            node.Bind(5, std::int64_t{row.BSITE});
            const std::string folded = zem::store::FoldKeyText(name);
            node.BindStatic(6, folded);
            if (node.Step() != SQLITE_DONE) return false;
        }
        return sqlite3_exec(db_.get(), "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    }

  private:
    void Exec(const char* sql) { sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr); }
    std::int64_t Highest(const std::string& table) {
        zem::store::Statement st(db_.get(), "SELECT coalesce(max(ID),0) FROM " + table);
        return st.Step() == SQLITE_ROW ? st.Int(0) : 0;
    }
    // The table's columns in their stored order (data fields, then the folded key texts).
    std::string Columns(const std::string& table) {
        zem::store::Statement st(db_.get(), "PRAGMA table_info(" + table + ")");
        std::string list;
        while (st.Step() == SQLITE_ROW)
            list += (list.empty() ? "\"" : ",\"") + std::string(st.Text(1)) + "\"";
        return list;
    }
    zem::store::DbHandle db_;
};

std::vector<double> ThroughRawSqlite(int nodeCount) {
    const Crawl crawl = MakeCrawl(nodeCount);
    std::vector<double> values;
    for (int run = 0; run < zem::bench::Runs(RunsAt(nodeCount)); ++run) {
        zem::test::TempDir dir;
        // The program makes the file and its tables; the peer only writes.
        if (!OpenFile(dir / "zembrola.dat")) std::exit(1);
        CloseFile();
        RawWriteBack raw(dir / "zembrola.dat");
        for (int pass = 0; pass < 2; ++pass) {
            bool committed = false;
            values.push_back(Seconds([&] { committed = raw.Replace(crawl); }));
            if (!committed) std::exit(1);
        }
    }
    return values;
}

}  // namespace

int main() {
    std::vector<zem::bench::Series> lines = {
        {"fresh write, write-back", {}, {}, 1},
        {"fresh write, raw SQLite", {}, {}, -1},
        {"rewrite, write-back", {}, {}, 3},
        {"rewrite, raw SQLite", {}, {}, -1},
    };
    for (std::size_t s = 0; s < kSizes.size(); ++s) {
        const int n = kSizes[s];
        if (zem::bench::Skipped(n)) continue;
        const auto ours = zem::bench::InChild([n] { return ThroughWriteBack(n); });
        const auto peer =
            zem::bench::PeerInChild([n] { return ThroughRawSqlite(n); }, ours.values.size());
        if (ours.values.empty() || peer.values.empty()) return 1;
        for (std::size_t phase = 0; phase < 2; ++phase) {
            lines[phase * 2].seconds[s] = zem::bench::MedianOfPhase(ours.values, phase, 2);
            lines[phase * 2].peakKiB[s] = ours.peakKiB;
            lines[phase * 2 + 1].seconds[s] = zem::bench::MedianOfPhase(peer.values, phase, 2);
            lines[phase * 2 + 1].peakKiB[s] = peer.peakKiB;
        }
    }
    zem::bench::Print("Catalog write-back: nodes written in one transaction", kSizes, lines);
    return 0;
}
