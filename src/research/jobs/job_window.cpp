#include "research/jobs/job_window.h"

#include <algorithm>
#include <string>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/pictures.h"
#include "platform/runtime/requests.h"
#include "platform/ui/errors/error_manager.h"
#include "research/jobs/pager_settings.h"

namespace zem::research {
namespace {

namespace ev = runtime::event;

constexpr std::string_view kWindowName = "P1$QUICKWINDOW";
constexpr std::string_view kHelpFile = "zembrola.chm";

// A proxy answers 407 to a request without the credentials it wants, or with wrong ones.
constexpr std::int32_t kProxyAuthenticationRequired = 407;

}  // namespace

std::string CanceledWithErrors(std::string_view reason) {
    return std::string(kCanceledWithErrors) + " (" + std::string(reason) + ").";
}

JobWindow::JobWindow(const JobWindowSpec& setup)
    : spec_(setup),
      pager_(std::make_unique<HTTP::Pager>()),
      info_(std::make_unique<HTTP::INFO>()),
      page_(setup.pageBufferSize) {}

JobWindow::~JobWindow() = default;

std::uint8_t JobWindow::RunJob() {
    Run();
    pager_.reset();
    return JobStatus;
}

ui::Level JobWindow::Refuse() {
    JobStatus = kJobFailed;
    return ui::Fatal;
}

ui::Level JobWindow::Init() {
    ui::ErrorManager::Global().SetProcedureName(spec_.procedure);
    if (const ui::Level r = WindowManager::Init(); r != ui::Benign) {
        JobStatus = kJobFailed;
        return r;
    }
    if (!data::HasDictionary()) return Refuse();
    std::string error;
    if (!window_.Load(spec_.resource, kWindowName, &error)) {
        ui::Message(error, "Error", ui::Icon::Hand);
        return Refuse();
    }
    CancelControl = window_.Feq("?CANCEL");
    percentText_ = window_.Feq("?PERCENTS:2");
    percentBar_ = window_.Feq("?PERCENTS");
    loaded_ = window_.Feq("?A");
    total_ = window_.Feq("?B");
    if (!OpenTables()) return Refuse();

    JobStatus = LoadPagerSettings(*info_);
    if (JobStatus == kJobCompleted && !TakeSettings()) JobStatus = kJobFailed;
    if (JobStatus != kJobCompleted) return ui::Fatal;
    JobPhase = kPhaseRunning;

    ShowProgress();
    if (!window_.Open(spec_.procedure)) return Refuse();
    Opened = true;
    ApplyDefaultIcon();
    RestorePlacement(spec_.procedure);
    help_.Init(kHelpFile);
    help_.SetTopic(spec_.helpTopic);
    return ui::Benign;
}

ui::Level JobWindow::Kill() {
    if (const ui::Level r = WindowManager::Kill(); r != ui::Benign) return r;
    CloseTables();
    EndProcedure(spec_.procedure);
    return ui::Benign;
}

bool JobWindow::OpenTables() {
    for (const data::TableId id : spec_.tables) {
        if (data::Relate(id).Open() != ui::Benign) return false;
        opened_.push_back(id);
    }
    if (data::Access(data::TableId::Sysinfo).Open() != ui::Benign) return false;
    sysinfoOpen_ = true;
    return true;
}

// Every table opened is closed again, the configuration table included: the counted opens of
// the caller's thread are left as they were.
void JobWindow::CloseTables() {
    if (sysinfoOpen_) data::Access(data::TableId::Sysinfo).Close();
    sysinfoOpen_ = false;
    for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) data::Relate(*it).Close();
    opened_.clear();
}

ui::Level JobWindow::TakeWindowEvent() {
    switch (Event().code) {
        case ev::kOpenWindow:
            OpenJob();
            break;
        case ev::kTimer:
            if (!ended_) TimerStep();
            break;
        default:
            break;
    }
    return WindowManager::TakeWindowEvent();
}

ui::Level JobWindow::TakeCloseEvent() {
    JobClosing();
    return WindowManager::TakeCloseEvent();
}

ui::Level JobWindow::TakeAccepted() {
    if (CancelControl != 0 && Field() == CancelControl) {
        window_.Update();
        FailJob();
        return ui::Benign;
    }
    return WindowManager::TakeAccepted();
}

void JobWindow::OpenJob() {
    JobOpening();
    Pager().Start(Info());
    if (Pager().M_ERRORCODE != 0) {
        FailJob(data::CStringOf(Pager().M_ERROR), "Error");
        return;
    }
    JobStarted();
}

void JobWindow::CompleteJob() {
    if (ended_) return;
    ended_ = true;
    JobPhase = kPhaseFinished;
    JobStatus = kJobCompleted;
    Response = runtime::response::kCompleted;
    window_.Post(ev::kCloseWindow);
}

void JobWindow::FailJob(std::string_view message, std::string_view caption) {
    if (ended_) return;
    ended_ = true;
    JobStatus = kJobFailed;
    if (!message.empty()) ui::Message(message, caption, ui::Icon::Exclamation);
    window_.Post(ev::kCloseWindow);
}

bool JobWindow::ReportPagerError() {
    if (Pager().M_ERRORCODE == 0) return false;
    FailJob(CanceledWithErrors(data::CStringOf(Pager().M_ERROR)));
    return true;
}

void JobWindow::ForgetPagerError() {
    Pager().M_ERRORCODE = 0;
    data::SetCString(Pager().M_ERROR, {});
}

bool JobWindow::TakePage(int index) {
    const std::size_t total = Pager().GetPage(index, PageBuffer());
    if (Pager().M_ERRORCODE != 0) return false;
    const std::string status = std::to_string(Pager().M_STATUS);
    if (Pager().M_STATUS == kProxyAuthenticationRequired) {
        // The pager's settings keep only what the request sent.
        const bool sent = !data::CStringOf(Pager().Info().USER).empty();
        FailJob(CanceledWithErrors(sent ? "the proxy refused the credentials: HTTP " + status
                                        : "the proxy asks for credentials: HTTP " + status));
        return false;
    }
    // The buffer keeps its last byte for the NUL.
    if (total >= page_.size()) {
        FailJob(CanceledWithErrors("the reply of " + std::to_string(total) +
                                   " bytes is longer than the page buffer of " +
                                   std::to_string(page_.size() - 1)));
        return false;
    }
    return true;
}

void JobWindow::ShowCounts(double loaded, double total) {
    A = loaded;
    B = total;
    PERCENTS = B != 0 ? A * 100 / B : 0;
    ShowProgress();
}

void JobWindow::ShowProgress() {
    const auto show = [&](int feq, double value) {
        if (const ui::Control* c = window_.Find(feq))
            window_.SetText(feq, runtime::Trimmed(runtime::FormatNumber(value, c->picture)));
    };
    show(percentText_, PERCENTS);
    show(total_, B);
    show(loaded_, A);
    const double bar = std::clamp(PERCENTS, 0.0, 100.0);
    window_.SetScreen(percentBar_, std::to_string(static_cast<int>(bar)));
}

}  // namespace zem::research
