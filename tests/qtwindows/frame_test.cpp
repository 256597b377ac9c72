// The frame, the splash, the about box and the program's end, through the frame's menus and
// buttons; where windows left open at the end come back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTest>
#include <filesystem>

#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/qt/window_view.h"
#include "program_windows.h"

namespace zem::test {
namespace {

using FrameWindow = ProgramWindowsTest;

TEST_F(FrameWindow, AboutOpensFromTheHelpMenuCoversTheFrameAndClosesWithItsButton) {
    StartProgram();
    ASSERT_TRUE(Click(frame, "?HELPABOUT"));
    const auto about = WaitForWindow("AboutForm");
    ASSERT_TRUE(about);
    EXPECT_EQ(Shown(*about, "?CLOSE"), "&Close");
    EXPECT_EQ(Qt().WindowEnabled(frame), false);
    EXPECT_TRUE(Shot(frame, "frame"));
    EXPECT_TRUE(Shot(*about, "about"));
    ASSERT_TRUE(Click(*about, "?CLOSE"));
    ASSERT_TRUE(WaitForClose(*about));
    EXPECT_EQ(Qt().WindowEnabled(frame), true);
    EXPECT_EQ(Quit(), 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "quorel.ini"));
}

TEST_F(FrameWindow, TheSplashStaysUpInFrontUntilTheUserClicksElsewhere) {
    LaunchProgram();
    const auto splash = WaitForWindow("Splash");
    ASSERT_TRUE(splash);
    // The desktop activates the frame late, as an X11 window manager does when it maps the
    // frame only after the program has shown the splash: the user did nothing.
    WithView(frame, [](ui::qt::WindowView& view) { view.main->activateWindow(); });
    Settle();
    EXPECT_FALSE(Qt().WaitForClose(*splash, 1s)) << "the splash went without the user";
    QPoint at;
    bool active = false;
    WithView(*splash, [&](ui::qt::WindowView& view) {
        at = view.top->pos();
        active = QApplication::activeWindow() == view.top;
    });
    EXPECT_TRUE(active) << "the splash is not the active window";
    WithView(frame, [](ui::qt::WindowView&) {
        QGuiApplication::primaryScreen()->grabWindow(0).save(
            QString::fromStdString((ScreenshotDir() / "splash_over_frame.png").string()));
    });

    // The user clicks the frame: the splash goes, and the new query's form opens.
    WithView(frame, [](ui::qt::WindowView& view) {
        QTest::mouseClick(view.mdi->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        view.main->activateWindow();
    });
    EXPECT_TRUE(Qt().WaitForClose(*splash, 5s)) << "a click elsewhere left the splash up";
    EXPECT_TRUE(WaitForWindow("UpdateQueriesA"));
    // It kept its place where it showed.
    const auto kept = ui::IniManager::Global().FetchWindow("Splash");
    ASSERT_TRUE(kept);
    EXPECT_EQ(QPoint(kept->x, kept->y), at);
    EXPECT_NE(at, QPoint(0, 0));
}

// The placement the INI file keeps for a procedure.
std::optional<ui::IniManager::Placement> Kept(const std::filesystem::path& ini,
                                              std::string_view procedure) {
    ui::IniManager file;
    file.Init(ini);
    return file.FetchWindow(procedure);
}

TEST_F(FrameWindow, AWindowLeftOpenAtFileExitComesBackWhereTheUserMovedIt) {
    StartProgram();
    LeaveNewQuery();
    ASSERT_TRUE(Click(frame, "?MENU5ITEM17"));  // "&Queries"
    const auto list = WaitForWindow("BrowseQueriesA");
    ASSERT_TRUE(list);
    // The user drags the list by its title bar.
    QPoint before, after;
    WithView(*list, [&](ui::qt::WindowView& view) {
        QMdiSubWindow* sub = view.sub;
        before = sub->pos();
        const QPoint title(sub->width() / 2,
                           sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub) / 2);
        QTest::mouseMove(sub, title);
        QTest::mousePress(sub, Qt::LeftButton, {}, title);
        QTest::mouseMove(sub, title + QPoint(30, 20));
        QTest::mouseMove(sub, title + QPoint(60, 40));
        QTest::mouseRelease(sub, Qt::LeftButton, {}, title + QPoint(60, 40));
        after = sub->pos();
    });
    ASSERT_NE(after, before) << "the drag did not move the list";
    Settle();
    ASSERT_TRUE(Click(frame, "?EXIT"));
    ASSERT_TRUE(WaitForClose(frame));
    EXPECT_EQ(AwaitEnd(), 0);
    const auto kept = Kept(dir / "quorel.ini", "BrowseQueriesA");
    ASSERT_TRUE(kept) << "no place kept for the query list";
    EXPECT_EQ(QPoint(kept->x, kept->y), after);

    // The program's end leaves its threads to the process's end, which a test does not have:
    // the list still runs. It goes before the program starts again.
    for (const ui::WindowId left : Qt().OpenWindows()) {
        Qt().CloseBox(left);
        EXPECT_TRUE(WaitForClose(left));
    }

    // Started again, the list opens where it was left.
    StartProgram();
    LeaveNewQuery();
    ASSERT_TRUE(Click(frame, "?MENU5ITEM17"));
    const auto again = WaitForWindow("BrowseQueriesA");
    ASSERT_TRUE(again);
    EXPECT_TRUE(Eventually([&] {
        QPoint placed;
        WithView(*again, [&](ui::qt::WindowView& view) {
            placed = QPoint(view.props.at.x, view.props.at.y);
        });
        return placed == after;
    }));
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace zem::test
