// The menu painter's measuring and painting rules, through a drawing context that records what
// it is asked to draw.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "addons/main_frame_addons.h"
#include "addons/xxp_wnd_class.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_test_support.h"
#include "platform/win/system_parameters.h"

namespace zem::addons {
namespace {

using win::RECT;

class RecordingContext final : public win::DrawContext {
  public:
    struct Text {
        std::string text;
        RECT rect;
        unsigned flags;
        win::COLORREF color;
    };
    struct Icon {
        std::string name;
        int x, y;
    };
    std::set<std::string> resources;  // the icon resources that exist
    std::vector<std::pair<RECT, win::COLORREF>> fills, frames;
    std::vector<Icon> icons;
    std::vector<Text> texts;
    win::COLORREF color = 0;

    void FillRect(const RECT& r, win::COLORREF c) override { fills.emplace_back(r, c); }
    void FrameRect(const RECT& r, win::COLORREF c) override { frames.emplace_back(r, c); }
    bool DrawIcon(std::string_view name, int x, int y) override {
        if (!resources.contains(std::string(name))) return false;
        icons.push_back({std::string(name), x, y});
        return true;
    }
    void SelectFont(const win::FontChoice&) override {}
    void SetTextColor(win::COLORREF c) override { color = c; }
    void DrawText(std::string_view text, RECT& r, unsigned flags) override {
        if (flags & win::DT_CALCRECT) {
            r.right = r.left + 7 * static_cast<int>(text.size());
            r.bottom = r.top + 13;
            return;
        }
        texts.push_back({std::string(text), r, flags, color});
    }
};

constexpr RECT kItem{3, 23, 103, 43};  // a drop-down item 100 x 20

win::OwnerDrawItem DropDown(std::string text, std::string path = {}) {
    win::OwnerDrawItem item;
    item.text = std::move(text);
    item.level = 1;
    item.path = std::move(path);
    return item;
}

class MenuPainterTest : public ui::testing::HeadlessTest {
  protected:
    void SetUp() override {
        ui::testing::HeadlessTest::SetUp();
        painter.ChangeStyle(ApplyFrameMenuStyle);
    }
    // Runs body on a framework thread with a window whose menu holds the items named above.
    template <typename Body>
    void RunOnFrameworkThreadWithMenu(Body body) {
        ui::testing::RunOnFrameworkThread([&] {
            ui::Window w;
            w.Load(ui::testing::LayoutOf(kMenuLayout));
            ASSERT_TRUE(w.Open("Menus"));
            body(w);
        });
    }
    static constexpr std::string_view kMenuLayout = R"({"windows": {"W": {"controls": [
        {"kind": "menubar", "use": "?BAR", "controls": [
            {"kind": "menu", "use": "?EDIT", "text": "&Edit", "controls": [
                {"kind": "item", "use": "?CANCEL", "text": "&Cancel"},
                {"kind": "item", "use": "?CANCEL2", "text": "&Cancel"}]}]}]}}})";
    xXPWndClass painter;
};

TEST_F(MenuPainterTest, IconNamesFollowTheItemState) {
    MenuStyle frame;
    ApplyFrameMenuStyle(frame);
    struct Case {
        const char* name;
        unsigned state;
        const char* icon;
        const char* fallback;
    };
    const Case cases[] = {
        {"cold", 0, "ASLCNCL_cold_ICO", "ASLCNCL_ICO"},
        {"selected", win::ODS_SELECTED, "ASLCNCL_ICO", ""},
        {"hot", win::ODS_HOTLIGHT, "ASLCNCL_ICO", ""},
        {"greyed", win::ODS_GRAYED, "ASLCNCL_gray_ICO", "ASLCNCL_ICO"},
        {"selected and greyed", win::ODS_SELECTED | win::ODS_DISABLED, "ASLCNCL_gray_ICO",
         "ASLCNCL_ICO"},
        {"checked", win::ODS_CHECKED, "xXPp_onc_ICO", ""},
        {"checked and selected", win::ODS_CHECKED | win::ODS_SELECTED, "xXPp_on_ICO", ""},
    };
    for (const Case& c : cases) {
        const IconChoice choice = ChooseIcon(frame, "ASLCNCL", c.state);
        EXPECT_EQ(choice.name, c.icon) << c.name;
        EXPECT_EQ(choice.fallback, c.fallback) << c.name;
    }
    // The defaults' check icons.
    EXPECT_EQ(ChooseIcon(MenuStyle{}, "X", win::ODS_CHECKED).name, "XXPP_ONC_ICO");
}

TEST_F(MenuPainterTest, AMissingColdIconFallsBackAndASelectedIconIsRaisedUnlessDisabled) {
    struct Case {
        const char* name;
        unsigned state;
        std::set<std::string> resources;
        std::string drawn;
        int x, y;
        win::COLORREF text;
    };
    const Case cases[] = {
        {"cold, no cold icon", 0, {"ASLCNCL_ICO"}, "ASLCNCL_ICO", 5, 25, 0},
        {"cold icon there", 0, {"ASLCNCL_ICO", "ASLCNCL_cold_ICO"}, "ASLCNCL_cold_ICO", 5, 25, 0},
        {"selected: raised", win::ODS_SELECTED, {"ASLCNCL_ICO"}, "ASLCNCL_ICO", 4, 24, 0},
        {"selected and disabled: not raised",
         win::ODS_SELECTED | win::ODS_DISABLED,
         {"ASLCNCL_ICO"},
         "ASLCNCL_ICO",
         5,
         25,
         0x808080},
        {"greyed", win::ODS_GRAYED, {"ASLCNCL_ICO"}, "ASLCNCL_ICO", 5, 25, 0x808080},
    };
    RunOnFrameworkThreadWithMenu(
        [&](ui::Window& w) { painter.AddItem(w.Feq("?CANCEL"), w, "ASLCNCL.ico"); });
    for (const Case& c : cases) {
        RecordingContext dc;
        dc.resources = c.resources;
        painter.DrawItem(dc, DropDown("&Cancel", "\\#&Edit\\#&Cancel"), kItem, c.state);
        ASSERT_EQ(dc.icons.size(), 1u) << c.name;
        EXPECT_EQ(dc.icons[0].name, c.drawn) << c.name;
        EXPECT_EQ(dc.icons[0].x, c.x) << c.name;
        EXPECT_EQ(dc.icons[0].y, c.y) << c.name;
        ASSERT_EQ(dc.texts.size(), 1u) << c.name;
        EXPECT_EQ(dc.texts[0].color, c.text) << c.name;
        // The label starts after the icon bar, the indent and the text margin.
        EXPECT_EQ(dc.texts[0].rect.left, kItem.left + 23 + 4 + 4) << c.name;
        const bool lit = (c.state & win::ODS_SELECTED) != 0;
        EXPECT_EQ(dc.frames.size(), lit ? 1u : 0u) << c.name;
        if (lit) {
            EXPECT_EQ(dc.frames[0], std::pair(kItem, win::COLORREF{0x800000})) << c.name;
        }
    }
}

TEST_F(MenuPainterTest, BackgroundIconBarSeparatorAndShortcut) {
    {
        RecordingContext dc;
        painter.DrawItem(dc, DropDown("Cu&t\tCtrl+X"), kItem, 0);
        // The whole item in the menu colour, then white from the icon bar on.
        ASSERT_GE(dc.fills.size(), 2u);
        EXPECT_EQ(dc.fills[0], std::pair(kItem, win::GetSysColor(win::COLOR_MENUBAR)));
        EXPECT_EQ(dc.fills[1], std::pair(RECT{26, 23, 103, 43}, win::COLORREF{0xFFFFFF}));
        ASSERT_EQ(dc.texts.size(), 2u);
        EXPECT_EQ(dc.texts[0].text, "Cu&t");
        EXPECT_EQ(dc.texts[0].flags, 0x64u);
        EXPECT_EQ(dc.texts[1].text, "Ctrl+X");
        EXPECT_EQ(dc.texts[1].flags, 0x26u);
        EXPECT_EQ(dc.texts[1].rect.right, kItem.right - 5);
    }
    {
        win::OwnerDrawItem separator = DropDown("-");
        separator.separator = true;
        RecordingContext dc;
        int width = 0, height = 0;
        painter.MeasureItem(dc, separator, width, height);
        EXPECT_EQ(height, 3);
        const RECT r{3, 43, 103, 46};
        painter.DrawItem(dc, separator, r, 0);
        ASSERT_EQ(dc.fills.size(), 3u);
        EXPECT_EQ(dc.fills[2],
                  std::pair(RECT{3 + 27, 44, 103, 45}, win::GetSysColor(win::COLOR_MENUBAR)));
        EXPECT_TRUE(dc.texts.empty());
        EXPECT_TRUE(dc.icons.empty());
    }
    {
        RecordingContext dc;
        int width = 0, height = 0;
        painter.MeasureItem(dc, DropDown("&Open"), width, height);
        EXPECT_EQ(width, 5 * 7 + 23);
        EXPECT_EQ(height, 20);
    }
}

TEST_F(MenuPainterTest, ItemsAreRegisteredByPath) {
    RunOnFrameworkThreadWithMenu([&](ui::Window& w) {
        EXPECT_EQ(xXPWndClass::ItemPath(w, w.Feq("?CANCEL")), "\\#&Edit\\#&Cancel");
        EXPECT_EQ(xXPWndClass::ItemPath(w, w.Feq("?EDIT")), "\\#&Edit");
        painter.AddItem(w.Feq("?CANCEL"), w, "ASLCNCL.ico");
        painter.AddItem(w.Feq("?CANCEL2"), w, "AslCut.ico");  // the same path
        painter.AddItem(w.Feq("?EDIT"), w, "ASLEDIT.ICO");
    });
    const auto entries = painter.ItemsSetup();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].STRID, "\\#&Edit\\#&Cancel");
    EXPECT_EQ(entries[0].ICONNAME, "AslCut");
    EXPECT_EQ(entries[1].ICONNAME, "ASLEDIT");
}

TEST_F(MenuPainterTest, ActivationSwitchesTheMenuSettingsAndDeactivationPutsThemBack) {
    long value = 0;
    auto setting = [&](unsigned get) {
        win::SystemParametersInfo(get, 0, &value, 0);
        return value;
    };
    RunOnFrameworkThreadWithMenu([&](ui::Window& w) {
        painter.Init(w);
        for (const unsigned message : {win::WM_ACTIVATEAPP, 0x0010u /* WM_CLOSE */}) {
            win::SendMessage(w.Handle(), win::WM_ACTIVATEAPP, 1, 0);
            EXPECT_EQ(setting(win::SPI_GETMENUANIMATION), 0);
            EXPECT_EQ(setting(win::SPI_GETMENUFADE), 0);
            EXPECT_EQ(setting(win::SPI_GETKEYBOARDCUES), 1);
            win::SendMessage(w.Handle(), message, 0, 0);
            EXPECT_EQ(setting(win::SPI_GETMENUANIMATION), 1);
            EXPECT_EQ(setting(win::SPI_GETMENUFADE), 1);
            EXPECT_EQ(setting(win::SPI_GETKEYBOARDCUES), 0);
        }
        painter.Remove();
    });
}

}  // namespace
}  // namespace zem::addons
