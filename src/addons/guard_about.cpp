// The guard's about window: its caption, version and notice, and two links that open through
// the desktop (the web address in the browser, the e-mail address in the mail program). A link
// turns bold while the pointer is over it.
#include "addons/layout_guard.h"
#include "platform/runtime/event_codes.h"
#include "platform/ui/window/window_manager.h"
#include "platform/win/shell_open.h"

namespace zem::addons {
namespace {

namespace ev = runtime::event;

class GuardAbout final : public ui::WindowManager {
  public:
    ui::Level Init() override {
        if (const ui::Level r = WindowManager::Init(); r != ui::Benign) return r;
        std::string error;
        if (!window_.Load("tavrillo$about", "TAVRILLO", &error)) return ui::Fatal;
        OkControl = window_.Feq("?CLOSE");
        if (!window_.Open("Tavrillo")) return ui::Fatal;
        Opened = true;
        return ui::Benign;
    }

    ui::Level TakeAccepted() override {
        if (Field() == window_.Feq("?WEB")) win::ShellOpen(kGuardWebAddress);
        if (Field() == window_.Feq("?EMAIL")) win::ShellOpenMail(kGuardMailAddress, "Tavrillo");
        return WindowManager::TakeAccepted();
    }

    ui::Level TakeFieldEvent() override {
        const int link = Field();
        if (link == window_.Feq("?WEB") || link == window_.Feq("?EMAIL")) {
            if (Event().code == ev::kPointerIn)
                window_.Change(link, [](ui::Control& c) { c.font.bold = true; });
            if (Event().code == ev::kPointerOut)
                window_.Change(link, [](ui::Control& c) { c.font.bold = false; });
        }
        return WindowManager::TakeFieldEvent();
    }
};

}  // namespace

void AboutWindow() {
    GuardAbout about;
    about.Run();
}

}  // namespace zem::addons
