// Inserting 100,000 Goods rows, walking them by GOO:KeyQuery and fetching each by GOO:KeyId:
// through the table managers, and with raw prepared statements on the same kind of file
// (SQLCipher, same password, WAL, same columns and indexes). Prints the median of several runs and
// the ratios.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "platform/store/errors.h"
#include "platform/store/sqlite.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 100000;
constexpr int kRuns = 5;
constexpr const char* kPassword = "qorv lantis  u mepr";

void Text(char* field, std::size_t size, const std::string& text, bool cstring) {
    std::memset(field, cstring ? 0 : ' ', size);
    std::memcpy(field, text.data(), std::min(text.size(), cstring ? size - 1 : size));
}

// The same item for both peers.
void MakeItem(zem::data::GoodsRecord& g, int i) {
    g.QUERY = 1 + i % 50;
    g.BRAND = 1 + i % 300;
    g.RANK = 1000.0 + i;
    Text(g.ASIN, sizeof g.ASIN, "B00" + std::to_string(1000000 + i), true);
    Text(g.DETAILPAGE, sizeof g.DETAILPAGE,
         "https://www.amazon.com/dp/B00" + std::to_string(1000000 + i) +
             "?tag=zembrola-20&linkCode=xm2",
         true);
    Text(g.TITLE, sizeof g.TITLE, "Stylus Photo Printer Model " + std::to_string(i) + " - Black",
         false);
    Text(g.KEYWORDS, sizeof g.KEYWORDS, "photo printer", true);
    g.ADS = 0;
    g.AFFILATIVE = 0;
    Text(g.PRICELIST, sizeof g.PRICELIST, "$149.90", true);
    g.PRICEREAL = 149.90;
    Text(g.AMAZONPRICE, sizeof g.AMAZONPRICE, "$123.00", true);
    g.AMAZONREAL = 123.0;
    g.SHIP = static_cast<std::uint8_t>(i & 1);
}

double Seconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Timing {
    double insert = 0, walk = 0, fetch = 0;
    long walked = 0, fetched = 0;
};

// The ids fetched one by one, spread over the table.
std::int32_t FetchedId(int i) {
    return 1 + static_cast<std::int32_t>((static_cast<std::int64_t>(i) * 7919) % kRows);
}

Timing ThroughManagers(const std::filesystem::path& path) {
    Timing t;
    zem::store::OpenStatus status;
    auto file = zem::data::OpenZembrolaFile(path, status);
    if (!file) {
        std::fprintf(stderr, "open: %s\n", status.text.c_str());
        std::exit(1);
    }
    zem::data::InitDictionary(file);
    auto& goods = zem::data::Access(zem::data::TableId::Goods);
    auto& goo = zem::data::Dict().GOO;
    goods.Open();
    goods.UseFile();
    t.insert = Seconds([&] {
        if (goods.File().Lock(10) != zem::store::NoError) std::exit(1);
        if (goods.File().Stream() != zem::store::NoError) std::exit(1);
        for (int i = 0; i < kRows; ++i) {
            if (goods.PrimeRecord() != zem::ui::Benign) std::exit(1);
            const std::int32_t id = goo.ID;
            MakeItem(goo, i);
            goo.ID = id;
            if (goods.Insert() != zem::ui::Benign) std::exit(1);
        }
        if (goods.File().Flush() != zem::store::NoError) std::exit(1);
        goods.File().Unlock();
    });
    t.walk = Seconds([&] {
        goods.File().Set(zem::data::GOO_KeyQuery);
        while (goods.TryNext() == zem::ui::Benign) ++t.walked;
    });
    t.fetch = Seconds([&] {
        for (int i = 0; i < kRows; ++i) {
            goo.ID = FetchedId(i);
            if (goods.TryFetch(zem::data::GOO_KeyId) == zem::ui::Benign) ++t.fetched;
        }
    });
    goods.Close();
    zem::data::KillDictionary();
    zem::data::CloseZembrolaFile();
    return t;
}

Timing RawSqlite(const std::filesystem::path& path) {
    using zem::store::Statement;
    Timing t;
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    zem::store::DbHandle db(raw);
    sqlite3_key(raw, kPassword, static_cast<int>(std::strlen(kPassword)));
    sqlite3_exec(
        raw,
        "PRAGMA journal_mode=WAL; PRAGMA cache_size=-32768; PRAGMA synchronous=NORMAL;"
        "CREATE TABLE Goods(ID INTEGER, ASIN TEXT, QUERY INTEGER, BRAND INTEGER, RANK REAL,"
        " DETAILPAGE TEXT, TITLE TEXT, KEYWORDS TEXT, ADS INTEGER, AFFILATIVE INTEGER,"
        " PRICELIST TEXT, PRICEREAL REAL, AMAZONPRICE TEXT, AMAZONREAL REAL, SHIP INTEGER);"
        "CREATE INDEX Goods_KeyQuery ON Goods(QUERY);"
        "CREATE UNIQUE INDEX Goods_KeyId ON Goods(ID);"
        "CREATE INDEX Goods_KeyBrand ON Goods(BRAND);",
        nullptr, nullptr, nullptr);
    zem::data::GoodsRecord g{};
    auto cstr = [](const char* p, std::size_t n) { return std::string_view(p, strnlen(p, n)); };
    auto str = [](const char* p, std::size_t n) {
        while (n > 0 && p[n - 1] == ' ') --n;
        return std::string_view(p, n);
    };
    t.insert = Seconds([&] {
        Statement insert(raw, "INSERT INTO Goods VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (int i = 0; i < kRows; ++i) {
            MakeItem(g, i);
            g.ID = i + 1;
            insert.Reset();
            insert.Bind(1, std::int64_t{g.ID});
            insert.BindStatic(2, cstr(g.ASIN, sizeof g.ASIN));
            insert.Bind(3, std::int64_t{g.QUERY});
            insert.Bind(4, std::int64_t{g.BRAND});
            insert.Bind(5, double{g.RANK});
            insert.BindStatic(6, cstr(g.DETAILPAGE, sizeof g.DETAILPAGE));
            insert.BindStatic(7, str(g.TITLE, sizeof g.TITLE));
            insert.BindStatic(8, cstr(g.KEYWORDS, sizeof g.KEYWORDS));
            insert.Bind(9, std::int64_t{g.ADS});
            insert.Bind(10, std::int64_t{g.AFFILATIVE});
            insert.BindStatic(11, cstr(g.PRICELIST, sizeof g.PRICELIST));
            insert.Bind(12, double{g.PRICEREAL});
            insert.BindStatic(13, cstr(g.AMAZONPRICE, sizeof g.AMAZONPRICE));
            insert.Bind(14, double{g.AMAZONREAL});
            insert.Bind(15, std::int64_t{g.SHIP});
            if (insert.Step() != SQLITE_DONE) std::exit(1);
        }
        if (sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) std::exit(1);
    });
    // A row into the record buffer, as the store does it.
    auto read = [&](Statement& row) {
        auto text = [&](int col, char* field, std::size_t size, bool cstring) {
            std::string_view v = row.Text(col);
            std::size_t n = std::min(v.size(), cstring ? size - 1 : size);
            std::memcpy(field, v.data(), n);
            std::memset(field + n, cstring ? 0 : ' ', size - n);
        };
        g.ID = static_cast<std::int32_t>(row.Int(0));
        text(1, g.ASIN, sizeof g.ASIN, true);
        g.QUERY = static_cast<std::int32_t>(row.Int(2));
        g.BRAND = static_cast<std::int32_t>(row.Int(3));
        g.RANK = row.Real(4);
        text(5, g.DETAILPAGE, sizeof g.DETAILPAGE, true);
        text(6, g.TITLE, sizeof g.TITLE, false);
        text(7, g.KEYWORDS, sizeof g.KEYWORDS, true);
        g.ADS = static_cast<std::int32_t>(row.Int(8));
        g.AFFILATIVE = static_cast<std::int32_t>(row.Int(9));
        text(10, g.PRICELIST, sizeof g.PRICELIST, true);
        g.PRICEREAL = row.Real(11);
        text(12, g.AMAZONPRICE, sizeof g.AMAZONPRICE, true);
        g.AMAZONREAL = row.Real(13);
        g.SHIP = static_cast<std::uint8_t>(row.Int(14));
    };
    t.walk = Seconds([&] {
        Statement walk(raw, "SELECT * FROM Goods ORDER BY QUERY, rowid");
        while (walk.Step() == SQLITE_ROW) {
            read(walk);
            ++t.walked;
        }
    });
    t.fetch = Seconds([&] {
        Statement fetch(raw, "SELECT * FROM Goods WHERE ID=? LIMIT 1");
        for (int i = 0; i < kRows; ++i) {
            fetch.Reset();
            fetch.Bind(1, std::int64_t{FetchedId(i)});
            if (fetch.Step() == SQLITE_ROW) {
                read(fetch);
                ++t.fetched;
            }
        }
    });
    return t;
}

}  // namespace

int main() {
    std::vector<double> mInsert, mWalk, mFetch, rInsert, rWalk, rFetch;
    for (int run = 0; run < kRuns; ++run) {
        zem::test::TempDir dir;
        Timing m = ThroughManagers(dir / "managers.cfg");
        Timing r = RawSqlite(dir / "raw.cfg");
        if (m.walked != kRows || r.walked != kRows || m.fetched != kRows || r.fetched != kRows) {
            std::fprintf(stderr, "walked %ld and %ld, fetched %ld and %ld rows, expected %d\n",
                         m.walked, r.walked, m.fetched, r.fetched, kRows);
            return 1;
        }
        mInsert.push_back(m.insert);
        mWalk.push_back(m.walk);
        rInsert.push_back(r.insert);
        rWalk.push_back(r.walk);
        mFetch.push_back(m.fetch);
        rFetch.push_back(r.fetch);
    }
    auto rate = [](double seconds) { return kRows / seconds; };
    std::printf("%d rows, median of %d runs\n", kRows, kRuns);
    std::printf("%-28s %10s %14s %10s\n", "", "seconds", "rows/second", "ratio");
    std::printf("%-28s %10.3f %14.0f %10s\n", "insert, raw SQLite", Median(rInsert),
                rate(Median(rInsert)), "1.00");
    std::printf("%-28s %10.3f %14.0f %10.2f\n", "insert, table managers", Median(mInsert),
                rate(Median(mInsert)), Median(mInsert) / Median(rInsert));
    std::printf("%-28s %10.3f %14.0f %10s\n", "walk KeyQuery, raw SQLite", Median(rWalk),
                rate(Median(rWalk)), "1.00");
    std::printf("%-28s %10.3f %14.0f %10.2f\n", "walk KeyQuery, managers", Median(mWalk),
                rate(Median(mWalk)), Median(mWalk) / Median(rWalk));
    std::printf("%-28s %10.3f %14.0f %10s\n", "fetch KeyId, raw SQLite", Median(rFetch),
                rate(Median(rFetch)), "1.00");
    std::printf("%-28s %10.3f %14.0f %10.2f\n", "fetch KeyId, managers", Median(mFetch),
                rate(Median(mFetch)), Median(mFetch) / Median(rFetch));
    return 0;
}
