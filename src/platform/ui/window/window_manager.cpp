#include "platform/ui/window/window_manager.h"

#include "platform/runtime/requests.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/screen_state.h"

namespace zem::ui {
namespace {

constexpr std::string_view kDefaultIcon = "~gendict.ico";
constexpr int kHelpButton = 3013;  // the frame's navigation button "Get Help"

bool IsClose(runtime::EventCode code) {
    return code == runtime::event::kCloseWindow || code == runtime::event::kCloseDown;
}

}  // namespace

int WindowManager::Run() {
    if (Init() == Benign) Ask();
    Kill();
    runtime::SetGlobalResponse(Response);
    return Response;
}

Level WindowManager::Init() {
    Request = runtime::GlobalRequest();
    Response = runtime::response::kNone;
    return Benign;
}

Level WindowManager::Kill() {
    if (dead_) return Fatal;
    dead_ = true;
    window_.Close();
    return Benign;
}

void WindowManager::Ask() {
    while (window_.Accept()) {
        const Level result = TakeEvent();
        if (result == Fatal) break;
        if (IsClose(Event().code) && result != Notify) break;
    }
}

Level WindowManager::TakeEvent() {
    const runtime::Event& e = Event();
    if (e.code == runtime::event::kAlertKey && e.key == key::F1 && !window_.Alerted(key::F1)) {
        TakeHelp();
        return Benign;
    }
    if (e.control == 0) return TakeWindowEvent();
    Level result = Benign;
    switch (e.code) {
        case runtime::event::kAccepted:
            result = TakeAccepted();
            break;
        case runtime::event::kNewSelection:
            result = TakeNewSelection();
            break;
        case runtime::event::kSelected:
            result = TakeSelected();
            break;
        default:
            break;
    }
    if (result != Benign) return result;
    return TakeFieldEvent();
}

Level WindowManager::TakeAccepted() {
    const int field = Field();
    if (field == 0) return Benign;
    if (field == OkControl) return TakeCompleted();
    if (field == CancelControl) {
        SetResponse(runtime::response::kCancelled);
        return Benign;
    }
    if (field == HelpControl || field == kHelpButton) {
        window_.Update();
        TakeHelp();
        return Benign;
    }
    const Control* control = window_.Find(field);
    if (!control) return Benign;
    switch (control->action) {
        case StdAction::None:
            break;
        case StdAction::Close:
            window_.Post(runtime::event::kCloseWindow);
            break;
        case StdAction::HelpIndex:
        case StdAction::HelpSearch:
            TakeHelp();
            break;
        default:
            window_.Standard(control->action);
            break;
    }
    return Benign;
}

Level WindowManager::TakeNewSelection() {
    return Benign;
}
Level WindowManager::TakeSelected() {
    return Benign;
}
Level WindowManager::TakeFieldEvent() {
    return Benign;
}

Level WindowManager::TakeWindowEvent() {
    if (IsClose(Event().code)) return TakeCloseEvent();
    return Benign;
}

Level WindowManager::TakeCloseEvent() {
    if (Response == runtime::response::kNone) Response = runtime::response::kCancelled;
    return Benign;
}

Level WindowManager::TakeCompleted() {
    SetResponse(runtime::response::kCompleted);
    return Benign;
}

void WindowManager::EndProcedure(std::string_view placement) {
    if (Opened && !placement.empty()) SavePlacement(placement);
    ErrorManager::Global().RemoveProcedureName();
    help_.Kill();
}

void WindowManager::TakeHelp() {
    help_.ShowTopic();
}

void WindowManager::Reset(bool) {
    window_.DisplayFields();
}

void WindowManager::SetResponse(int response) {
    Response = response;
    window_.Post(runtime::event::kCloseWindow);
}

void WindowManager::ApplyDefaultIcon() {
    if (window_.Props().icon.empty()) window_.SetWindowIcon(kDefaultIcon);
}

void WindowManager::RestorePlacement(std::string_view name) {
    window_.KeepPlacementAs(name);
    const auto placement = IniManager::Global().FetchWindow(name);
    if (!placement) return;
    window_.SetPlacement(Rect{placement->x, placement->y, placement->width, placement->height},
                         placement->maximized);
}

namespace {

void SaveWindowAt(std::string_view name, const Rect& at, bool maximized) {
    IniManager::Global().SaveWindow(
        name, IniManager::Placement{at.x, at.y, at.width, at.height, maximized});
}

}  // namespace

void WindowManager::SavePlacement(std::string_view name) {
    SaveWindowAt(name, window_.Props().at, window_.Props().maximized);
}

void SaveOpenWindowPlacements() {
    for (const auto& state : OpenScreenStates())
        if (const auto kept = state->Kept()) SaveWindowAt(kept->name, kept->at, kept->maximized);
}

}  // namespace zem::ui
