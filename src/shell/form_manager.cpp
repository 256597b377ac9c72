#include "shell/form_manager.h"

#include "data/dictionary.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/requests.h"
#include "platform/ui/window/browse_list.h"

namespace zem::shell {
namespace {

namespace ev = runtime::event;

}  // namespace

void FormManager::AddHistoryField(int feq) {
    if (feq == 0) return;
    history_[feq] = window_.Screen(feq);
    window_.Alert(ui::key::CtrlH);
}

bool FormManager::ViewOnly() const {
    return Request == runtime::request::kView;
}

ui::Level FormManager::TakeEvent() {
    const runtime::Event& e = Event();
    if (history_.contains(e.control)) lastField_ = e.control;
    const bool recall = (e.code == ev::kAlertKey && e.key == ui::key::CtrlH) ||
                        (e.code == ev::kAccepted && e.control == ui::navigation::kHistory);
    if (recall && !ViewOnly()) {
        const int field = history_.contains(e.control) ? e.control : lastField_;
        if (const auto it = history_.find(field); it != history_.end()) {
            window_.SetScreen(field, it->second);
            window_.Update(field);
            window_.Select(field);
        }
        return ui::Benign;
    }
    return WindowManager::TakeEvent();
}

ui::Level FormManager::TakeCompleted() {
    window_.Update();
    if (ViewOnly()) {
        window_.Post(ev::kCloseWindow);
        return ui::Benign;
    }
    if (SaveRecord() != ui::Benign) return ui::Notify;
    SetResponse(runtime::response::kCompleted);
    return ui::Benign;
}

ui::Level FormManager::SaveRecord() {
    if (Request == runtime::request::kInsert) return data::Access(primary_).Insert();
    if (Request == runtime::request::kChange) return data::Relate(primary_).Update();
    return ui::Benign;
}

}  // namespace zem::shell
