// The help viewer and the clipboard backend the display server installs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/ui/help/help.h"
#include "platform/ui/qt/help_viewer.h"
#include "platform/win/clipboard.h"
#include "qt_test_support.h"

namespace zem::ui::qt {
namespace {

using testing::OnGui;
using namespace std::chrono_literals;

QtHelpViewer& Viewer() {
    static QtHelpViewer* const viewer = dynamic_cast<QtHelpViewer*>(CurrentHelpViewer().get());
    return *viewer;
}

void WritePage(const std::string& name, const std::string& title, const std::string& body) {
    const auto dir = testing::TestResources() / "help";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary)
        << "<html><head><title>" << title << "</title></head><body>" << body << "</body></html>";
}

std::optional<std::string> WaitForPage(std::string_view name) {
    std::optional<std::filesystem::path> page;
    for (int i = 0; i < 500; ++i) {
        page = Viewer().ShownPage();
        if (page && page->filename() == name) return page->filename().string();
        std::this_thread::sleep_for(10ms);
    }
    if (!page) return std::nullopt;
    return page->filename().string();
}

class QtHelpViewerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        WritePage("index.htm", "Contents", "<a href=\"Topic.htm\">Topic</a>");
        WritePage("Topic.htm", "The topic", "See <a href=\"other.htm\">the other page</a>.");
        WritePage("Other.htm", "Other page", "Other page words about widgets.");
        WritePage("HowToUseHelp.htm", "How to use help", "Press the buttons.");
    }
    void Show(HelpKind kind, std::string topic = {}, std::string search = {}) {
        CurrentHelpViewer()->Show(HelpRequest{"zembrola.chm", kind, topic, search});
    }
};

TEST_F(QtHelpViewerTest, ShowsTopicsByNameContentsAndHelpOnHelp) {
    ASSERT_NE(dynamic_cast<QtHelpViewer*>(CurrentHelpViewer().get()), nullptr);
    struct Case {
        HelpKind kind;
        std::string topic;
        std::string page;
    };
    const std::vector<Case> cases{
        {HelpKind::Topic, "Topic.htm", "Topic.htm"},
        {HelpKind::Topic, "OTHER.HTM", "Other.htm"},    // names are matched without case
        {HelpKind::Topic, "Missing.htm", "index.htm"},  // no such topic: the contents
        {HelpKind::Contents, "", "index.htm"},
        {HelpKind::HelpOnHelp, "", "HowToUseHelp.htm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.topic + " -> " + c.page);
        Show(c.kind, c.topic);
        EXPECT_EQ(WaitForPage(c.page), c.page);
    }
}

// The help window that shows now, or nullptr.
QWidget* ShownHelpWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->findChild<QPushButton*>(QStringLiteral("close"))) return w;
    return nullptr;
}

TEST_F(QtHelpViewerTest, TheCloseButtonAndEscapeCloseTheWindow) {
    for (const bool byEscape : {true, false}) {
        SCOPED_TRACE(byEscape ? "Escape" : "Close");
        Show(HelpKind::Topic, "Topic.htm");
        ASSERT_EQ(WaitForPage("Topic.htm"), "Topic.htm");
        OnGui([&] {
            QWidget* help = ShownHelpWindow();
            ASSERT_TRUE(help);
            help->activateWindow();
            QApplication::setActiveWindow(help);
            auto* page = help->findChild<QTextBrowser*>();
            ASSERT_TRUE(page);
            EXPECT_TRUE(page->toPlainText().contains(QStringLiteral("See the other page.")));
            if (byEscape) {
                const auto png = std::filesystem::current_path() / "help.png";
                EXPECT_TRUE(help->grab().save(QString::fromStdString(png.string())));
                QTest::keyClick(help->focusWidget() ? help->focusWidget() : help, Qt::Key_Escape);
            } else {
                auto* close = help->findChild<QPushButton*>(QStringLiteral("close"));
                EXPECT_EQ(close->text(), "C&lose");
                QTest::mouseClick(close, Qt::LeftButton);
            }
        });
        EXPECT_EQ(OnGui([] { return ShownHelpWindow() != nullptr; }), false);
    }
}

TEST_F(QtHelpViewerTest, HelpOnHelpFromAMenuItemShowsItsTopic) {
    constexpr std::string_view kLayout = R"({"windows": {"W": {"caption": "Helped", "controls": [
        {"kind": "menubar", "controls": [{"kind": "menu", "text": "&Help", "controls": [
            {"kind": "item", "use": "?HOWTO", "text": "&How to use help",
             "std": "helponhelp"}]}]}]}}})";
    Show(HelpKind::Contents);
    ASSERT_EQ(WaitForPage("index.htm"), "index.htm");
    testing::EventLog log;
    testing::ProcedureThread thread(
        [&] { testing::LoggingProcedure("Helped", testing::LayoutOf(kLayout), log).Run(); });
    const auto window = testing::Display().WaitForWindow("Helped", testing::kWait);
    ASSERT_TRUE(window);
    ASSERT_TRUE(testing::Display().Trigger(*window, "?HOWTO"));
    EXPECT_EQ(WaitForPage("HowToUseHelp.htm"), "HowToUseHelp.htm");
}

TEST_F(QtHelpViewerTest, SearchListsTheMatchingTopics) {
    Show(HelpKind::Search, {}, "widgets");
    std::vector<std::string> topics;
    for (int i = 0; i < 500 && topics.empty(); ++i) {
        topics = Viewer().ListedTopics();
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(topics, std::vector<std::string>{"Other.htm"});
}

TEST_F(QtHelpViewerTest, LinksBetweenPagesFollowRelativeFiles) {
    Show(HelpKind::Topic, "Topic.htm");
    ASSERT_EQ(WaitForPage("Topic.htm"), "Topic.htm");
    // The link names "other.htm"; the file is "Other.htm".
    const QString text = OnGui([] {
        for (QWidget* w : QApplication::allWidgets())
            if (auto* browser = qobject_cast<QTextBrowser*>(w)) {
                browser->setSource(QUrl(QStringLiteral("other.htm")));
                return browser->toPlainText();
            }
        return QString();
    });
    EXPECT_TRUE(text.contains("Other page words")) << text.toStdString();
}

// The desktop's clipboard holds characters: bytes copied in a window's character set arrive
// there as the characters the window shows, and a reader gets them back in its own one.
TEST(QtClipboardTest, TextCrossesInTheCallersCharacterSet) {
    struct Case {
        const char* what;
        int charset;
        std::string bytes;
        QString shown;
    };
    const Case cases[] = {
        {"code page 1252", 0, "caf\xE9 \x80", QString::fromUtf8("caf\u00E9 \u20AC")},
        {"Shift-JIS", 128,
         "JP\x8Ft / \x83\x8D\x83{\x83"
         "b\x83g \x83Z\x83"
         "b\x83g",
         QString::fromUtf8("JP\u6625 / \u30ED\u30DC\u30C3\u30C8 \u30BB\u30C3\u30C8")},
        {"code page 1251", 204, "\xCF\xF0\xE8\xE2\xE5\xF2",
         QString::fromUtf8("\u041F\u0440\u0438\u0432\u0435\u0442")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        win::SetClipboardText(c.bytes, c.charset);
        EXPECT_EQ(OnGui([] { return QGuiApplication::clipboard()->text(); }), c.shown);
        EXPECT_EQ(win::ClipboardText(c.charset), c.bytes);

        // Another program copies the same characters: the window reads its own bytes.
        OnGui([&] { QGuiApplication::clipboard()->setText(c.shown); });
        EXPECT_EQ(win::ClipboardText(c.charset), c.bytes);
    }

    // Characters the reader's character set lacks come as "?".
    OnGui([] { QGuiApplication::clipboard()->setText(QString::fromUtf8("na\u00EFve \u3042")); });
    EXPECT_EQ(win::ClipboardText(0), "na\xEFve ?");
    EXPECT_EQ(win::ClipboardText(128), "na?ve \x82\xA0");
}

}  // namespace
}  // namespace zem::ui::qt
