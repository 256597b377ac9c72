#pragma once
// What the long jobs' window tests share: a job on a framework thread of its own, the headless
// display behind a recorder of what each control showed, a set clock for the window's timer and
// the service simulator as the configured proxy.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/runtime/requests.h"
#include "platform/runtime/threads.h"
#include "platform/ui/window/control.h"
#include "platform/ui/window/display.h"
#include "platform/ui/window/headless_display.h"
#include "service_simulator.h"
#include "shell/data_file_fixture.h"
#include "support/proxy_environment.h"
#include "web/http_loader.h"

namespace zem::test {

// Forwards everything to the headless display and keeps the last text each control showed,
// and every value the loaded counter took, so a test can read a window that closed itself.
class ShownRecorder final : public ui::Display {
  public:
    explicit ShownRecorder(std::shared_ptr<ui::HeadlessDisplay> inner) : inner_(std::move(inner)) {}

    void Opened(const ui::WindowSnapshot& window) override {
        {
            std::lock_guard lock(mutex_);
            for (const ui::Control& c : window.controls) Record(c);
        }
        inner_->Opened(window);
    }
    void WindowChanged(ui::WindowId window, const ui::WindowProps& props) override {
        inner_->WindowChanged(window, props);
    }
    void ControlChanged(ui::WindowId window, const ui::Control& control) override {
        {
            std::lock_guard lock(mutex_);
            Record(control);
        }
        inner_->ControlChanged(window, control);
    }
    void Closed(ui::WindowId window) override { inner_->Closed(window); }
    void Focus(ui::WindowId window, int feq) override { inner_->Focus(window, feq); }
    void Busy(ui::WindowId window, bool busy) override { inner_->Busy(window, busy); }
    void Standard(ui::WindowId window, ui::StdAction action) override {
        inner_->Standard(window, action);
    }
    unsigned Ask(ui::WindowId window, const ui::MessageRequest& request) override {
        return inner_->Ask(window, request);
    }
    ui::WindowId ActiveWindow() override { return inner_->ActiveWindow(); }

    // What the control showed last: a progress bar's position, any other control's text.
    std::string Last(std::string_view use) const {
        std::lock_guard lock(mutex_);
        const auto it = last_.find(std::string(use));
        return it == last_.end() ? std::string() : it->second;
    }
    // Every value "?A" showed, in order, repeats left out.
    std::vector<std::string> LoadedHistory() const {
        std::lock_guard lock(mutex_);
        return loaded_;
    }

  private:
    void Record(const ui::Control& c) {
        const std::string shown = c.kind == ui::ControlKind::Progress ? c.screen : c.text;
        last_[c.use] = shown;
        if (c.use == "?A" && (loaded_.empty() || loaded_.back() != shown)) loaded_.push_back(shown);
    }

    std::shared_ptr<ui::HeadlessDisplay> inner_;
    mutable std::mutex mutex_;
    std::map<std::string, std::string> last_;
    std::vector<std::string> loaded_;
};

// The simulator's modes for a page that fails outright, and for one cut after some bytes.
inline sim::Modes Failing(sim::Failure failure) {
    sim::Modes modes;
    modes.fail = failure;
    return modes;
}
inline sim::Modes Cut(std::size_t bytes) {
    sim::Modes modes;
    modes.cut = bytes;
    return modes;
}

// The simulator's modes for a proxy that admits only the account zem with password secret.
inline sim::Modes ProxyAccount() {
    sim::Modes modes;
    modes.proxyAuth = "zem:secret";
    return modes;
}

// The message a failed job ends with: "Process canceled with errors" and then exactly after,
// or, when not exact, after and then some reason closed by ").".
inline void ExpectCanceledWithErrors(const std::string& text, const std::string& after,
                                     bool exact) {
    const std::string expected = "Process canceled with errors" + after;
    if (exact) {
        EXPECT_EQ(text, expected);
    } else {
        EXPECT_EQ(text.substr(0, expected.size()), expected) << text;
        EXPECT_GT(text.size(), expected.size() + 2) << "no reason given: " << text;
        EXPECT_EQ(text.substr(text.size() - 2), ").") << text;
    }
}

// How a job's window is driven: the period of its timer, the pause between ticks that lets
// the pager's worker load in real time, and how long a test waits for a state at most.
struct TickPace {
    runtime::Ticks timerPeriod = 50;
    std::chrono::milliseconds pause{10};
    std::chrono::seconds limit{60};
};

// A job's window run against the service simulator. A fixture for one job adds how the job is
// started and what it left behind.
class SimulatedJobTest : public DataFileTest {
  protected:
    SimulatedJobTest(sim::ContentSettings settings, TickPace pace)
        : simulator(settings), pace_(pace) {}

    void SetUp() override {
        DataFileTest::SetUp();
        if (HasFatalFailure()) return;
        noProxy_.emplace();
        port_ = simulator.Start(0);
        ASSERT_GT(port_, 0);
        ui::SetDisplay(recorder);
    }

    void TearDown() override {
        DataFileTest::TearDown();
        simulator.Stop();
        // The pager's worker ends once its pager is gone; none outlives its test.
        EXPECT_TRUE(Eventually([] { return HTTP::Loader::LiveCount() == 0; }));
        noProxy_.reset();
    }

    std::string ProxyAddress() const { return "127.0.0.1:" + std::to_string(port_); }

    // Runs the job on a framework thread of its own.
    void RunJob(runtime::Procedure job) {
        thread_ = runtime::Start(std::move(job));
        ASSERT_NE(thread_, 0);
    }
    // Waits for the job's thread to end; nothing once it has.
    void JoinJob() {
        runtime::Join(thread_);
        thread_ = 0;
    }

    // Waits until the window has handled everything that was due before: a help key pressed
    // now may still overtake a timer event that just fell due, a second one no longer can.
    // False once the window has closed.
    bool Sync(ui::WindowId w) {
        for (int round = 0; round < 2; ++round) {
            const std::size_t before = help->Requests().size();
            if (!display->PressKey(w, ui::key::F1)) return false;
            if (!Eventually(
                    [&] { return help->Requests().size() > before || !display->IsOpen(w); }))
                return false;
        }
        return display->IsOpen(w);
    }

    // One period of the window's timer, handled.
    bool Tick(ui::WindowId w) {
        clock.Advance(pace_.timerPeriod);
        return Sync(w);
    }

    // Ticks until done() holds; false when it did not within the pace's limit.
    bool TickUntil(ui::WindowId w, const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + pace_.limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(pace_.pause);
            Tick(w);
        }
        return true;
    }
    // Ticks until the window has closed by itself.
    bool TickToEnd(ui::WindowId w) {
        return TickUntil(w, [&] { return !display->IsOpen(w); });
    }

    // The requests the simulator was asked that contain part, as "GET <target>".
    std::vector<std::string> RequestsWith(std::string_view part) const {
        std::vector<std::string> found;
        for (const std::string& line : simulator.Requests())
            if (line.find(part) != std::string::npos) found.push_back(line);
        return found;
    }

    sim::ServiceSimulator simulator;
    std::shared_ptr<ShownRecorder> recorder = std::make_shared<ShownRecorder>(display);

  private:
    TickPace pace_;
    std::optional<ProxyEnvironment> noProxy_;
    int port_ = 0;
};

}  // namespace zem::test
