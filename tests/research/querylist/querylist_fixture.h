#pragma once
// The query list as a user meets it: the catalog tree and five saved queries (two of them with
// items) in a fresh data file, each window run on a framework thread of its own with the
// headless display and the clock set. This thread keeps a dictionary of its own to seed rows
// and read them back.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/requests.h"
#include "platform/store/errors.h"
#include "platform/ui/settings/ini_manager.h"
#include "research/tree/tree_seed.h"
#include "shell/data_file_fixture.h"
#include "shell/window_counters.h"

namespace zem::test {

struct QueryRow {
    std::int32_t id;
    const char* name;
    int day;  // of October 2008
    int hour, minute;
    std::int32_t catalog;
    std::int32_t node;
};

// Query ids the tests name.
namespace queries {
inline constexpr std::int32_t kMystery = 1;
inline constexpr std::int32_t kCameras = 2;
inline constexpr std::int32_t kCookbooks = 3;
inline constexpr std::int32_t kCrime = 4;
inline constexpr std::int32_t kLost = 5;  // its catalog and node rows do not exist
}  // namespace queries

inline constexpr QueryRow kQueryRows[] = {
    {queries::kMystery, "Mystery novels", 30, 10, 0, catalogs::kUsBooks, nodes::kMystery},
    {queries::kCameras, "cameras", 31, 9, 30, catalogs::kUsElectronics, nodes::kElectronics},
    {queries::kCookbooks, "Cookbooks", 29, 8, 0, catalogs::kUsBooks, nodes::kCooking},
    {queries::kCrime, "Crime UK", 31, 8, 15, catalogs::kUkBooks, nodes::kCrime},
    {queries::kLost, "Lost links", 28, 12, 0, 99, 98},
};

// The names the list shows in each of its orders.
inline const std::vector<std::string> kByDate{"Lost links", "Cookbooks", "Mystery novels",
                                              "Crime UK", "cameras"};
inline const std::vector<std::string> kByName{"cameras", "Cookbooks", "Crime UK", "Lost links",
                                              "Mystery novels"};

inline void AddQuery(const QueryRow& row) {
    data::TableManager& table = data::Access(data::TableId::Queries);
    ASSERT_EQ(table.UseFile(), ui::Benign);
    table.File().ClearBuffer();
    data::QueriesRecord& que = data::Dict().QUE;
    que.ID = row.id;
    que.BUILDDATE = *runtime::DateFromCalendar(2008, 10, row.day);
    que.BUILDTIME = *runtime::TimeFromClock(row.hour, row.minute, 0);
    que.SITE = 1;
    que.CATALOG = row.catalog;
    que.NODE = row.node;
    data::SetString(que.NAME, row.name);
    ASSERT_EQ(table.Insert(), ui::Benign) << row.name;
}

inline void AddItem(std::int32_t id, std::int32_t query) {
    data::TableManager& goods = data::Access(data::TableId::Goods);
    ASSERT_EQ(goods.UseFile(), ui::Benign);
    goods.File().ClearBuffer();
    data::GoodsRecord& goo = data::Dict().GOO;
    goo.ID = id;
    goo.QUERY = query;
    data::SetString(goo.TITLE, "Item " + std::to_string(id));
    ASSERT_EQ(goods.Insert(), ui::Benign);
}

inline std::optional<data::QueriesRecord> StoredQuery(std::int32_t id) {
    data::Dict().QUE.ID = id;
    if (data::Access(data::TableId::Queries).TryFetch(data::QUE_KeyId) != ui::Benign)
        return std::nullopt;
    return data::Dict().QUE;
}

inline std::vector<std::int32_t> StoredQueryIds() {
    data::TableManager& table = data::Access(data::TableId::Queries);
    std::vector<std::int32_t> ids;
    EXPECT_EQ(table.UseFile(), ui::Benign);
    EXPECT_EQ(table.File().Set(data::QUE_KeyId), store::NoError);
    while (table.TryNext() == ui::Benign) ids.push_back(data::Dict().QUE.ID);
    return ids;
}

inline std::size_t StoredItemsOf(std::int32_t query) {
    data::TableManager& goods = data::Access(data::TableId::Goods);
    EXPECT_EQ(goods.UseFile(), ui::Benign);
    EXPECT_EQ(goods.File().Set(data::GOO_KeyId), store::NoError);
    std::size_t items = 0;
    while (goods.TryNext() == ui::Benign)
        if (data::Dict().GOO.QUERY == query) ++items;
    return items;
}

class QueryListTest : public DataFileTest {
  protected:
    void SetUp() override {
        DataFileTest::SetUp();
        if (HasFatalFailure()) return;
        SeedCatalogTree();
        for (const QueryRow& row : kQueryRows) AddQuery(row);
        for (std::int32_t item = 1; item <= 3; ++item) AddItem(item, queries::kMystery);
        AddItem(4, queries::kCameras);
    }

    // Runs procedure on a framework thread of its own with the request, after prepare has set
    // the thread's buffers up; what the thread's buffers hold afterwards is kept.
    void Start(void (*procedure)(), int request = 0, std::function<void()> prepare = {}) {
        response_ = -1;
        thread_ = runtime::Start([this, procedure, request, prepare] {
            // Thread 1 gets its dictionary from start-up, which these tests do not run.
            if (!data::HasDictionary()) {
                ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
            }
            runtime::SetGlobalRequest(request);
            if (prepare) prepare();
            procedure();
            queryAfter_ = data::Dict().QUE;
            response_ = runtime::GlobalResponse();
        });
    }

    // Starts a window procedure and waits for its window.
    ui::WindowId Open(void (*procedure)(), const char* window, int request = 0,
                      std::function<void()> prepare = {}) {
        Start(procedure, request, std::move(prepare));
        const auto w = display->WaitForWindow(window);
        EXPECT_TRUE(w) << window;
        return w.value_or(0);
    }

    // Waits for the window to close and its thread to end.
    void Finish(ui::WindowId w) {
        EXPECT_TRUE(display->WaitForClose(w));
        runtime::Join(thread_);
        thread_ = 0;
    }

    // The cells of one column of a list, in display order.
    std::vector<std::string> Column(ui::WindowId w, int column,
                                    const char* list = "?BROWSE:1") const {
        std::vector<std::string> cells;
        if (const auto c = display->ControlOf(w, list))
            for (const ui::ListRow& row : c->rows)
                cells.push_back(row.cells.at(static_cast<std::size_t>(column) - 1));
        return cells;
    }
    std::vector<std::string> Names(ui::WindowId w) const { return Column(w, 3); }

    // Waits until the list shows these query names.
    bool ShowsNames(ui::WindowId w, const std::vector<std::string>& expected) {
        const bool shown = display->WaitForControl(w, "?BROWSE:1", [&](const ui::Control& c) {
            if (c.rows.size() != expected.size()) return false;
            for (std::size_t i = 0; i < expected.size(); ++i)
                if (c.rows[i].cells.at(2) != expected[i]) return false;
            return true;
        });
        if (!shown) {
            std::string actual;
            for (const std::string& name : Names(w)) actual += "\n  " + name;
            ADD_FAILURE() << "the list shows:" << actual;
        }
        return shown;
    }

    // The name of the highlighted query, once the list highlights one.
    std::string Highlighted(ui::WindowId w) const {
        const auto c = display->ControlOf(w, "?BROWSE:1");
        if (!c || c->selected < 1 || c->selected > static_cast<int>(c->rows.size())) return {};
        return c->rows[static_cast<std::size_t>(c->selected) - 1].cells.at(2);
    }
    bool Highlights(ui::WindowId w, const std::string& name) {
        const bool shown = display->WaitForControl(w, "?BROWSE:1", [&](const ui::Control& c) {
            return c.selected >= 1 && c.selected <= static_cast<int>(c.rows.size()) &&
                   c.rows[static_cast<std::size_t>(c.selected) - 1].cells.at(2) == name;
        });
        if (!shown) ADD_FAILURE() << "the list highlights \"" << Highlighted(w) << "\"";
        return shown;
    }

    // Waits until the window's thread has handled everything sent to it before: the Help
    // button's request reaches the viewer only after that.
    void SyncWith(ui::WindowId w, const char* helpButton = "?HELP") {
        const std::size_t before = help->Requests().size();
        ASSERT_TRUE(display->Press(w, helpButton));
        ASSERT_TRUE(Eventually([&] { return help->Requests().size() > before; }));
    }

    // A toolbar navigation button of the frame, as the frame forwards it to the window's thread.
    bool Forward(ui::WindowId w, int button) const {
        const auto view = display->View(w);
        return view && runtime::Post(view->window.thread, runtime::event::kAccepted, button);
    }

    std::string Caption(ui::WindowId w) const {
        const auto view = display->View(w);
        return view ? view->window.props.caption : std::string();
    }

    std::atomic<int> response_{-1};
    data::QueriesRecord queryAfter_{};
};

}  // namespace zem::test
