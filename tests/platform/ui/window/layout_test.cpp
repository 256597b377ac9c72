#include "platform/ui/window/layout.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

namespace zem::ui {
namespace {

std::optional<WindowLayout> Parse(std::string_view json, std::string* error = nullptr) {
    return ParseLayout(json, "W", error);
}

// A menu bar, a sheet and an option, as the system's windows nest them, with one fixed number
// in the middle.
constexpr std::string_view kNested = R"({"windows": {"W": {"controls": [
    {"kind": "menubar", "controls": [
        {"kind": "menu", "use": "?FILE", "controls": [
            {"kind": "item", "use": "?OPEN"},
            {"kind": "item", "use": "?EXIT"}]},
        {"kind": "menu", "use": "?HELP", "controls": [
            {"kind": "item", "use": "?ABOUT"}]}]},
    {"kind": "sheet", "use": "?SHEET", "controls": [
        {"kind": "tab", "use": "?TAB1", "controls": [
            {"kind": "entry", "use": "?NAME"},
            {"kind": "button", "use": "?FIRST", "feq": 1000},
            {"kind": "entry", "use": "?CITY"}]},
        {"kind": "tab", "use": "?TAB2"}]},
    {"kind": "option", "use": "?SIZE", "controls": [
        {"kind": "radio", "use": "?SMALL", "value": "S"},
        {"kind": "radio", "use": "?LARGE", "value": "L"}]},
    {"kind": "button", "use": "?OK"}]}}})";

struct Numbered {
    std::string use;
    int feq;
    int parent;
    ControlKind kind;
};

TEST(LayoutTest, NumbersControlsDepthFirstInWrittenOrder) {
    std::string error;
    const auto layout = Parse(kNested, &error);
    ASSERT_TRUE(layout) << error;
    const std::vector<Numbered> expected{
        {"", 1, 0, ControlKind::MenuBar},       {"?FILE", 2, 1, ControlKind::Menu},
        {"?OPEN", 3, 2, ControlKind::Item},     {"?EXIT", 4, 2, ControlKind::Item},
        {"?HELP", 5, 1, ControlKind::Menu},     {"?ABOUT", 6, 5, ControlKind::Item},
        {"?SHEET", 7, 0, ControlKind::Sheet},   {"?TAB1", 8, 7, ControlKind::Tab},
        {"?NAME", 9, 8, ControlKind::Entry},    {"?FIRST", 1000, 8, ControlKind::Button},
        {"?CITY", 10, 8, ControlKind::Entry},   {"?TAB2", 11, 7, ControlKind::Tab},
        {"?SIZE", 12, 0, ControlKind::Option},  {"?SMALL", 13, 12, ControlKind::Radio},
        {"?LARGE", 14, 12, ControlKind::Radio}, {"?OK", 15, 0, ControlKind::Button},
    };
    ASSERT_EQ(layout->controls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Control& c = layout->controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " " + expected[i].use);
        EXPECT_EQ(c.use, expected[i].use);
        EXPECT_EQ(c.feq, expected[i].feq);
        EXPECT_EQ(c.parent, expected[i].parent);
        EXPECT_EQ(c.kind, expected[i].kind);
    }
}

TEST(LayoutTest, ReadsEveryControlProperty) {
    constexpr std::string_view json = R"({"windows": {"W": {"controls": [
        {"kind": "list", "use": "?LIST", "text": "Items", "tip": "The items", "msg": "Pick one",
         "icon": "find.ico", "picture": "s20", "screen": "shown", "selected": 2,
         "at": [4, 8, 200, 100], "font": {"name": "Arial", "size": 9, "charset": 128,
         "bold": true}, "hide": true, "disable": true, "readOnly": true, "default": true,
         "skip": true, "icons": ["active.ico", "inactive.ico"],
         "columns": [{"header": "On", "width": 16, "icon": true, "sortable": false},
                     {"header": "Name", "width": 80}]},
        {"kind": "spin", "use": "?COUNT", "range": [-5, 250], "step": 5},
        {"kind": "button", "use": "?CLOSE", "std": "close", "value": "x"}]}}})";
    std::string error;
    const auto layout = Parse(json, &error);
    ASSERT_TRUE(layout) << error;
    ASSERT_EQ(layout->controls.size(), 3u);

    const Control& list = layout->controls[0];
    EXPECT_EQ(list.text, "Items");
    EXPECT_EQ(list.tip, "The items");
    EXPECT_EQ(list.message, "Pick one");
    EXPECT_EQ(list.icon, "find.ico");
    EXPECT_EQ(list.picture, "s20");
    EXPECT_EQ(list.screen, "shown");
    EXPECT_EQ(list.selected, 2);
    EXPECT_EQ(list.at, (Rect{4, 8, 200, 100}));
    EXPECT_EQ(list.font, (Font{"Arial", 9, 128, true}));
    EXPECT_TRUE(list.hide);
    EXPECT_TRUE(list.disable);
    EXPECT_TRUE(list.readOnly);
    EXPECT_TRUE(list.isDefault);
    EXPECT_TRUE(list.skip);
    EXPECT_EQ(list.icons, (std::vector<std::string>{"active.ico", "inactive.ico"}));
    EXPECT_EQ(list.columns,
              (std::vector<ListColumn>{{"On", 16, true, false}, {"Name", 80, false, true}}));
    EXPECT_EQ(list.action, StdAction::None);

    const Control& spin = layout->controls[1];
    EXPECT_EQ(spin.rangeLow, -5);
    EXPECT_EQ(spin.rangeHigh, 250);
    EXPECT_EQ(spin.step, 5);
    // What a control leaves out takes the model's defaults.
    EXPECT_EQ(spin.font, Font{});
    EXPECT_EQ(spin.at, Rect{});
    EXPECT_FALSE(spin.hide || spin.disable || spin.readOnly || spin.isDefault || spin.skip);

    const Control& close = layout->controls[2];
    EXPECT_EQ(close.action, StdAction::Close);
    EXPECT_EQ(close.value, "x");
    EXPECT_EQ(close.step, 1);
}

TEST(LayoutTest, ReadsEveryStandardActionByName) {
    const std::vector<std::pair<std::string, StdAction>> actions{
        {"close", StdAction::Close},
        {"cut", StdAction::Cut},
        {"copy", StdAction::Copy},
        {"paste", StdAction::Paste},
        {"tile", StdAction::Tile},
        {"cascade", StdAction::Cascade},
        {"arrange", StdAction::Arrange},
        {"printsetup", StdAction::PrintSetup},
        {"helpindex", StdAction::HelpIndex},
        {"helpsearch", StdAction::HelpSearch},
        {"helponhelp", StdAction::HelpOnHelp},
    };
    for (const auto& [name, action] : actions) {
        const std::string json =
            R"({"windows": {"W": {"controls": [{"kind": "item", "std": ")" + name + R"("}]}}})";
        std::string error;
        const auto layout = Parse(json, &error);
        ASSERT_TRUE(layout) << name << ": " << error;
        EXPECT_EQ(layout->controls.at(0).action, action) << name;
        EXPECT_EQ(StdActionName(action), name);
    }
}

TEST(LayoutTest, ReadsTheWindowsOwnProperties) {
    constexpr std::string_view json = R"({"windows": {
        "P1$FRAME": {"type": "application", "caption": "Zembrola", "noCaption": true,
                     "icon": "zembrola.ico", "wallpaper": "wall.jpg",
                     "toolbarWallpaper": "toolbox.jpg", "at": [0, 0, 1024, 720],
                     "font": {"name": "MS Sans Serif", "size": 8, "charset": 128},
                     "maximized": true, "resizable": false, "status": [-1, 200, 80],
                     "timer": 50},
        "P1$CHILD": {"type": "mdi"},
        "P1$DIALOG": {}}})";
    std::string error;
    const auto frame = ParseLayout(json, "P1$FRAME", &error);
    ASSERT_TRUE(frame) << error;
    const WindowProps& p = frame->props;
    EXPECT_EQ(p.type, WindowType::Application);
    EXPECT_EQ(p.caption, "Zembrola");
    EXPECT_TRUE(p.noCaption);
    EXPECT_EQ(p.icon, "zembrola.ico");
    EXPECT_EQ(p.wallpaper, "wall.jpg");
    EXPECT_EQ(p.toolbarWallpaper, "toolbox.jpg");
    EXPECT_EQ(p.at, (Rect{0, 0, 1024, 720}));
    EXPECT_EQ(p.font, (Font{"MS Sans Serif", 8, 128, false}));
    EXPECT_EQ(p.charset, 128);
    EXPECT_TRUE(p.maximized);
    EXPECT_FALSE(p.resizable);
    EXPECT_EQ(p.statusWidths, (std::vector<int>{-1, 200, 80}));
    EXPECT_EQ(p.statusTexts, (std::vector<std::string>(3)));
    EXPECT_EQ(frame->timer, 50);
    EXPECT_TRUE(frame->controls.empty());

    const auto child = ParseLayout(json, "P1$CHILD", &error);
    ASSERT_TRUE(child) << error;
    EXPECT_EQ(child->props.type, WindowType::Mdi);

    const auto dialog = ParseLayout(json, "P1$DIALOG", &error);
    ASSERT_TRUE(dialog) << error;
    EXPECT_EQ(dialog->props.type, WindowType::Window);
    EXPECT_TRUE(dialog->props.resizable);
    EXPECT_FALSE(dialog->props.maximized);
    EXPECT_EQ(dialog->props.charset, -1);  // the program's default, chosen when it opens
    EXPECT_EQ(dialog->timer, 0);
}

TEST(LayoutTest, TheWindowKeepsItsLayoutName) {
    const auto layout = ParseLayout(R"({"windows": {"P1$QUICKWINDOW": {}}})", "P1$QUICKWINDOW");
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->props.name, "P1$QUICKWINDOW");
}

struct BadLayout {
    const char* name;
    std::string json;
    const char* error;  // text the error must contain
};

std::ostream& operator<<(std::ostream& out, const BadLayout& c) {
    return out << c.name;
}

std::string WindowWith(std::string_view body) {
    return R"({"windows": {"W": )" + std::string(body) + "}}";
}

std::string ControlWith(std::string_view fields) {
    return WindowWith(R"({"controls": [{"kind": "entry", )" + std::string(fields) + "}]}");
}

class BadLayoutTest : public ::testing::TestWithParam<BadLayout> {};

TEST_P(BadLayoutTest, AnswersNoLayoutAndSaysWhy) {
    const BadLayout& c = GetParam();
    std::string error;
    std::optional<WindowLayout> layout;
    EXPECT_NO_THROW(layout = Parse(c.json, &error));
    EXPECT_FALSE(layout);
    EXPECT_NE(error.find(c.error), std::string::npos) << "error: " << error;
    // Without a place for the reason it still fails cleanly.
    EXPECT_NO_THROW(EXPECT_FALSE(Parse(c.json)));
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadLayoutTest,
    ::testing::Values(
        BadLayout{"NotJson", R"({"windows": {"W": )", "not JSON"},
        BadLayout{"NotAnObject", "[1, 2]", "not JSON"},
        BadLayout{"NoWindows", R"({"window": {}})", "no \"windows\""},
        BadLayout{"WindowsNotAnObject", R"({"windows": []})", "no \"windows\""},
        BadLayout{"MissingWindow", R"({"windows": {"Other": {}}})", "no window \"W\""},
        BadLayout{"WindowNotAnObject", WindowWith("7"), "the window is not an object"},
        BadLayout{"UnknownWindowType", WindowWith(R"({"type": "popup"})"),
                  "unknown window type \"popup\""},
        BadLayout{"UnknownKind", WindowWith(R"({"controls": [{"kind": "slider"}]})"),
                  "unknown control kind \"slider\""},
        BadLayout{"NoKind", WindowWith(R"({"controls": [{"use": "?X"}]})"),
                  "unknown control kind \"\""},
        BadLayout{"UnknownStdAction", ControlWith(R"("std": "print")"),
                  "unknown standard action \"print\""},
        BadLayout{"DuplicatedFixedNumber",
                  WindowWith(R"({"controls": [{"kind": "button", "feq": 100},
                                              {"kind": "button", "feq": 100}]})"),
                  "control number 100 is used twice"},
        BadLayout{"FixedNumberTakenByCount", WindowWith(R"({"controls": [{"kind": "button"},
                                              {"kind": "button", "feq": 1}]})"),
                  "control number 1 is used twice"},
        BadLayout{"ControlsNotAList", WindowWith(R"({"controls": {"kind": "entry"}})"),
                  "\"controls\" is not a list"},
        BadLayout{"ChildrenNotAList",
                  WindowWith(R"({"controls": [{"kind": "group", "controls": 3}]})"),
                  "\"controls\" is not a list"},
        BadLayout{"ControlNotAnObject", WindowWith(R"({"controls": ["entry"]})"),
                  "a control is not an object"},
        BadLayout{"TextNotAText", ControlWith(R"("text": 5)"), "\"text\" is not a text"},
        BadLayout{"UseNotAText", ControlWith(R"("use": ["?A"])"), "\"use\" is not a text"},
        BadLayout{"FeqNotANumber", ControlWith(R"("feq": "12")"), "\"feq\" is not a number"},
        BadLayout{"FeqNotAWholeNumber", ControlWith(R"("feq": 1.5)"), "\"feq\" is not a number"},
        BadLayout{"FlagNotABoolean", ControlWith(R"("hide": 1)"), "\"hide\" is not true or false"},
        BadLayout{"AtTooShort", ControlWith(R"("at": [1, 2, 3])"), "\"at\" is not [x, y"},
        BadLayout{"AtNotNumbers", ControlWith(R"("at": [1, 2, "3", 4])"),
                  "\"at\" holds a value that is no number"},
        BadLayout{"FontNotAnObject", ControlWith(R"("font": "Arial")"),
                  "\"font\" is not an object"},
        BadLayout{"FontSizeNotANumber", ControlWith(R"("font": {"size": "big"})"),
                  "\"size\" is not a number"},
        BadLayout{"RangeOneValue", ControlWith(R"("range": [1])"), "\"range\" is not [low, high]"},
        BadLayout{"RangeNotNumbers", ControlWith(R"("range": [1, "9"])"),
                  "\"range\" is not [low, high]"},
        BadLayout{"IconsNotAList", ControlWith(R"("icons": "a.ico")"), "\"icons\" is not a list"},
        BadLayout{"IconsNotTexts", ControlWith(R"("icons": [1])"), "\"icons\" holds no text"},
        BadLayout{"ColumnsNotAList", ControlWith(R"("columns": {})"), "\"columns\" is not a list"},
        BadLayout{"ColumnNotAnObject", ControlWith(R"("columns": ["Name"])"),
                  "a column is not an object"},
        BadLayout{"ColumnWidthNotANumber", ControlWith(R"("columns": [{"width": "wide"}])"),
                  "\"width\" is not a number"},
        BadLayout{"StatusNotAList", WindowWith(R"({"status": 3})"),
                  "\"status\" is not a list of widths"},
        BadLayout{"StatusWidthNotANumber", WindowWith(R"({"status": [-1, "80"]})"),
                  "a status width is no number"},
        BadLayout{"TimerNotANumber", WindowWith(R"({"timer": "50"})"), "\"timer\" is not a number"},
        BadLayout{"WindowFlagNotABoolean", WindowWith(R"({"resizable": "no"})"),
                  "\"resizable\" is not true or false"}),
    [](const ::testing::TestParamInfo<BadLayout>& param) { return std::string(param.param.name); });

TEST(LayoutTest, ANumberBeyondAnIntIsAnError) {
    for (const std::string& json :
         {WindowWith(R"({"timer": 4294967396})"), ControlWith(R"("feq": 4294967297)"),
          ControlWith(R"("at": [0, 0, 4294967396, 10])"), ControlWith(R"("step": -4294967295)")}) {
        std::string error;
        EXPECT_FALSE(Parse(json, &error)) << json;
        EXPECT_FALSE(error.empty()) << json;
    }
}

TEST(LayoutTest, ErrorsOfAControlNameTheWindow) {
    std::string error;
    EXPECT_FALSE(ParseLayout(R"({"windows": {"P1$QUICK": {"controls": [{"kind": "knob"}]}}})",
                             "P1$QUICK", &error));
    EXPECT_EQ(error.rfind("P1$QUICK: ", 0), 0u) << error;
}

TEST(LayoutTest, LoadsAFileAndNamesItInErrors) {
    const test::TempDir dir;
    const auto good = dir / "good.json";
    const auto bad = dir / "bad.json";
    std::ofstream(good) << R"({"windows": {"W": {"caption": "From file"}}})";
    std::ofstream(bad) << R"({"windows": {"W": {"timer": true}}})";

    std::string error;
    const auto layout = LoadLayoutFile(good, "W", &error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->props.caption, "From file");

    EXPECT_FALSE(LoadLayoutFile(bad, "W", &error));
    EXPECT_EQ(error, "bad.json: W: \"timer\" is not a number");

    EXPECT_FALSE(LoadLayoutFile(dir / "missing.json", "W", &error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
    EXPECT_NE(error.find("missing.json"), std::string::npos) << error;
}

}  // namespace
}  // namespace zem::ui
