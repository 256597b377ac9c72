// The query form's item list at scale: a query's Goods rows loaded into the list, sorted by
// each column header, and every row tagged and untagged through the list's commands. Headless:
// the list as the window holds it, no display. Peer: raw SQLite reading the same rows and
// formatting the same cells, and a std::sort of the same cells; for tagging also a second peer
// that writes the same tag rows with a durable commit before it reads.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/pictures.h"
#include "platform/store/sqlite.h"
#include "platform/ui/window/window.h"
#include "research/queryform/query_item_list.h"
#include "research/queryform/query_items.h"
#include "scale.h"
#include "shell/tagging.h"
#include "support/temp_dir.h"

namespace {

using zem::bench::Seconds;
constexpr zem::bench::Sizes kSizes = {100, 1000, 10000};
constexpr const char* kPassword = "qorv lantis  u mepr";
constexpr std::int32_t kQuery = 7;
constexpr int kSortColumns = 10;
// Values of one run: load, a sort by each column, Tag All, Untag All.
constexpr int kPhases = 1 + kSortColumns + 2;

int RunsAt(int items) {
    return items >= 10000 ? 5 : 9;
}

bool OpenFile(const std::filesystem::path& path) {
    zem::store::OpenStatus status;
    if (!zem::data::OpenZembrolaFile(path, status)) {
        std::fprintf(stderr, "open: %s\n", status.text.c_str());
        return false;
    }
    zem::data::InitDictionary(zem::data::ZembrolaFile());
    return zem::data::Access(zem::data::TableId::Goods).Open() == zem::ui::Benign &&
           zem::data::Access(zem::data::TableId::TagFile_).Open() == zem::ui::Benign;
}

void CloseFile() {
    zem::data::Access(zem::data::TableId::TagFile_).Close();
    zem::data::Access(zem::data::TableId::Goods).Close();
    zem::data::KillDictionary();
    zem::data::CloseZembrolaFile();
}

// A price's text as the item-list loader stores it.
std::string Money(double value) {
    return "$" + zem::runtime::FormatNumber(value, "n_14.2");
}

// Items of one query, with titles, keywords and prices that differ from row to row in an order
// unrelated to their ids, and a second query's items around them.
bool SeedFile(const std::filesystem::path& path, int items) {
    if (!OpenFile(path)) return false;
    zem::data::TableManager& goods = zem::data::Access(zem::data::TableId::Goods);
    zem::data::GoodsRecord& goo = zem::data::Dict().GOO;
    bool ok = true;
    for (int i = 0; i < items * 2 && ok; ++i) {
        const unsigned mixed = static_cast<unsigned>(i) * 2654435761u;
        goods.File().ClearBuffer();
        goo.QUERY = i % 2 == 0 ? kQuery : kQuery + 1;
        goo.RANK = mixed % 5 == 0 ? 0 : mixed % 100000;
        const std::string title = "Camera " + std::to_string(mixed % 9973) + " digital zoom";
        zem::data::SetString(goo.TITLE, title);
        zem::data::SetCString(goo.KEYWORDS, "camera, lens " + std::to_string(mixed % 997));
        goo.ADS = static_cast<std::int32_t>(mixed % 12);
        goo.AFFILATIVE = static_cast<std::int32_t>(mixed % 2);
        goo.PRICEREAL = mixed % 7 == 0 ? 0 : 10 + (mixed % 50000) / 100.0;
        goo.AMAZONREAL = 5 + (mixed % 40000) / 100.0;
        zem::data::SetCString(goo.PRICELIST,
                              goo.PRICEREAL == 0 ? std::string() : Money(goo.PRICEREAL));
        zem::data::SetCString(goo.AMAZONPRICE, Money(goo.AMAZONREAL));
        goo.SHIP = static_cast<std::uint8_t>(mixed % 2);
        ok = goods.Insert() == zem::ui::Benign;
    }
    CloseFile();
    return ok;
}

std::vector<double> ThroughTheItemList(int items) {
    zem::test::TempDir dir;
    if (!SeedFile(dir / "zembrola.dat", items) || !OpenFile(dir / "zembrola.dat")) std::exit(1);
    zem::shell::TagModuleInit();
    zem::ui::Window window;
    std::string error;
    if (!window.Load("zembrola$zembr029", "P1$QUICKWINDOW", &error)) {
        std::fprintf(stderr, "layout: %s\n", error.c_str());
        std::exit(1);
    }
    zem::research::QueryItemList list(window);
    list.SetUp(false);
    std::vector<double> values;
    for (int run = 0; run < zem::bench::Runs(RunsAt(items)); ++run) {
        values.push_back(Seconds([&] { list.Load(kQuery); }));
        if (list.Rows() != items) {
            std::fprintf(stderr, "%d rows listed of %d\n", list.Rows(), items);
            std::exit(1);
        }
        for (int column = 1; column <= kSortColumns; ++column)
            values.push_back(Seconds([&] {
                if (!list.SortBy(column)) std::exit(1);
            }));
        values.push_back(Seconds([&] { list.Run(zem::research::TagCommand::TagAll); }));
        values.push_back(Seconds([&] { list.Run(zem::research::TagCommand::UntagAll); }));
    }
    zem::shell::TagModuleKill();
    CloseFile();
    return values;
}

// The bare equivalent: the same rows read with raw SQLite, their cells formatted the same way,
// and a plain sort of the rows by one cell. With `writing`, Tag All and Untag All also write
// what the list's do: a tag row per item added, or deleted, in one transaction that ends with a
// durable commit, before the read.
std::vector<double> ThroughTheBareEquivalent(int items, bool writing) {
    zem::test::TempDir dir;
    if (!SeedFile(dir / "zembrola.dat", items)) std::exit(1);
    sqlite3* raw = nullptr;
    sqlite3_open_v2((dir / "zembrola.dat").c_str(), &raw,
                    writing ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr);
    zem::store::DbHandle db(raw);
    sqlite3_key(raw, kPassword, static_cast<int>(std::strlen(kPassword)));
    sqlite3_exec(raw, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    using Row = std::vector<std::string>;
    std::vector<Row> rows;
    auto load = [&] {
        rows.clear();
        zem::store::Statement select(
            raw,
            "SELECT ID, RANK, TITLE, KEYWORDS, ADS, AFFILATIVE, PRICELIST, AMAZONPRICE, "
            "PRICEREAL, AMAZONREAL, SHIP, QUERY FROM Goods WHERE QUERY = ? ORDER BY rowid");
        select.Bind(1, std::int64_t{kQuery});
        auto number = [](double value, std::string_view picture) {
            return zem::runtime::FormatNumber(value, picture);
        };
        while (select.Step() == SQLITE_ROW) {
            const double listPrice = select.Real(8);
            const double amazonPrice = select.Real(9);
            rows.push_back(Row{
                "1",
                number(select.Real(1), "n_10B"),
                std::string(select.Text(2)),
                std::string(select.Text(3)),
                number(static_cast<double>(select.Int(4)), "n_10"),
                number(static_cast<double>(select.Int(5)), "n_3~Yes~B"),
                std::string(select.Text(6)),
                std::string(select.Text(7)),
                number(zem::research::ShownSaving(listPrice, amazonPrice), "n-_7.2"),
                number(static_cast<double>(select.Int(10)), "n3~Yes~B"),
                "",
                zem::runtime::Trimmed(number(listPrice, "n_14.2")),
                zem::runtime::Trimmed(number(amazonPrice, "n_14.2")),
                std::to_string(select.Int(0)),
                std::to_string(select.Int(11)),
                std::to_string(rows.size() + 1),
            });
        }
    };
    // The tag table's columns as the store made them; the tag's own ones get the set and the
    // item, every other one (the value and its folded copy) stays empty.
    std::string columns, params;
    std::vector<std::string> names;
    {
        zem::store::Statement info(raw, "PRAGMA table_info(\"TagFile_\")");
        while (info.Step() == SQLITE_ROW) {
            names.emplace_back(info.Text(1));
            columns += (columns.empty() ? "\"" : ",\"") + names.back() + "\"";
            params += params.empty() ? "?" : ",?";
        }
    }
    auto tagAll = [&](bool add) {
        sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        zem::store::Statement write(
            raw, add ? "INSERT INTO \"TagFile_\"(" + columns + ") VALUES(" + params + ")"
                     : std::string("DELETE FROM \"TagFile_\" WHERE USR=? AND TBL=? AND PTR=?"));
        for (const Row& row : rows) {
            const std::int64_t item = std::stoll(row[13]);
            if (add) {
                for (std::size_t c = 0; c < names.size(); ++c) {
                    const int at = static_cast<int>(c) + 1;
                    if (names[c] == "USR")
                        write.Bind(at, std::int64_t{1});
                    else if (names[c] == "TBL")
                        write.Bind(at, std::int64_t{kQuery});
                    else if (names[c] == "PTR")
                        write.Bind(at, item);
                    else
                        write.Bind(at, std::string_view());
                }
            } else {
                write.Bind(1, std::int64_t{1});
                write.Bind(2, std::int64_t{kQuery});
                write.Bind(3, item);
            }
            if (write.Step() != SQLITE_DONE) std::exit(1);
            sqlite3_reset(write.get());
        }
        sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
        load();
    };
    std::vector<double> values;
    for (int run = 0; run < zem::bench::Runs(RunsAt(items)); ++run) {
        values.push_back(Seconds(load));
        if (static_cast<int>(rows.size()) != items) std::exit(1);
        for (int column = 1; column <= kSortColumns; ++column)
            values.push_back(Seconds([&] {
                const auto c = static_cast<std::size_t>(column) - 1;
                std::stable_sort(rows.begin(), rows.end(),
                                 [c](const Row& a, const Row& b) { return a[c] < b[c]; });
            }));
        if (writing) {
            values.push_back(Seconds([&] { tagAll(true); }));
            values.push_back(Seconds([&] { tagAll(false); }));
        } else {
            // Tagging every row and untagging it again against reading the rows once each.
            values.push_back(Seconds(load));
            values.push_back(Seconds(load));
        }
    }
    return values;
}

}  // namespace

int main() {
    const char* columns[kSortColumns] = {"Tag",    "Rank", "Title",  "Keywords", "Ads",
                                         "Affil.", "List", "Amazon", "Saving",   "Shipping"};
    std::vector<std::string> phases{"load"};
    for (const char* c : columns) phases.push_back(std::string("sort by ") + c);
    phases.push_back("Tag All");
    phases.push_back("Untag All");
    std::vector<zem::bench::Series> lines;
    for (const std::string& p : phases) {
        lines.push_back({p + ", item list", {}, {}, static_cast<int>(lines.size()) + 1});
        lines.push_back({p + ", bare", {}, {}, -1});
    }
    // Tag All and Untag All once more, against a peer that writes the tags as well.
    const std::size_t tagPhase = phases.size() - 2;
    std::vector<zem::bench::Series> writes;
    for (std::size_t p = tagPhase; p < phases.size(); ++p) {
        writes.push_back({phases[p] + ", item list", {}, {}, static_cast<int>(writes.size()) + 1});
        writes.push_back({phases[p] + ", bare writing", {}, {}, -1});
    }
    for (std::size_t s = 0; s < kSizes.size(); ++s) {
        const int n = kSizes[s];
        if (zem::bench::Skipped(n)) continue;
        const auto ours = zem::bench::InChild([n] { return ThroughTheItemList(n); });
        const auto peer = zem::bench::PeerInChild(
            [n] { return ThroughTheBareEquivalent(n, false); }, ours.values.size());
        const auto writer = zem::bench::PeerInChild(
            [n] { return ThroughTheBareEquivalent(n, true); }, ours.values.size());
        if (ours.values.empty() || peer.values.empty() || writer.values.empty()) return 1;
        for (std::size_t p = 0; p < phases.size(); ++p) {
            auto& mine = lines[p * 2];
            auto& bare = lines[p * 2 + 1];
            mine.seconds[s] = zem::bench::MedianOfPhase(ours.values, p, kPhases);
            mine.peakKiB[s] = ours.peakKiB;
            bare.seconds[s] = zem::bench::MedianOfPhase(peer.values, p, kPhases);
            bare.peakKiB[s] = peer.peakKiB;
        }
        for (std::size_t p = tagPhase; p < phases.size(); ++p) {
            auto& mine = writes[(p - tagPhase) * 2];
            auto& bare = writes[(p - tagPhase) * 2 + 1];
            mine.seconds[s] = zem::bench::MedianOfPhase(ours.values, p, kPhases);
            mine.peakKiB[s] = ours.peakKiB;
            bare.seconds[s] = zem::bench::MedianOfPhase(writer.values, p, kPhases);
            bare.peakKiB[s] = writer.peakKiB;
        }
    }
    zem::bench::Print("Query item list, headless, items of the query", kSizes, lines);
    zem::bench::Print("Tagging, against raw SQLite writing the same tag rows durably", kSizes,
                      writes);
    return 0;
}
