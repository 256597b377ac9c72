// Every window layout the program ships, opened on the Qt display: no shown control is covered
// by a later sibling, every list shows its header, and no caption, label or button text is cut,
// as the layout places them and again in a window made larger.
#include <gtest/gtest.h>

#include <QSize>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "layout_faults.h"
#include "platform/ui/qt/qt_test_support.h"
#include "platform/ui/qt/window_view.h"
#include "platform/ui/resources/resources.h"
#include "program_windows.h"

namespace zem::test {
namespace {

namespace uq = ui::qt;

struct LayoutWindow {
    std::filesystem::path file;
    std::string name;
};

std::vector<LayoutWindow> ShippedWindows() {
    std::vector<LayoutWindow> windows;
    for (const auto& entry : std::filesystem::directory_iterator(ui::ResourceDir() / "layout")) {
        if (entry.path().extension() != ".json") continue;
        std::ifstream in(entry.path());
        const auto json = nlohmann::json::parse(in, nullptr, false);
        if (json.is_discarded() || !json.contains("windows")) continue;
        for (const auto& [name, window] : json["windows"].items())
            windows.push_back({entry.path(), name});
    }
    std::sort(windows.begin(), windows.end(), [](const auto& a, const auto& b) {
        return a.file < b.file || (a.file == b.file && a.name < b.name);
    });
    return windows;
}

void ExpectNoFaults(ui::WindowId id) {
    std::vector<std::string> faults;
    Qt().Inspect(id, [&](uq::WindowView* view) {
        if (view) faults = LayoutFaults(*view);
    });
    std::ostringstream listed;
    for (const std::string& fault : faults) listed << "\n  " << fault;
    EXPECT_TRUE(faults.empty()) << listed.str();
}

// Waits until the window's client area has the size.
bool ClientReaches(ui::WindowId id, QSize size) {
    const auto until = std::chrono::steady_clock::now() + kWindowWait;
    for (;;) {
        bool reached = false;
        Qt().Inspect(id, [&](uq::WindowView* view) {
            reached = view && view->client && view->client->size() == size;
        });
        if (reached) return true;
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(10ms);
    }
}

TEST(ShippedLayouts, NoShownControlIsCoveredHeaderlessOrCut) {
    const std::vector<LayoutWindow> windows = ShippedWindows();
    ASSERT_FALSE(windows.empty());
    for (const LayoutWindow& window : windows) {
        const std::string procedure = "Check " + window.file.stem().string() + " " + window.name;
        SCOPED_TRACE(procedure);
        std::string error;
        auto layout = ui::LoadLayoutFile(window.file, window.name, &error);
        ASSERT_TRUE(layout) << error;
        uq::testing::EventLog log;
        uq::testing::ProcedureThread thread(
            [&] { uq::testing::LoggingProcedure(procedure, std::move(*layout), log).Run(); });
        const auto id = Qt().WaitForWindow(procedure, kWindowWait);
        ASSERT_TRUE(id);
        const std::string shot = "layout_" + window.file.stem().string() + "_" + window.name;
        ExpectNoFaults(*id);
        Qt().Screenshot(*id, ScreenshotDir() / (shot + ".png"));
        // Larger, by the user's hand: a resizable window's controls follow, and still nothing
        // is covered or cut.
        const QSize more(240, 160);
        QSize grownTo;
        Qt().Inspect(*id, [&](uq::WindowView* view) {
            if (!view || !view->props.resizable || !view->client || view->main) return;
            grownTo = view->client->size() + more;
            view->top->resize(view->top->size() + more);
        });
        if (grownTo.isValid()) {
            EXPECT_TRUE(ClientReaches(*id, grownTo));
            ExpectNoFaults(*id);
            Qt().Screenshot(*id, ScreenshotDir() / (shot + "_grown.png"));
        }
        Qt().CloseBox(*id);
        Qt().WaitForClose(*id, kWindowWait);
    }
}

}  // namespace
}  // namespace zem::test
