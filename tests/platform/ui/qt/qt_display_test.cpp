// The display server end to end: procedures on framework threads open windows, and the tests
// act on the widgets as a user would and read what they show.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime/event_codes.h"
#include "platform/ui/errors/message_sink.h"
#include "platform/ui/qt/client_area.h"
#include "qt_test_support.h"

namespace zem::ui::qt {
namespace {

namespace ev = runtime::event;
using testing::Display;
using testing::EventLog;
using testing::kWait;
using testing::LayoutOf;
using testing::LoggingProcedure;
using testing::OnGui;
using testing::ProcedureThread;
using testing::Seen;
using namespace std::chrono_literals;

constexpr std::string_view kShowcase = R"({"windows": {"W": {"caption": "Showcase",
  "status": [120, -1], "controls": [
  {"kind": "menubar", "controls": [
    {"kind": "menu", "use": "?FILE", "text": "&File", "controls": [
      {"kind": "item", "use": "?MENUPRESS", "text": "&Press", "msg": "Presses the button"},
      {"kind": "separator"},
      {"kind": "item", "use": "?HOWTO", "text": "&How to use help", "std": "helponhelp"},
      {"kind": "item", "use": "?EXIT", "text": "E&xit", "std": "close"}]}]},
  {"kind": "toolbar", "controls": [
    {"kind": "button", "use": "?TOOL", "text": "Tool", "icon": "no-such-icon.ico",
     "tip": "A tool"}]},
  {"kind": "prompt", "use": "?NAMEPROMPT", "text": "&Name:", "at": [8, 8, 60, 20]},
  {"kind": "entry", "use": "?NAME", "at": [72, 8, 120, 22]},
  {"kind": "string", "use": "?LABEL", "text": "Waiting", "at": [200, 8, 120, 20]},
  {"kind": "text", "use": "?NOTES", "at": [8, 36, 180, 50]},
  {"kind": "display", "use": "?SHOWN", "screen": "fixed", "at": [200, 36, 100, 22]},
  {"kind": "button", "use": "?PRESS", "text": "&Press", "at": [8, 92, 80, 26]},
  {"kind": "button", "use": "?ASK", "text": "&Ask", "at": [96, 92, 80, 26]},
  {"kind": "button", "use": "?NEST", "text": "N&est", "at": [184, 92, 80, 26]},
  {"kind": "button", "use": "?ECHO", "text": "E&cho", "at": [272, 92, 80, 26]},
  {"kind": "check", "use": "?AGREE", "text": "A&gree", "at": [8, 124, 100, 22]},
  {"kind": "option", "use": "?COLOUR", "text": "Colour", "screen": "R",
   "at": [8, 150, 200, 50], "controls": [
    {"kind": "radio", "use": "?RED", "text": "Red", "value": "R", "at": [16, 170, 80, 22]},
    {"kind": "radio", "use": "?BLUE", "text": "Blue", "value": "B", "at": [100, 170, 80, 22]}]},
  {"kind": "spin", "use": "?COUNT", "range": [1, 10], "screen": "3", "at": [220, 124, 60, 22]},
  {"kind": "group", "use": "?GROUP", "text": "Group", "at": [220, 150, 120, 50], "controls": [
    {"kind": "box", "use": "?FRAME", "at": [228, 170, 100, 20]}]},
  {"kind": "box", "use": "?OUTLINE", "at": [350, 270, 200, 40], "controls": [
    {"kind": "string", "use": "?INBOX", "text": "In the box", "at": [358, 280, 100, 20]}]},
  {"kind": "image", "use": "?PICTURE", "picture": "test_picture.jpg", "at": [600, 8, 0, 0]},
  {"kind": "progress", "use": "?PROGRESS", "range": [0, 10], "screen": "4",
   "at": [8, 206, 200, 16]},
  {"kind": "list", "use": "?LIST", "columns": [{"header": "Name", "width": 100},
    {"header": "Mark", "width": 40, "icon": true}], "icons": ["no-such-icon.ico"],
   "at": [8, 228, 200, 100]},
  {"kind": "droplist", "use": "?PICK", "at": [220, 228, 120, 22]},
  {"kind": "tree", "use": "?TREE", "at": [220, 256, 120, 100]},
  {"kind": "sheet", "use": "?SHEET", "at": [350, 120, 240, 140], "controls": [
    {"kind": "tab", "use": "?TAB1", "text": "First", "controls": [
      {"kind": "entry", "use": "?ONTAB", "at": [360, 170, 100, 22]}]},
    {"kind": "tab", "use": "?TAB2", "text": "Second"}]}]}}})";

constexpr std::string_view kNested = R"({"windows": {"W": {"caption": "Nested", "controls": [
  {"kind": "button", "use": "?DONE", "text": "Done", "std": "close", "at": [8, 8, 80, 26]}]}}})";

constexpr std::string_view kJapanese = R"({"windows": {"W": {"caption": "J",
  "font": {"charset": 128}, "controls": [
  {"kind": "string", "use": "?JLABEL", "at": [8, 8, 120, 20]},
  {"kind": "entry", "use": "?JNAME", "at": [8, 36, 120, 22]}]}}})";

constexpr std::string_view kFrame = R"({"windows": {"W": {"type": "application",
  "caption": "Frame", "wallpaper": "test_picture.jpg", "toolbarWallpaper": "test_picture.jpg",
  "status": [100, -1], "at": [0, 0, 640, 480], "controls": [
  {"kind": "menubar", "controls": [
    {"kind": "menu", "use": "?WINDOW", "text": "&Window", "controls": [
      {"kind": "item", "use": "?TILE", "text": "&Tile", "std": "tile", "msg": "Tiles them"}]}]},
  {"kind": "toolbar", "controls": [
    {"kind": "button", "use": "?TOOLTILE", "text": "Tile", "std": "tile"}]}]}}})";

constexpr std::string_view kChild = R"({"windows": {"W": {"type": "mdi", "caption": "Child",
  "at": [10, 10, 200, 120], "controls": [
  {"kind": "string", "use": "?CHILDLABEL", "text": "Inside", "at": [8, 8, 100, 20]}]}}})";

template <typename W>
W* Widget(std::string_view use) {
    for (QWidget* w : QApplication::allWidgets())
        if (w->objectName() == QLatin1String(use.data(), static_cast<qsizetype>(use.size())))
            if (auto* typed = qobject_cast<W*>(w)) return typed;
    return nullptr;
}

// Where a control's widget is in its window's client area.
QPoint ClientPosition(QWidget* w) {
    QWidget* client = w;
    while (client && !dynamic_cast<ClientArea*>(client)) client = client->parentWidget();
    return client ? w->mapTo(client, QPoint(0, 0)) : QPoint(-1, -1);
}

bool WaitForText(WindowId window, std::string_view use, std::string_view text) {
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (std::chrono::steady_clock::now() < deadline) {
        if (Display().WidgetText(window, use) == std::string(text)) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

template <typename Test>
bool WaitOnGui(Test test) {
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (std::chrono::steady_clock::now() < deadline) {
        if (OnGui(test)) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

void WritePicture(const std::string& name, QSize size) {
    std::filesystem::create_directories(testing::TestResources() / "pictures");
    QImage picture(size, QImage::Format_RGB888);
    picture.fill(QColor(40, 120, 200));
    const auto file = testing::TestResources() / "pictures" / name;
    ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "JPEG"));
}

class QtDisplayTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { WritePicture("test_picture.jpg", QSize(16, 12)); }

    // Starts the showcase window on a framework thread of its own and waits for it; setUp runs
    // on that thread just before the window opens.
    WindowId OpenShowcase(std::function<void(LoggingProcedure&)> setUp = {}) {
        procedure_ = std::make_unique<ProcedureThread>([this, setUp] {
            LoggingProcedure showcase("Showcase", LayoutOf(kShowcase), log_);
            showcase.beforeOpen = [setUp](LoggingProcedure& p) {
                Window& w = p.Win();
                w.SetRows(p.FeqOf("?LIST"), {{{"Alpha", "1"}}, {{"Beta", "1"}}, {{"Gamma", "0"}}});
                w.SetRows(p.FeqOf("?PICK"), {{{"One"}}, {{"Two"}}});
                w.SetRows(p.FeqOf("?TREE"),
                          {ListRow{{"Root"}, 1}, ListRow{{"Leaf"}, 2}, ListRow{{"Other"}, 1}});
                w.Alert(key::MouseLeft);
                w.Alert(key::MouseRight);
                if (setUp) setUp(p);  // the layout is loaded: use names have numbers now
            };
            showcase.Run();
        });
        const auto window = Display().WaitForWindow("Showcase", kWait);
        EXPECT_TRUE(window);
        return window.value_or(0);
    }

    void TearDown() override { procedure_.reset(); }

    EventLog log_;
    std::unique_ptr<ProcedureThread> procedure_;
};

TEST_F(QtDisplayTest, EveryControlKindShowsItsModel) {
    const WindowId window = OpenShowcase();
    struct Case {
        std::string_view use;
        std::string_view shown;
    };
    const std::vector<Case> cases{
        {"?LABEL", "Waiting"}, {"?SHOWN", "fixed"}, {"?NAMEPROMPT", "&Name:"},
        {"?AGREE", "0"},       {"?COLOUR", "R"},    {"?COUNT", "3"},
        {"?PROGRESS", "4"},    {"?PICK", ""},       {"?LIST", ""},
        {"?TAB1", "First"},    {"?SHEET", "First"}, {"?MENUPRESS", "&Press"},
        {"?FILE", "&File"},    {"?TOOL", "Tool"},   {"?GROUP", "Group"},
        {"?PRESS", "&Press"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Display().WidgetText(window, c.use), std::string(c.shown)) << c.use;
    EXPECT_EQ(Display().WidgetText(window, "?NOSUCH"), std::nullopt);
    EXPECT_EQ(Display().ActiveWindow(), window);

    OnGui([] {
        // The picture came through our JPEG decoder at its own size.
        const QLabel* picture = Widget<QLabel>("?PICTURE");
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->pixmap().size(), QSize(16, 12));
        // Layout coordinates are client-area coordinates, inside containers too.
        EXPECT_EQ(ClientPosition(Widget<QWidget>("?RED")), QPoint(16, 170));
        EXPECT_EQ(ClientPosition(Widget<QWidget>("?FRAME")), QPoint(228, 170));
        EXPECT_EQ(ClientPosition(Widget<QWidget>("?ONTAB")), QPoint(360, 170));
        EXPECT_EQ(ClientPosition(Widget<QWidget>("?NAME")), QPoint(72, 8));
        // Tree rows nest by level.
        const QTreeWidget* tree = Widget<QTreeWidget>("?TREE");
        ASSERT_TRUE(tree);
        ASSERT_EQ(tree->topLevelItemCount(), 2);
        EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "Leaf");
        // A radio is checked when its value is the option's.
        EXPECT_TRUE(Widget<QAbstractButton>("?RED")->isChecked());
        EXPECT_FALSE(Widget<QAbstractButton>("?BLUE")->isChecked());
    });
}

TEST_F(QtDisplayTest, PressedButtonRunsItsHandler) {
    const WindowId window = OpenShowcase([](LoggingProcedure& p) {
        p.onAccepted["?PRESS"] = [](LoggingProcedure& q) {
            q.Win().SetText(q.FeqOf("?LABEL"), "Done");
        };
    });
    ASSERT_TRUE(Display().Trigger(window, "?PRESS"));
    EXPECT_TRUE(WaitForText(window, "?LABEL", "Done"));
    EXPECT_TRUE(log_.WaitForTail({{ev::kAccepted, "?PRESS"}}));
}

TEST_F(QtDisplayTest, TypedEntryReachesItsFieldWhenAccepted) {
    auto name = std::make_shared<std::string>();
    const WindowId window = OpenShowcase([name](LoggingProcedure& p) {
        p.Win().Bind(p.FeqOf("?NAME"), VariableField(name.get()));
        p.onAccepted["?NAME"] = [name](LoggingProcedure& q) { q.Log().Note("field " + *name); };
    });
    ASSERT_TRUE(Display().TypeText(window, "?NAME", "Alice"));
    EXPECT_TRUE(log_.WaitForTail({{ev::kAccepted, "?NAME", "Alice"}}));
    EXPECT_TRUE(log_.WaitForNote("field Alice"));
    EXPECT_EQ(Display().WidgetText(window, "?NAME"), "Alice");
    // Read-only and display fields take no typing.
    EXPECT_FALSE(Display().TypeText(window, "?SHOWN", "x"));
}

// Each act, done through the widgets, sends the events the headless display sends for it.
TEST_F(QtDisplayTest, UserActsSendTheEventsTheHeadlessDisplaySends) {
    const WindowId window = OpenShowcase();
    auto key = [](int code, int k, int row = 0, int column = 0, std::string use = {}) {
        return Seen{code, std::move(use), "", 0, k, row, column};
    };
    struct Case {
        std::string name;
        std::function<bool()> act;
        std::vector<Seen> expected;
    };
    const std::vector<Case> cases{
        {"check box",
         [&] { return Display().Trigger(window, "?AGREE"); },
         {{ev::kAccepted, "?AGREE", "1"}}},
        {"radio",
         [&] { return Display().Trigger(window, "?BLUE"); },
         {{ev::kNewSelection, "?COLOUR", "B"}, {ev::kAccepted, "?COLOUR", "B"}}},
        {"list row",
         [&] { return Display().ChooseRow(window, "?LIST", 2); },
         {{ev::kNewSelection, "?LIST", "", 2, 0, 2, 1}}},
        {"list cell click",
         [&] { return Display().ClickCell(window, "?LIST", 3, 2, key::MouseRight); },
         {key(ev::kAlertKey, key::MouseRight, 3, 2, "?LIST"),
          {ev::kNewSelection, "?LIST", "", 3, 0, 3, 2}}},
        {"drop list",
         [&] { return Display().ChooseRow(window, "?PICK", 2); },
         {{ev::kNewSelection, "?PICK", "", 2}, {ev::kAccepted, "?PICK", "", 2}}},
        {"tab",
         [&] { return Display().Trigger(window, "?TAB2"); },
         {{ev::kNewSelection, "?SHEET", "", 2}}},
        {"menu item",
         [&] { return Display().Trigger(window, "?MENUPRESS"); },
         {{ev::kAccepted, "?MENUPRESS"}}},
        {"tool button",
         [&] { return Display().Trigger(window, "?TOOL"); },
         {{ev::kAccepted, "?TOOL"}}},
        {"spin box",
         [&] { return Display().TypeText(window, "?COUNT", "7"); },
         {{ev::kAccepted, "?COUNT", "7"}}},
        {"text",
         [&] { return Display().TypeText(window, "?NOTES", "two\nlines"); },
         {{ev::kAccepted, "?NOTES", "two\nlines"}}},
        {"header",
         [&] {
             return OnGui([] {
                 QTreeWidget* list = Widget<QTreeWidget>("?LIST");
                 if (list) emit list->header()->sectionClicked(1);
                 return list != nullptr;
             });
         },
         {key(ev::kHeaderPressed, 0, 0, 2, "?LIST")}},
        {"F1",
         [&] {
             return OnGui([] {
                 QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
                 QLineEdit* entry = Widget<QLineEdit>("?NAME");
                 if (entry) QCoreApplication::sendEvent(entry, &f1);
                 return entry != nullptr;
             });
         },
         {key(ev::kAlertKey, key::F1)}},
        {"background click",
         [&] {
             return OnGui([] {
                 QWidget* entry = Widget<QWidget>("?NAME");
                 QWidget* client = entry ? entry->parentWidget() : nullptr;
                 if (!client) return false;
                 const QPointF at(500, 300);
                 QMouseEvent press(QEvent::MouseButtonPress, at, client->mapToGlobal(at),
                                   Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                 QCoreApplication::sendEvent(client, &press);
                 return true;
             });
         },
         {key(ev::kAlertKey, key::MouseLeft)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log_.Clear();
        ASSERT_TRUE(c.act());
        EXPECT_TRUE(log_.WaitForTail(c.expected)) << ::testing::PrintToString(log_.Events());
    }
}

TEST_F(QtDisplayTest, MessageBoxIsAnsweredThroughTheSeam) {
    const WindowId window = OpenShowcase([](LoggingProcedure& p) {
        p.onAccepted["?ASK"] = [](LoggingProcedure& q) {
            const unsigned answer =
                Message("Go on?", "Question", Icon::Question, ButtonYes | ButtonNo, ButtonNo);
            q.Log().Note("answer " + std::to_string(answer));
        };
    });
    // Queued before the box shows.
    ASSERT_TRUE(Display().AnswerNextMessage(ButtonYes));
    ASSERT_TRUE(Display().Trigger(window, "?ASK"));
    EXPECT_TRUE(log_.WaitForNote("answer 2"));

    // Given while the box shows.
    ASSERT_TRUE(Display().Trigger(window, "?ASK"));
    ASSERT_TRUE(WaitOnGui([] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                // Window-modal to the window that asked.
                return box->windowModality() == Qt::WindowModal &&
                       box->windowTitle() == "Question" && box->text() == "Go on?";
            }
        return false;
    }));
    ASSERT_TRUE(Display().AnswerNextMessage(ButtonNo));
    EXPECT_TRUE(log_.WaitForNote("answer 4"));
}

TEST_F(QtDisplayTest, OuterWindowIsDisabledWhileANestedOneRuns) {
    const WindowId outer = OpenShowcase([](LoggingProcedure& p) {
        p.onAccepted["?NEST"] = [](LoggingProcedure& q) {
            LoggingProcedure nested("Nested", LayoutOf(kNested), q.Log());
            nested.Run();
            q.Log().Note("nested returned");
        };
    });
    ASSERT_TRUE(Display().Trigger(outer, "?NEST"));
    const auto nested = Display().WaitForWindow("Nested", kWait);
    ASSERT_TRUE(nested);
    EXPECT_EQ(Display().WindowEnabled(outer), false);
    EXPECT_EQ(Display().WindowEnabled(*nested), true);
    EXPECT_FALSE(Display().Trigger(outer, "?PRESS"));
    EXPECT_FALSE(Display().CloseBox(outer));

    ASSERT_TRUE(Display().Trigger(*nested, "?DONE"));
    EXPECT_TRUE(Display().WaitForClose(*nested, kWait));
    EXPECT_TRUE(log_.WaitForNote("nested returned"));
    EXPECT_EQ(Display().WindowEnabled(outer), true);
    EXPECT_TRUE(Display().Trigger(outer, "?PRESS"));
}

TEST_F(QtDisplayTest, CloseBoxLeavesTheDecisionToTheProcedure) {
    LoggingProcedure* showcase = nullptr;
    const WindowId window = OpenShowcase([&showcase](LoggingProcedure& p) {
        showcase = &p;
        p.refuseClose = true;
    });
    ASSERT_TRUE(Display().CloseBox(window));
    EXPECT_TRUE(log_.WaitForNote("refused close"));
    EXPECT_FALSE(Display().WaitForClose(window, 200ms));

    showcase->refuseClose = false;
    ASSERT_TRUE(Display().CloseBox(window));
    EXPECT_TRUE(Display().WaitForClose(window, kWait));
    EXPECT_TRUE(log_.WaitForNote("closed Showcase"));
}

TEST_F(QtDisplayTest, ProgramChangesAreShownButNotReportedAndKeepTheUsersCursor) {
    struct Changed {
        std::mutex mutex;
        std::vector<int> feqs;
    };
    const auto changed = std::make_shared<Changed>();
    Display().SetChangeObserver([changed](WindowId, int feq) {
        std::lock_guard lock(changed->mutex);
        changed->feqs.push_back(feq);
    });
    int nameFeq = 0;
    const WindowId window = OpenShowcase([&nameFeq](LoggingProcedure& p) {
        nameFeq = p.FeqOf("?NAME");
        // The echo: the same screen value again, with another change beside it.
        p.onAccepted["?ECHO"] = [](LoggingProcedure& q) {
            q.Win().Change(q.FeqOf("?NAME"), [](Control& c) {
                c.screen = "Alice";
                c.tip = "echoed";
            });
        };
        p.onAccepted["?PRESS"] = [](LoggingProcedure& q) {
            q.Win().SetScreen(q.FeqOf("?NAME"), "Bob");
            q.Win().SetScreen(q.FeqOf("?AGREE"), "1");
            q.Win().SetSelected(q.FeqOf("?LIST"), 3);
            q.Win().SetHide(q.FeqOf("?OUTLINE"), true);
            q.Win().SetDisable(q.FeqOf("?FILE"), true);
        };
    });
    ASSERT_TRUE(Display().TypeText(window, "?NAME", "Alice"));
    ASSERT_TRUE(log_.WaitForTail({{ev::kAccepted, "?NAME", "Alice"}}));
    OnGui([] { Widget<QLineEdit>("?NAME")->setCursorPosition(2); });

    ASSERT_TRUE(Display().Trigger(window, "?ECHO"));
    ASSERT_TRUE(WaitOnGui([] { return Widget<QLineEdit>("?NAME")->toolTip() == "echoed"; }));
    EXPECT_EQ(OnGui([] { return Widget<QLineEdit>("?NAME")->cursorPosition(); }), 2);

    log_.Clear();
    ASSERT_TRUE(Display().Trigger(window, "?PRESS"));
    EXPECT_TRUE(WaitForText(window, "?NAME", "Bob"));
    EXPECT_TRUE(WaitForText(window, "?AGREE", "1"));
    EXPECT_TRUE(WaitForText(window, "?LIST", "Gamma"));
    // What a control shows of its state, the controls within it show too, containers or not.
    EXPECT_TRUE(WaitOnGui([] { return !Widget<QWidget>("?INBOX")->isVisible(); }));
    EXPECT_FALSE(Display().Trigger(window, "?MENUPRESS"));
    {
        std::lock_guard lock(changed->mutex);
        EXPECT_NE(std::find(changed->feqs.begin(), changed->feqs.end(), nameFeq),
                  changed->feqs.end());
    }
    // Only the press itself came back as input.
    std::this_thread::sleep_for(100ms);
    std::vector<Seen> input;
    for (const Seen& s : log_.Events())
        if (s.code != ev::kGainFocus && s.code != ev::kLoseFocus) input.push_back(s);
    EXPECT_EQ(input, (std::vector<Seen>{{ev::kAccepted, "?PRESS"}}));
    Display().SetChangeObserver({});
}

TEST_F(QtDisplayTest, WindowTextIsDecodedByTheWindowsCharacterSet) {
    struct Case {
        std::string name;
        std::string layout;
        std::string bytes;
        QString shown;
        std::string typed;
    };
    const std::string cp1252(R"({"windows": {"W": {"caption": "J", "controls": [
        {"kind": "string", "use": "?JLABEL", "at": [8, 8, 120, 20]},
        {"kind": "entry", "use": "?JNAME", "at": [8, 36, 120, 22]}]}}})");
    const std::vector<Case> cases{
        {"Shift-JIS", std::string(kJapanese), "\x82\xA0", QString::fromUtf8("\u3042"), "\x82\xA2"},
        {"code page 1252", cp1252, "5 \x80", QString::fromUtf8("5 \u20AC"), "caf\xE9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EventLog log;
        ProcedureThread thread([&] {
            LoggingProcedure j("Charset", LayoutOf(c.layout), log);
            j.beforeOpen = [&](LoggingProcedure& p) {
                p.Win().SetText(p.FeqOf("?JLABEL"), c.bytes);
                p.Win().SetCaption(c.bytes);
            };
            j.Run();
        });
        const auto window = Display().WaitForWindow("Charset", kWait);
        ASSERT_TRUE(window);
        EXPECT_EQ(OnGui([] { return Widget<QLabel>("?JLABEL")->text(); }), c.shown);
        EXPECT_EQ(OnGui([] { return Widget<QLabel>("?JLABEL")->window()->windowTitle(); }),
                  c.shown);
        EXPECT_EQ(Display().WidgetText(*window, "?JLABEL"), c.bytes);
        ASSERT_TRUE(Display().TypeText(*window, "?JNAME", c.typed));
        EXPECT_TRUE(log.WaitForTail({{ev::kAccepted, "?JNAME", c.typed}}));
        ASSERT_TRUE(Display().CloseBox(*window));
        EXPECT_TRUE(Display().WaitForClose(*window, kWait));
    }
}

TEST_F(QtDisplayTest, MdiChildOpensInsideTheFrame) {
    EventLog frameLog;
    ProcedureThread frame([&] {
        LoggingProcedure p("Frame", LayoutOf(kFrame), frameLog);
        p.beforeOpen = [](LoggingProcedure& q) { q.Win().SetStatus(1, "Ready"); };
        p.Run();
    });
    const auto frameId = Display().WaitForWindow("Frame", kWait);
    ASSERT_TRUE(frameId);
    ProcedureThread child([&] { LoggingProcedure("Child", LayoutOf(kChild), log_).Run(); });
    const auto childId = Display().WaitForWindow("Child", kWait);
    ASSERT_TRUE(childId);

    OnGui([] {
        QMdiSubWindow* sub = nullptr;
        for (QWidget* w : QApplication::allWidgets())
            if (auto* s = qobject_cast<QMdiSubWindow*>(w); s && s->windowTitle() == "Child")
                sub = s;
        ASSERT_TRUE(sub);
        ASSERT_TRUE(sub->mdiArea());
        EXPECT_EQ(sub->window()->windowTitle(), "Frame");
        EXPECT_TRUE(qobject_cast<QMainWindow*>(sub->window()));
        // The wallpaper is tiled behind the children.
        EXPECT_EQ(sub->mdiArea()->background().style(), Qt::TexturePattern);
        // Status zones show their texts; zone 0 the highlighted item's message.
        auto* main = qobject_cast<QMainWindow*>(sub->window());
        const QList<QLabel*> zones = main->statusBar()->findChildren<QLabel*>();
        ASSERT_EQ(zones.size(), 2);
        EXPECT_EQ(zones[1]->text(), "Ready");
        QStatusTipEvent hover(QStringLiteral("Tiles them"));
        QCoreApplication::sendEvent(main, &hover);
        EXPECT_EQ(zones[0]->text(), "Tiles them");
        QStatusTipEvent leave{QString()};
        QCoreApplication::sendEvent(main, &leave);
        EXPECT_EQ(zones[0]->text(), "");
    });
    EXPECT_EQ(Display().WidgetText(*childId, "?CHILDLABEL"), "Inside");

    // The frame's menu reaches its procedure, which has the display tile the children.
    ASSERT_TRUE(Display().Trigger(*frameId, "?TILE"));
    EXPECT_TRUE(frameLog.WaitForTail({{ev::kAccepted, "?TILE"}}));
    EXPECT_TRUE(WaitOnGui([] {
        for (QWidget* w : QApplication::allWidgets())
            if (auto* s = qobject_cast<QMdiSubWindow*>(w); s && s->windowTitle() == "Child")
                return s->pos() == QPoint(0, 0) && s->width() > 200;
        return false;
    }));

    const std::filesystem::path png = std::filesystem::current_path() / "qt_display_test.png";
    std::filesystem::remove(png);
    ASSERT_TRUE(Display().Screenshot(*frameId, png));
    ASSERT_TRUE(std::filesystem::exists(png));
    EXPECT_GT(std::filesystem::file_size(png), 0u);
    const QImage shot(QString::fromStdString(png.string()));
    EXPECT_EQ(shot.size(), QSize(640, 480));
}

TEST_F(QtDisplayTest, StandardActionsWorkOnTheFocusedEntryAndTheWindow) {
    int nameFeq = 0;
    int notesFeq = 0;
    const WindowId window = OpenShowcase([&](LoggingProcedure& p) {
        nameFeq = p.FeqOf("?NAME");
        notesFeq = p.FeqOf("?NOTES");
    });
    ASSERT_TRUE(Display().TypeText(window, "?NAME", "Alice"));
    Display().Focus(window, nameFeq);
    OnGui([] { Widget<QLineEdit>("?NAME")->selectAll(); });
    Display().Standard(window, StdAction::Copy);
    EXPECT_TRUE(WaitOnGui([] { return QGuiApplication::clipboard()->text() == "Alice"; }));
    Display().Focus(window, notesFeq);
    Display().Standard(window, StdAction::Paste);
    EXPECT_TRUE(WaitForText(window, "?NOTES", "Alice"));
    // Print setup keeps its printer; offscreen it shows no dialog to wait for.
    Display().Standard(window, StdAction::PrintSetup);
    EXPECT_EQ(Display().WidgetText(window, "?NAME"), "Alice");
    // Close asks the procedure, as the close box does.
    Display().Standard(window, StdAction::Close);
    EXPECT_TRUE(Display().WaitForClose(window, kWait));
}

TEST_F(QtDisplayTest, BusyShowsTheWaitCursorAndFocusMovesToTheControl) {
    int nameFeq = 0;
    const WindowId window =
        OpenShowcase([&nameFeq](LoggingProcedure& p) { nameFeq = p.FeqOf("?NAME"); });
    auto cursor = [] { return Widget<QWidget>("?NAME")->window()->cursor().shape(); };
    Display().Busy(window, true);
    Display().Busy(window, true);
    Display().Busy(window, false);
    EXPECT_TRUE(WaitOnGui([&] { return cursor() == Qt::WaitCursor; }));
    Display().Busy(window, false);
    EXPECT_TRUE(WaitOnGui([&] { return cursor() == Qt::ArrowCursor; }));

    Display().Focus(window, nameFeq);
    EXPECT_TRUE(WaitOnGui([] {
        QWidget* name = Widget<QWidget>("?NAME");
        return name->window()->focusWidget() == name;
    }));
    // Calls for windows that are not open are ignored.
    Display().Busy(window + 1000, true);
    Display().Focus(window + 1000, nameFeq);
    EXPECT_EQ(Display().WidgetText(window + 1000, "?NAME"), std::nullopt);
}

}  // namespace
}  // namespace zem::ui::qt
