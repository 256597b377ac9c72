#include "shell/about_form.h"

#include "platform/ui/help/help.h"
#include "platform/ui/window/window_manager.h"

namespace zem::shell {
namespace {

class AboutManager final : public ui::WindowManager {
  public:
    ui::Level Init() override {
        ui::ErrorManager::Global().SetProcedureName("AboutForm");
        if (const ui::Level r = WindowManager::Init(); r != ui::Benign) return r;
        std::string error;
        if (!window_.Load("zembrola$zembr038", "P1$WINDOW", &error)) {
            ui::Message(error, "Error", ui::Icon::Hand);
            return ui::Fatal;
        }
        OkControl = window_.Feq("?CLOSE");
        if (!window_.Open("AboutForm")) return ui::Fatal;
        Opened = true;
        ApplyDefaultIcon();
        RestorePlacement("AboutForm");
        window_.Alert(ui::key::CtrlH);  // the history key every window alerts
        help_.Init("zembrola.chm");
        help_.SetTopic("About.htm");
        return ui::Benign;
    }

    ui::Level Kill() override {
        if (const ui::Level r = WindowManager::Kill(); r != ui::Benign) return r;
        EndProcedure("AboutForm");
        return ui::Benign;
    }

  private:
};

}  // namespace

void AboutForm() {
    AboutManager about;
    about.Run();
}

}  // namespace zem::shell
