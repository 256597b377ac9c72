#include "shell/splash.h"

#include "platform/runtime/events.h"
#include "platform/ui/help/help.h"
#include "platform/ui/window/window_manager.h"
#include "shell/main_frame.h"
#include "shell/procedures.h"

namespace zem::shell {
namespace {

namespace ev = runtime::event;

constexpr runtime::Ticks kSplashTimer = 1000;  // ten seconds
constexpr int kClosingKeys[] = {ui::key::MouseLeft, ui::key::MouseLeft2, ui::key::MouseRight};

class SplashManager final : public ui::WindowManager {
  public:
    ui::Level Init() override {
        ui::ErrorManager::Global().SetProcedureName("Splash");
        if (const ui::Level r = WindowManager::Init(); r != ui::Benign) return r;
        std::string error;
        if (!window_.Load("zembrola$zembr001", "P1$WINDOW", &error)) return ui::Fatal;
        // The ten seconds run from the moment the splash shows.
        window_.SetTimer(kSplashTimer);
        if (!window_.Open("Splash")) return ui::Fatal;
        Opened = true;
        ApplyDefaultIcon();
        RestorePlacement("Splash");
        for (int key : kClosingKeys) window_.Alert(key);
        help_.Init("zembrola.chm");
        return ui::Benign;
    }

    ui::Level TakeEvent() override {
        const ui::Level result = WindowManager::TakeEvent();
        if (Event().code == ev::kAlertKey)
            for (int key : kClosingKeys)
                if (Event().key == key) window_.Post(ev::kCloseWindow);
        return result;
    }

    ui::Level TakeWindowEvent() override {
        const ui::Level result = WindowManager::TakeWindowEvent();
        switch (Event().code) {
            case ev::kCloseWindow:
                if (ProcedureEntry newQuery = FindProcedure(kNewQuery))
                    runtime::Start(std::move(newQuery), kStack64000);
                break;
            case ev::kLoseFocus:
            case ev::kTimer:
                window_.Post(ev::kCloseWindow);
                break;
            default:
                break;
        }
        return result;
    }

    ui::Level Kill() override {
        if (const ui::Level r = WindowManager::Kill(); r != ui::Benign) return r;
        EndProcedure("Splash");
        if (const runtime::ThreadNo frame = FrameThread()) runtime::Notify(kSplashEnded, frame);
        return ui::Benign;
    }

  private:
};

}  // namespace

void Splash() {
    SplashManager splash;
    splash.Run();
}

}  // namespace zem::shell
