// The layouts of the tree window, the node picker and the node form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/window/layout.h"

namespace zem::test {
namespace {

using K = ui::ControlKind;

struct Expect {
    const char* use;
    K kind;
    const char* text;
    const char* tip;  // also the status bar message
    const char* icon;
};

const ui::Control* Find(const ui::WindowLayout& layout, std::string_view use) {
    for (const ui::Control& c : layout.controls)
        if (c.use == use) return &c;
    return nullptr;
}

// Controls in equate order, with their texts, tips and icons.
void ExpectControls(const ui::WindowLayout& layout, const std::vector<Expect>& expected) {
    ASSERT_EQ(layout.controls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Expect& e = expected[i];
        const ui::Control& c = layout.controls[i];
        SCOPED_TRACE(e.use);
        EXPECT_EQ(c.use, e.use);
        EXPECT_EQ(c.feq, static_cast<int>(i) + 1);
        EXPECT_EQ(c.kind, e.kind);
        EXPECT_EQ(c.text, e.text);
        EXPECT_EQ(c.tip, e.tip);
        EXPECT_EQ(c.message, e.tip);
        EXPECT_EQ(c.icon, e.icon);
    }
}

// Every control lies inside the window, and the tab's inside the sheet.
void ExpectInside(const ui::WindowLayout& layout, const char* sheetUse) {
    const ui::Rect window{0, 0, layout.props.at.width, layout.props.at.height};
    const ui::Rect sheet = Find(layout, sheetUse)->at;
    auto inside = [](const ui::Rect& in, const ui::Rect& r) {
        return r.width > 0 && r.height > 0 && r.x >= in.x && r.y >= in.y &&
               r.x + r.width <= in.x + in.width && r.y + r.height <= in.y + in.height;
    };
    for (const ui::Control& c : layout.controls) {
        if (c.kind == K::Tab) continue;
        EXPECT_TRUE(inside(window, c.at)) << c.use;
        if (c.parent != 0 && c.parent != Find(layout, sheetUse)->feq) {
            EXPECT_TRUE(inside(sheet, c.at)) << c.use;
        }
    }
}

void ExpectTreeList(const ui::Control& tree) {
    EXPECT_EQ(tree.kind, K::Tree);
    // One column: each entry's icon stands before its name, both indented by its level.
    ASSERT_EQ(tree.columns.size(), 1u);
    EXPECT_EQ(tree.columns[0].header, "Name");
    EXPECT_FALSE(tree.columns[0].icon);
    EXPECT_EQ(tree.icons,
              (std::vector<std::string>{"~mcrtree.ico", "~openfold.ico", "~shutfold.ico"}));
}

void ExpectTreeWindow(const ui::WindowLayout& layout) {
    EXPECT_EQ(layout.props.caption, "AMAZON catalogs");
    EXPECT_EQ(layout.props.icon, "gendict.ico");
    EXPECT_EQ(layout.props.toolbarWallpaper, "toolbox.jpg");
    EXPECT_EQ(layout.props.font.name, "MS Sans Serif");
    EXPECT_EQ(layout.props.font.size, 8);
    EXPECT_EQ(layout.timer, 10);
}

TEST(TreeLayoutTest, TheTreeWindowHasItsControlsInEquateOrder) {
    std::string error;
    const auto layout = ui::LoadLayout("zembrola$zembr027", "P1$WINDOW", &error);
    ASSERT_TRUE(layout) << error;
    ExpectTreeWindow(*layout);
    ExpectControls(
        *layout,
        {
            {"?SHEET1", K::Sheet, "", "", ""},
            {"?TAB1", K::Tab, "1) General", "", ""},
            {"?FILETREE", K::Tree, "", "", ""},
            {"?EXPANDALL", K::Button, "&Expand All", "Expand all tree", "zoom in.ico"},
            {"?CONTRACTALL", K::Button, "&Contract All", "Contract all tree", "zoom out.ico"},
            {"?SELECT", K::Button, "&Select", "Select node", "WASELECT.ICO"},
            {"?CHANGE", K::Button, "&Change", "", "WACHANGE.ICO"},
            {"?DELETE", K::Button, "&Delete", "Delete active record", "WADELETE.ICO"},
            {"?DOWNLOAD", K::Button, "&Update", "Update catalogs tree from internet",
             "world connect.ico"},
            {"?CANCELBUTTON", K::Button, "&Close", "Close this window", "WAClose.ico"},
            {"?HELPBUTTON", K::Button, "&Help", "", "WAHelp.ico"},
        });
    ExpectTreeList(*Find(*layout, "?FILETREE"));
    ExpectInside(*layout, "?SHEET1");
}

TEST(TreeLayoutTest, ThePickerHasNoEditingButtons) {
    std::string error;
    const auto layout = ui::LoadLayout("zembrola$zembr032", "P1$WINDOW", &error);
    ASSERT_TRUE(layout) << error;
    ExpectTreeWindow(*layout);
    ExpectControls(
        *layout,
        {
            {"?SHEET1", K::Sheet, "", "", ""},
            {"?TAB1", K::Tab, "1) General", "", ""},
            {"?FILETREE", K::Tree, "", "", ""},
            {"?EXPANDALL", K::Button, "&Expand All", "Expand all tree", "zoom in.ico"},
            {"?CONTRACTALL", K::Button, "&Contract All", "Contract all tree", "zoom out.ico"},
            {"?SELECT", K::Button, "&Select", "Select node", "WASELECT.ICO"},
            {"?CANCELBUTTON", K::Button, "&Close", "Close this window", "WAClose.ico"},
            {"?HELPBUTTON", K::Button, "&Help", "", "WAHelp.ico"},
        });
    ExpectTreeList(*Find(*layout, "?FILETREE"));
    ExpectInside(*layout, "?SHEET1");
}

TEST(TreeLayoutTest, TheNodeFormHasTheStandardFormButtons) {
    std::string error;
    const auto layout = ui::LoadLayout("zembrola$zembr042", "P1$QUICKWINDOW", &error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->props.caption, "Form Nodes");
    EXPECT_EQ(layout->props.icon, "~gendict.ico");
    EXPECT_EQ(layout->props.font.name, "MS Sans Serif");
    EXPECT_EQ(layout->timer, 0);
    // The name's tip is code page 1251, which a layout can't hold: the form sets it.
    ExpectControls(*layout,
                   {
                       {"?CURRENTTAB", K::Sheet, "", "", ""},
                       {"?TAB:1", K::Tab, "&1) General", "", ""},
                       {"?PROMPT1", K::Prompt, "Name:", "", ""},
                       {"?NOD:NAME", K::Entry, "", "", ""},
                       {"?OK", K::Button, "&OK", "Accept data and close the window", "WAOK.ICO"},
                       {"?CANCEL", K::Button, "&Cancel", "Cancel operation", "WACANCEL.ICO"},
                       {"?HELP", K::Button, "&Help", "See Help Window", "WAHELP.ICO"},
                   });
    EXPECT_EQ(Find(*layout, "?NOD:NAME")->picture, "s255");
    EXPECT_TRUE(Find(*layout, "?OK")->isDefault);
    ExpectInside(*layout, "?CURRENTTAB");
}

}  // namespace
}  // namespace zem::test
