// The program's resizable list windows made larger, maximised, restored and made small again by
// resizing their MDI child as a user does: the list takes the room, the buttons under it follow
// the bottom edge (and the right one, where they were drawn at the right) and stay whole,
// visible and uncovered.
#include <gtest/gtest.h>

#include <QMdiSubWindow>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "layout_faults.h"
#include "platform/ui/qt/window_view.h"
#include "program_windows.h"
#include "research/queryform/queryform_fixture.h"

namespace zem::test {
namespace {

struct Case {
    std::string name;  // of the screenshots
    std::string list;
    std::vector<std::string> down;    // follow the bottom edge, keep their left
    std::vector<std::string> corner;  // follow the bottom and the right edge
};

// What the window shows of the case's controls, in client-area coordinates.
struct Look {
    QSize client;
    QRect list;
    std::map<std::string, QRect> places;
    std::vector<std::string> hidden;  // of the case's controls
    std::vector<std::string> faults;
};

QRect InClient(const ui::qt::WindowView& view, const QWidget* w) {
    return QRect(w->mapTo(view.client, QPoint(0, 0)), w->size());
}

std::string Describe(const QRect& r) {
    std::ostringstream out;
    out << "[" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << "]";
    return out.str();
}

class ResizedWindows : public ProgramWindowsTest {
  protected:
    void SetUp() override {
        ProgramWindowsTest::SetUp();
        Seed([] { QueryFormTest::Seed(); });
        StartProgram();
    }

    Look LookAt(ui::WindowId w, const Case& c) {
        Look look;
        WithView(w, [&](ui::qt::WindowView& view) {
            look.client = view.client->size();
            if (ui::qt::ControlView* list = ControlOf(view, c.list); list && list->widget)
                look.list = InClient(view, list->widget);
            for (const auto* uses : {&c.down, &c.corner})
                for (const std::string& use : *uses) {
                    ui::qt::ControlView* control = ControlOf(view, use);
                    if (!control || !control->widget || !control->widget->isVisible()) {
                        look.hidden.push_back(use);
                        continue;
                    }
                    look.places[use] = InClient(view, control->widget);
                }
            look.faults = LayoutFaults(view);
        });
        return look;
    }

    // Resizes or maximises the window's MDI child on the GUI thread.
    void Act(ui::WindowId w, const std::function<void(QMdiSubWindow&)>& act) {
        bool done = false;
        WithView(w, [&](ui::qt::WindowView& view) {
            if (!view.sub) return;
            act(*view.sub);
            done = true;
        });
        ASSERT_TRUE(done) << "the window is no MDI child";
        Settle();
    }

    QSize SubSize(ui::WindowId w) {
        QSize size;
        WithView(w, [&](ui::qt::WindowView& view) {
            if (view.sub) size = view.sub->size();
        });
        return size;
    }

    // The window as it is now, against the window at its layout size: the list grew by what
    // the client area grew, each control kept its distance to the edges it follows, and all of
    // them are whole, visible and uncovered inside the client area.
    void ExpectFollowed(const Case& c, const Look& before, const Look& now) {
        const QSize grown = now.client - before.client;
        EXPECT_EQ(now.list.topLeft(), before.list.topLeft());
        EXPECT_EQ(now.list.size(), before.list.size() + grown)
            << c.list << " at " << Describe(now.list) << " in " << now.client.width() << " x "
            << now.client.height();
        EXPECT_EQ(now.hidden, before.hidden);
        const QRect client(QPoint(0, 0), now.client);
        auto expect = [&](const std::string& use, bool right) {
            const auto was = before.places.find(use);
            const auto is = now.places.find(use);
            if (was == before.places.end() || is == now.places.end()) return;
            const QRect expected =
                was->second.translated(right ? grown.width() : 0, grown.height());
            EXPECT_EQ(Describe(is->second), Describe(expected)) << use;
            EXPECT_TRUE(client.contains(is->second)) << use << " leaves the client area";
            EXPECT_FALSE(is->second.intersects(now.list)) << use << " meets the list";
        };
        for (const std::string& use : c.down) expect(use, false);
        for (const std::string& use : c.corner) expect(use, true);
        std::ostringstream faults;
        for (const std::string& fault : now.faults) faults << "\n  " << fault;
        EXPECT_TRUE(now.faults.empty()) << faults.str();
    }

    void ExpectFollowsTheWindow(ui::WindowId w, const Case& c) {
        SCOPED_TRACE(c.name);
        Settle();
        const Look before = LookAt(w, c);
        ASSERT_FALSE(before.list.isEmpty()) << c.list;
        ASSERT_FALSE(before.places.empty());
        EXPECT_TRUE(before.faults.empty());
        EXPECT_TRUE(Shot(w, c.name + "_layout"));
        const QSize original = SubSize(w);

        // Larger by the user's hand.
        const QSize more(260, 180);
        Act(w, [&](QMdiSubWindow& sub) { sub.resize(sub.size() + more); });
        ASSERT_TRUE(Eventually([&] { return LookAt(w, c).client == before.client + more; }));
        ExpectFollowed(c, before, LookAt(w, c));
        EXPECT_TRUE(Shot(w, c.name + "_larger"));

        // Maximised, then back.
        Act(w, [](QMdiSubWindow& sub) { sub.showMaximized(); });
        ASSERT_TRUE(Eventually([&] {
            bool maximised = false;
            WithView(w, [&](ui::qt::WindowView& view) { maximised = view.sub->isMaximized(); });
            return maximised && LookAt(w, c).client.width() > before.client.width() + more.width();
        }));
        Settle();
        ExpectFollowed(c, before, LookAt(w, c));
        EXPECT_TRUE(Shot(w, c.name + "_maximised"));
        Act(w, [](QMdiSubWindow& sub) { sub.showNormal(); });
        ASSERT_TRUE(Eventually([&] { return LookAt(w, c).client == before.client + more; }));
        ExpectFollowed(c, before, LookAt(w, c));

        // Its first size again: every control is back at its layout place.
        Act(w, [&](QMdiSubWindow& sub) { sub.resize(original); });
        ASSERT_TRUE(Eventually([&] { return LookAt(w, c).client == before.client; }));
        const Look again = LookAt(w, c);
        EXPECT_EQ(again.list, before.list);
        EXPECT_EQ(again.places, before.places);
    }
};

const std::vector<std::string> kFormButtons{
    "?BUILDLIST", "?CREATECAMPAIGN", "?CHANGE", "?CHECKLIST", "?VIEW",    "?TAGONE", "?UNTAGONE",
    "?FLIPONE",   "?PREVTAG",        "?TAGALL", "?UNTAGALL",  "?FLIPALL", "?NEXTTAG"};

TEST_F(ResizedWindows, ListsAndTreesTakeTheRoomAndButtonsFollowTheEdges) {
    // The query list, and the catalog list it opens from its third tab.
    ASSERT_TRUE(Click(frame, "?MENU5ITEM17"));  // "&Queries"
    const auto queries = WaitForWindow("BrowseQueriesA");
    ASSERT_TRUE(queries);
    ExpectFollowsTheWindow(
        *queries, {"resize_query_list",
                   "?BROWSE:1",
                   {},
                   {"?SELECT:2", "?INSERT:4", "?CHANGE:4", "?DELETE:4", "?CLOSE", "?HELP"}});
    ASSERT_TRUE(Click(*queries, "?TAB:3"));
    ExpectFollowsTheWindow(*queries, {"resize_query_list_by_catalog",
                                      "?BROWSE:1",
                                      {"?SELECT:3"},
                                      {"?CHANGE:4", "?CLOSE", "?HELP"}});
    ASSERT_TRUE(Click(*queries, "?SELECT:3"));
    const auto catalogs = WaitForWindow("BrowseCatalogs");
    ASSERT_TRUE(catalogs);
    ExpectFollowsTheWindow(
        *catalogs, {"resize_catalog_list", "?BROWSE:1", {}, {"?SELECT:2", "?CLOSE", "?HELP"}});
    ASSERT_TRUE(Click(*catalogs, "?CLOSE"));
    ASSERT_TRUE(WaitForClose(*catalogs));

    ASSERT_TRUE(Click(*queries, "?CLOSE"));
    ASSERT_TRUE(WaitForClose(*queries));

    // The query form of a new query with its item list, and the node picker it opens.
    ASSERT_TRUE(Click(frame, "?QUERY"));
    const auto form = WaitForWindow("UpdateQueriesA");
    ASSERT_TRUE(form);
    ExpectFollowsTheWindow(
        *form, {"resize_query_form", "?LIST", kFormButtons, {"?OK", "?CANCEL", "?HELP"}});
    ASSERT_TRUE(Click(*form, "?CALLLOOKUP"));
    const auto picker = WaitForWindow("SelectTreeA");
    ASSERT_TRUE(picker);
    ExpectFollowsTheWindow(
        *picker, {"resize_node_picker",
                  "?FILETREE",
                  {},
                  {"?EXPANDALL", "?CONTRACTALL", "?SELECT", "?CANCELBUTTON", "?HELPBUTTON"}});
    ASSERT_TRUE(Click(*picker, "?CANCELBUTTON"));
    ASSERT_TRUE(WaitForClose(*picker));
    ASSERT_TRUE(Click(*form, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(*form));

    // The catalog tree.
    ASSERT_TRUE(Click(frame, "?MENU5ITEM16"));  // "&Catalogs tree"
    const auto tree = WaitForWindow("BrowseTreeA");
    ASSERT_TRUE(tree);
    ExpectFollowsTheWindow(*tree, {"resize_catalog_tree",
                                   "?FILETREE",
                                   {},
                                   {"?EXPANDALL", "?CONTRACTALL", "?SELECT", "?CHANGE", "?DELETE",
                                    "?DOWNLOAD", "?CANCELBUTTON", "?HELPBUTTON"}});
    // Closed larger, it opens again at that size, its tree as large as it was.
    const Look normal = LookAt(*tree, {"", "?FILETREE", {}, {}});
    const QSize more(200, 120);
    Act(*tree, [&](QMdiSubWindow& sub) { sub.resize(sub.size() + more); });
    ASSERT_TRUE(Eventually([&] {
        return LookAt(*tree, {"", "?FILETREE", {}, {}}).client == normal.client + more;
    }));
    ASSERT_TRUE(Click(*tree, "?CANCELBUTTON"));
    ASSERT_TRUE(WaitForClose(*tree));
    ASSERT_TRUE(Click(frame, "?MENU5ITEM16"));
    const auto again = WaitForWindow("BrowseTreeA");
    ASSERT_TRUE(again);
    EXPECT_TRUE(Eventually([&] {
        const Look look = LookAt(*again, {"", "?FILETREE", {}, {}});
        return look.client == normal.client + more && look.list.size() == normal.list.size() + more;
    }));
    EXPECT_TRUE(Shot(*again, "resize_catalog_tree_reopened"));
    ASSERT_TRUE(Click(*again, "?CANCELBUTTON"));
    ASSERT_TRUE(WaitForClose(*again));

    // The configuration's store list: the option keeps to the left, its buttons to the right.
    ASSERT_TRUE(Click(frame, "?FILECONFIGURE"));
    const auto config = WaitForWindow("UpdateSysInfo");
    ASSERT_TRUE(config);
    ASSERT_TRUE(Click(*config, "?TAB2"));
    ExpectFollowsTheWindow(*config, {"resize_store_list",
                                     "?LIST",
                                     {"?ST::SHOWACTIVE:RADIO1", "?ST::SHOWACTIVE:RADIO2"},
                                     {"?TOGGLEACTIVE", "?CHANGE", "?OK", "?CANCEL", "?HELP"}});
    ASSERT_TRUE(Click(*config, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(*config));
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace zem::test
