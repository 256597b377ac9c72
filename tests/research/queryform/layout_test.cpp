// The query form's layout and help page: the buttons with their captions, hints and icons, the
// list's menu in the order of its commands, the small clearing window, and every icon and the
// help topic present among the resources.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ui/window/layout.h"
#include "platform/ui/resources/resources.h"
#include "research/queryform/query_item_list.h"
#include "support/column_table_check.h"

namespace zem::test {
namespace {

using K = ui::ControlKind;

constexpr const char* kResource = "zembrola$zembr029";

const ui::Control* Find(const ui::WindowLayout& layout, std::string_view use) {
    for (const ui::Control& c : layout.controls)
        if (c.use == use) return &c;
    return nullptr;
}

ui::WindowLayout Form() {
    std::string error;
    auto layout = ui::LoadLayout(kResource, "P1$QUICKWINDOW", &error);
    EXPECT_TRUE(layout) << error;
    return layout.value_or(ui::WindowLayout{});
}

struct ButtonExpect {
    const char* use;
    const char* text;
    const char* tip;
    const char* icon;
};

TEST(QueryFormLayoutTest, TheButtonsCarryTheirCaptionsHintsAndIcons) {
    const ui::WindowLayout form = Form();
    EXPECT_EQ(form.props.caption, "Form Queries");
    EXPECT_EQ(form.props.icon, "wizfind.ico");
    EXPECT_EQ(form.props.font.name, "MS Sans Serif");
    EXPECT_EQ(form.timer, 10);
    const ButtonExpect buttons[] = {
        {"?BUILDLIST", "&Load List", "", "SCRACTNS.ICO"},
        {"?CREATECAMPAIGN", "&Campaign", "Campaign creatition", "GRID.ICO"},
        {"?CHANGE", "&Change", "", "WACHANGE.ICO"},
        {"?CHECKLIST", "&Check", "", "wizcnvt.ico"},
        {"?VIEW", "&View", "View detail page", ""},
        {"?CALLLOOKUP", "", "Select node", "SHUTFOLD.ICO"},
        {"?OK", "&OK", "Accept data and close the window", "WAOK.ICO"},
        {"?CANCEL", "&Cancel", "Cancel operation", "WACANCEL.ICO"},
        {"?HELP", "&Help", "See Help Window", "WAHELP.ICO"},
        {"?TAGONE", "&Tag", "Tag this item", "~TAGONE.ICO"},
        {"?UNTAGONE", "&Untag", "Untag this item", "~UNTAGONE.ICO"},
        {"?FLIPONE", "&Flip", "Flip the tag on this item", "~FLIPONE.ICO"},
        {"?PREVTAG", "&Prev Tag", "Go to previous tagged item", "~PREVTAG.ICO"},
        {"?TAGALL", "Tag &All", "Tag all items", "~TAGALL.ICO"},
        {"?UNTAGALL", "Unta&g All", "Untag all items", "~UNTAGALL.ICO"},
        {"?FLIPALL", "F&lip All", "Flip the tags on all items", "~FLIPALL.ICO"},
        {"?NEXTTAG", "&Next Tag", "Go to next tagged item", "~NEXTTAG.ICO"},
    };
    for (const ButtonExpect& b : buttons) {
        SCOPED_TRACE(b.use);
        const ui::Control* c = Find(form, b.use);
        ASSERT_TRUE(c);
        EXPECT_EQ(c->kind, K::Button);
        EXPECT_EQ(c->text, b.text);
        EXPECT_EQ(c->tip, b.tip);
        EXPECT_EQ(c->icon, b.icon);
    }
    EXPECT_TRUE(Find(form, "?OK")->isDefault);
}

TEST(QueryFormLayoutTest, TheItemListHasItsTenColumnsAndTheTagIcons) {
    const ui::WindowLayout form = Form();
    const ui::Control* list = Find(form, "?LIST");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->tip, "Browsing Records");
    std::vector<std::string> headers;
    for (const ui::ListColumn& column : list->columns) headers.push_back(column.header);
    EXPECT_EQ(headers,
              (std::vector<std::string>{"Tag", "Rank", "Title", "Keywords", "# Ads", "Aff.", "List",
                                        "Amazon", "Save, %", "Free Shipping"}));
    EXPECT_TRUE(list->columns[0].icon);
    EXPECT_EQ(list->icons, (std::vector<std::string>{"~BLANK.ICO", "~CHECK.ICO"}));
    // The three price columns share the header "Prices"; the others stand alone.
    std::vector<std::string> groups;
    for (const ui::ListColumn& column : list->columns) groups.push_back(column.group);
    EXPECT_EQ(groups,
              (std::vector<std::string>{"", "", "", "", "", "", "Prices", "Prices", "Prices", ""}));
}

// The list is filled through its column table: the layout shows the same columns.
TEST(QueryFormLayoutTest, TheItemListsLayoutHoldsItsColumnTable) {
    const ui::WindowLayout form = Form();
    const ui::Control* list = Find(form, "?LIST");
    ASSERT_TRUE(list);
    ExpectColumnsOf(*list, research::ItemColumns());
}

TEST(QueryFormLayoutTest, TheClearingWindowShowsOnlyItsText) {
    std::string error;
    const auto clearing = ui::LoadLayout(kResource, "P1$CLEARWINDOW", &error);
    ASSERT_TRUE(clearing) << error;
    ASSERT_EQ(clearing->controls.size(), 1u);
    EXPECT_EQ(clearing->controls[0].kind, K::String);
    EXPECT_EQ(clearing->controls[0].text, "Clearing Item List...");
}

TEST(QueryFormLayoutTest, EveryIconAndTheHelpTopicAreAmongTheResources) {
    const ui::WindowLayout form = Form();
    std::vector<std::string> icons{form.props.icon};
    for (const ui::Control& c : form.controls) {
        if (!c.icon.empty()) icons.push_back(c.icon);
        for (const std::string& icon : c.icons) icons.push_back(icon);
    }
    for (const std::string& icon : icons) EXPECT_TRUE(ui::IconPath(icon)) << icon;
    const auto topic = ui::FindFileIgnoringCase(ui::HelpDir(), "UpdateQueries.htm");
    ASSERT_TRUE(topic);
    std::ifstream page(*topic);
    std::ostringstream text;
    text << page.rdbuf();
    EXPECT_NE(text.str().find("<title>The query form</title>"), std::string::npos);
    std::ifstream index(ui::HelpDir() / "index.htm");
    std::ostringstream contents;
    contents << index.rdbuf();
    EXPECT_NE(contents.str().find("href=\"UpdateQueries.htm\""), std::string::npos);
}

}  // namespace
}  // namespace zem::test
