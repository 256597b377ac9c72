// The program on the display server, offscreen, with its add-ons: when the desktop session
// ends (here: the process gets SIGTERM, as a Linux desktop sends it), every window closes in
// order through its own handling, the query form first and the frame last, wherever its thread
// waits (a message box, a load in progress), and the data file is left whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMetaObject>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/wiring.h"
#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/threads.h"
#include "platform/ui/qt/qt_display.h"
#include "platform/ui/window/display.h"
#include "service_simulator.h"
#include "shell/start_application.h"
#include "support/qt_test_main.h"
#include "support/temp_dir.h"

namespace zem::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using data::TableId;
// Generous: the whole suite may run at once on a loaded machine. A program that waits for its
// message box to be answered never ends at all.
constexpr auto kWait = 30s;

ui::qt::QtDisplay& Display() {
    return *dynamic_cast<ui::qt::QtDisplay*>(ui::CurrentDisplay().get());
}

std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// On the GUI thread: the message box showing now, if any.
QMessageBox* ShowingBox() {
    for (QWidget* w : QApplication::allWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
    return nullptr;
}

// The text of the message box that shows within the wait.
std::optional<std::string> WaitForMessage() {
    std::optional<std::string> text;
    const auto end = Clock::now() + kWait;
    while (!text && Clock::now() < end) {
        Display().Inspect(0, [&](ui::qt::WindowView*) {
            if (QMessageBox* box = ShowingBox()) text = box->text().toStdString();
        });
        if (!text) std::this_thread::sleep_for(20ms);
    }
    return text;
}

struct Counts {
    std::int64_t queries = -1;
    std::int64_t goods = -1;
    bool operator==(const Counts&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Counts& c) {
        return out << c.queries << " queries, " << c.goods << " items";
    }
};

class SessionEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
        // Each test runs the program anew on the display an earlier test's session end left.
        ASSERT_TRUE(Display().ForgetSessionEnd());
    }
    void TearDown() override {
        if (app_ != 0) Rescue();
        if (simulator_) simulator_->Stop();
        std::filesystem::current_path(previous_);
    }

    // Runs body with a dictionary over the data file (made and seeded when missing), then
    // closes it again; answers the rows of the tables a query form writes.
    static Counts WithFile(const std::function<void()>& body = {}) {
        store::OpenStatus status;
        auto file = data::OpenZembrolaFile(shell::kDataFileName, status);
        EXPECT_TRUE(file) << status.text;
        if (!file) return {};
        Counts counts;
        if (data::InitDictionary(std::move(file))) {
            if (body) body();
            for (auto [id, count] : {std::pair{TableId::Queries, &counts.queries},
                                     std::pair{TableId::Goods, &counts.goods}})
                if (data::Access(id).UseFile() == ui::Benign)
                    *count = data::Access(id).File().Records();
            data::KillDictionary();
        }
        data::CloseZembrolaFile();
        return counts;
    }

    // The service simulator as the configured proxy, every answer stalled after its first
    // half until the simulator stops.
    void UseStallingSimulator() {
        sim::Modes stall;
        stall.stall = true;
        simulator_ =
            std::make_unique<sim::ServiceSimulator>(sim::ContentSettings{.seed = 1}, stall);
        const int port = simulator_->Start(0);
        ASSERT_GT(port, 0);
        WithFile([port] {
            data::TableManager& sysinfo = data::Access(TableId::Sysinfo);
            ASSERT_EQ(sysinfo.PrimeRecord(), ui::Benign);
            data::Dict().SYS.MANUAL = 1;
            data::SetCString(data::Dict().SYS.PROXY, "127.0.0.1:" + std::to_string(port));
            ASSERT_EQ(sysinfo.Insert(), ui::Benign);
        });
    }

    // Starts the program and answers the new query's form that start-up opens once the splash
    // is gone. The splash also closes by itself when it loses the focus, which a slow start may
    // bring about before the test gets to it: the form comes either way.
    std::optional<ui::WindowId> StartProgram() {
        app_ = runtime::Start([code = exitCode_] { *code = shell::RunApplication(); });
        const auto main = Display().WaitForWindow("Main", kWait);
        EXPECT_TRUE(main) << "the frame did not open";
        if (!main) return std::nullopt;
        frame = *main;
        std::optional<ui::WindowId> form;
        const auto end = Clock::now() + kWait;
        while (!(form = Display().WaitForWindow("UpdateQueriesA", 0ms)) && Clock::now() < end) {
            if (const auto splash = Display().WaitForWindow("Splash", 0ms))
                Display().CloseBox(*splash);
            std::this_thread::sleep_for(20ms);
        }
        EXPECT_TRUE(form) << "no new query's form after the splash";
        return form;
    }

    // The desktop ends the session the way a Linux desktop does: it sends SIGTERM. Answers the
    // program's exit code once it has ended, or nullopt when it had not within the wait.
    std::optional<int> Terminate() {
        const auto sent = Clock::now();
        ::raise(SIGTERM);
        while (*exitCode_ < 0 && Clock::now() - sent < kWait) std::this_thread::sleep_for(10ms);
        if (*exitCode_ < 0) return std::nullopt;
        std::cout
            << "ended "
            << std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count()
            << " ms after SIGTERM\n";
        runtime::Join(app_);
        app_ = 0;
        return exitCode_->load();
    }

    TempDir dir;
    ui::WindowId frame = 0;
    std::filesystem::path previous_;  // where the test binary runs

  private:
    // A program that did not end is ended the way a user would: every box answered, every
    // window closed, the frame last; the next test needs the display.
    void Rescue() {
        const auto end = Clock::now() + kWait;
        while (*exitCode_ < 0 && Clock::now() < end) {
            Display().Inspect(0, [](ui::qt::WindowView*) {
                if (QMessageBox* box = ShowingBox()) box->reject();
            });
            const auto open = Display().OpenWindows();
            for (auto it = open.rbegin(); it != open.rend(); ++it) Display().CloseBox(*it);
            std::this_thread::sleep_for(100ms);
        }
        if (*exitCode_ < 0) {
            std::cerr << "the program did not end; the test binary stops here\n";
            std::_Exit(1);
        }
        runtime::Join(app_);
        app_ = 0;
    }

    runtime::ThreadNo app_ = 0;
    std::shared_ptr<std::atomic<int>> exitCode_ = std::make_shared<std::atomic<int>>(-1);
    std::unique_ptr<sim::ServiceSimulator> simulator_;
};

TEST_F(SessionEnd, ClosesTheRunningProgramWithAnOpenQueryFormAndLosesNothing) {
    const auto form = StartProgram();
    ASSERT_TRUE(form);
    ASSERT_TRUE(Display().TypeText(*form, "?QUE:NAME", "never saved"));
    std::this_thread::sleep_for(300ms);
    // The frame's own menu, drawn by the painter with the icons the frame registered.
    QMetaObject::invokeMethod(
        qApp,
        [this] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* main = qobject_cast<QMainWindow*>(top))
                    if (QMenu* menu = main->menuBar()->actions().value(0)->menu()) {
                        main->menuBar()->setActiveAction(menu->menuAction());
                        QApplication::processEvents();
                        menu->grab().save(
                            QString::fromStdString((previous_ / "program_menu.png").string()));
                        menu->hide();
                    }
        },
        Qt::BlockingQueuedConnection);

    EXPECT_EQ(Terminate(), std::optional<int>(0));

    // Each window went through its own closing: positions were saved as on Cancel and on
    // closing the frame.
    const std::string ini = Read(dir / "quorel.ini");
    EXPECT_NE(ini.find("[UpdateQueriesA]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Main]"), std::string::npos) << ini;
    // The data file opens again, with nothing left to roll back.
    store::OpenStatus status;
    EXPECT_TRUE(data::OpenZembrolaFile(dir / "zembrola.cfg", status)) << status.text;
    data::CloseZembrolaFile();
}

// The form's thread waits for the message box's answer: the box is answered as its close box
// would be, and the form then closes as on Cancel, so the new query is not kept.
TEST_F(SessionEnd, EndsTheProgramWhileAFormShowsAMessageAndTheFormKeepsNothing) {
    const Counts before = WithFile();
    const auto form = StartProgram();
    ASSERT_TRUE(form);
    ASSERT_TRUE(Display().TypeText(*form, "?QUE:NAME", "never saved"));
    ASSERT_TRUE(Display().TypeText(*form, "?QUE:MINPRICE", "abc"));
    const auto message = WaitForMessage();
    ASSERT_TRUE(message);
    EXPECT_NE(message->find("is not a valid value"), std::string::npos) << *message;

    EXPECT_EQ(Terminate(), std::optional<int>(0)) << "the program waited for the message box";
    EXPECT_EQ(WithFile(), before);
}

// A load in progress: its job window ends as its close box would, the form says the load was
// cancelled (no one is there to read it) and closes as on Cancel, with no loaded item kept.
TEST_F(SessionEnd, EndsTheProgramDuringALoadAndKeepsNoneOfIt) {
    UseStallingSimulator();
    const Counts before = WithFile();
    const auto form = StartProgram();
    ASSERT_TRUE(form);
    ASSERT_TRUE(Display().TypeText(*form, "?QUE:NAME", "never loaded"));
    ASSERT_TRUE(Display().TypeText(*form, "?QUE:KEYWORDS", "camera"));
    ASSERT_TRUE(Display().Trigger(*form, "?BUILDLIST"));
    ASSERT_TRUE(Display().WaitForWindow("BuildList", kWait));

    EXPECT_EQ(Terminate(), std::optional<int>(0)) << "the program waited during the load";
    EXPECT_EQ(WithFile(), before);
}

}  // namespace
}  // namespace zem::test

namespace {

// The service simulator on loopback is the configured proxy: nothing may bypass it. The program
// is wired as its own main wires it.
const zem::test::QtTestSetUpHook kSetUp([] {
    for (const char* name : {"no_proxy", "NO_PROXY"}) ::unsetenv(name);
    return std::shared_ptr<void>(zem::app::WireProgram());
});

}  // namespace
