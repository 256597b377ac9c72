#include "platform/ui/qt/qt_display.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <thread>

#include "platform/ui/qt/gui_channel.h"
#include "platform/ui/qt/window_host.h"

namespace zem::ui::qt {
namespace {

constexpr std::chrono::milliseconds kPollInterval{10};

}  // namespace

QtDisplay::QtDisplay()
    : host_(std::make_unique<WindowHost>(active_)), channel_(std::make_unique<GuiChannel>()) {}

QtDisplay::~QtDisplay() {
    Shutdown();
}

void QtDisplay::Post(std::function<void(WindowHost&)> work) {
    channel_->Post([host = host_.get(), work = std::move(work)] { work(*host); });
}

template <typename T>
T QtDisplay::Call(std::function<T(WindowHost&)> work, T fallback) {
    return channel_->Call<T>([host = host_.get(), work = std::move(work)] { return work(*host); },
                             std::move(fallback));
}

void QtDisplay::Opened(const WindowSnapshot& window) {
    Post([window](WindowHost& host) { host.Open(window); });
}

void QtDisplay::WindowChanged(WindowId window, const WindowProps& props) {
    Post([window, props](WindowHost& host) { host.ChangeWindow(window, props); });
}

void QtDisplay::ControlChanged(WindowId window, const Control& control) {
    Post([window, control](WindowHost& host) { host.ChangeControl(window, control); });
}

void QtDisplay::Closed(WindowId window) {
    Post([window](WindowHost& host) { host.Close(window); });
}

void QtDisplay::Focus(WindowId window, int feq) {
    Post([window, feq](WindowHost& host) { host.Focus(window, feq); });
}

void QtDisplay::Busy(WindowId window, bool busy) {
    Post([window, busy](WindowHost& host) { host.Busy(window, busy); });
}

void QtDisplay::PopUp(WindowId window, const PopupMenu& menu) {
    Post([window, menu](WindowHost& host) { host.PopUp(window, menu); });
}

void QtDisplay::Standard(WindowId window, StdAction action) {
    Post([window, action](WindowHost& host) { host.Standard(window, action); });
}

unsigned QtDisplay::Ask(WindowId window, const MessageRequest& request) {
    auto answer = std::make_shared<PendingResult<unsigned>>(request.defaultButton);
    std::future<unsigned> result = answer->Future();
    if (channel_->OnGuiThread()) {
        // Procedures never run here; should anything on the GUI thread ask, it waits in a local
        // event loop rather than blocking the one the answer has to come through.
        if (!channel_->IsOpen()) return request.defaultButton;
        host_->Ask(window, request, answer);
        answer.reset();
        while (result.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return result.get();
    }
    channel_->Post(
        [host = host_.get(), window, request, answer] { host->Ask(window, request, answer); });
    answer.reset();  // work refused or dropped unrun answers the default button
    return result.get();
}

WindowId QtDisplay::ActiveWindow() {
    return active_.load();
}

void QtDisplay::Shutdown() {
    if (!channel_->IsOpen()) return;
    channel_->Close();
    host_->CloseAll();
    active_ = 0;
}

void QtDisplay::EndSession() {
    Post([](WindowHost& host) { host.EndSession(); });
}

void QtDisplay::ApplicationActivation(bool active) {
    Post([active](WindowHost& host) { host.ApplicationActivation(active); });
}

bool QtDisplay::ForgetSessionEnd() {
    return Call<bool>(
        [](WindowHost& host) {
            host.ForgetSessionEnd();
            return true;
        },
        false);
}

std::optional<WindowId> QtDisplay::WaitForWindow(std::string_view procedure, Timeout timeout) {
    const std::string name(procedure);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto found = Call<std::optional<WindowId>>(
            [name](WindowHost& host) { return host.FindWindow(name); }, std::nullopt);
        if (found || std::chrono::steady_clock::now() >= deadline || !channel_->IsOpen())
            return found;
        std::this_thread::sleep_for(kPollInterval);
    }
}

bool QtDisplay::WaitForClose(WindowId window, Timeout timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const bool open =
            Call<bool>([window](WindowHost& host) { return host.IsOpen(window); }, false);
        if (!open) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

bool QtDisplay::Trigger(WindowId window, std::string_view use) {
    return Call<bool>(
        [window, use = std::string(use)](WindowHost& host) { return host.Trigger(window, use); },
        false);
}

bool QtDisplay::TypeText(WindowId window, std::string_view use, std::string_view text) {
    return Call<bool>([window, use = std::string(use), text = std::string(text)](
                          WindowHost& host) { return host.TypeText(window, use, text); },
                      false);
}

bool QtDisplay::ChooseRow(WindowId window, std::string_view use, int row) {
    return Call<bool>([window, use = std::string(use),
                       row](WindowHost& host) { return host.ChooseRow(window, use, row); },
                      false);
}

bool QtDisplay::ClickCell(WindowId window, std::string_view use, int row, int column, int key) {
    return Call<bool>(
        [window, use = std::string(use), row, column, key](WindowHost& host) {
            return host.ClickCell(window, use, row, column, key);
        },
        false);
}

bool QtDisplay::CloseBox(WindowId window) {
    return Call<bool>([window](WindowHost& host) { return host.CloseBox(window); }, false);
}

std::optional<bool> QtDisplay::WindowEnabled(WindowId window) {
    return Call<std::optional<bool>>(
        [window](WindowHost& host) { return host.WindowEnabled(window); }, std::nullopt);
}

std::optional<std::string> QtDisplay::WidgetText(WindowId window, std::string_view use) {
    return Call<std::optional<std::string>>(
        [window, use = std::string(use)](WindowHost& host) { return host.WidgetText(window, use); },
        std::nullopt);
}

bool QtDisplay::Screenshot(WindowId window, const std::filesystem::path& png) {
    return Call<bool>([window, png](WindowHost& host) { return host.Screenshot(window, png); },
                      false);
}

void QtDisplay::SetChangeObserver(std::function<void(WindowId, int)> observer) {
    Call<bool>(
        [observer = std::move(observer)](WindowHost& host) mutable {
            host.SetChangeObserver(std::move(observer));
            return true;
        },
        false);
}

bool QtDisplay::AnswerNextMessage(unsigned button) {
    return Call<bool>(
        [button](WindowHost& host) {
            host.AnswerNextMessage(button);
            return true;
        },
        false);
}

bool QtDisplay::Inspect(WindowId window, std::function<void(WindowView*)> inspect) {
    return Call<bool>(
        [window, inspect = std::move(inspect)](WindowHost& host) {
            inspect(host.View(window));
            return true;
        },
        false);
}

std::vector<WindowId> QtDisplay::OpenWindows() {
    return Call<std::vector<WindowId>>([](WindowHost& host) { return host.OpenWindows(); }, {});
}

}  // namespace zem::ui::qt
