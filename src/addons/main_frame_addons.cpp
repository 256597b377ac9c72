#include "addons/main_frame_addons.h"

#include "addons/xxp_wnd_class.h"

#include "platform/runtime/event_codes.h"
#include "platform/runtime/events.h"
#include "platform/ui/window/window.h"
#include "platform/win/owner_draw.h"
#include "shell/frame_addon_registry.h"

namespace zem::addons {
namespace {

class FrameTrayIcon final : public TrayIconClass {
  public:
    void OnLeftDoubleClick() override {
        TrayIconClass::OnLeftDoubleClick();
        runtime::Post(runtime::CurrentThread(), runtime::event::kMaximize);
    }
};

class FrameTray final : public shell::FrameAddOn {
  public:
    void Opened(ui::Window& frame) override {
        tray_ = MakeFrameTrayIcon();
        tray_->Init(frame, true, true, false, frame.Props().icon, "");
    }
    void TakeEvent(ui::Window&) override {
        if (tray_) tray_->TakeEvent();
    }
    void Closing(ui::Window&) override {
        if (tray_) tray_->Kill();
        tray_.reset();
    }

  private:
    std::unique_ptr<TrayIconClass> tray_;
};

// The frame's menus drawn by the painter, in the frame's style, with the icons of its menu
// controls registered by path; the controls' own icons are cleared, the painter draws them.
class FrameMenus final : public shell::FrameAddOn {
  public:
    void Opened(ui::Window& frame) override {
        painter_ = std::make_shared<xXPWndClass>();
        painter_->Init(frame);
        painter_->ChangeStyle(ApplyFrameMenuStyle);
        for (const ui::Control& c : frame.Controls()) {
            const bool menuControl = c.kind == ui::ControlKind::Menu ||
                                     c.kind == ui::ControlKind::Item ||
                                     c.kind == ui::ControlKind::Separator;
            if (!menuControl || c.icon.empty()) continue;
            painter_->AddItem(c.feq, frame, c.icon);
            frame.SetIcon(c.feq, "");
        }
        win::SetOwnerDrawMenus(painter_);
    }
    void TakeEvent(ui::Window&) override {}
    void Closing(ui::Window&) override {
        if (win::CurrentOwnerDrawMenus() == painter_) win::SetOwnerDrawMenus(nullptr);
        if (painter_) painter_->Remove();
        painter_.reset();
    }

  private:
    std::shared_ptr<xXPWndClass> painter_;
};

}  // namespace

void ApplyFrameMenuStyle(MenuStyle& style) {
    style.MENUITEMHEIGHT = 20;
    style.ICONBARWIDTH = 23;
    style.TEXTINDENT = 4;
    style.BACKGROUNDCOLOR = 0xFFFFFF;
    style.SELECTEDCOLOR = 0xDFBFBF;
    style.BORDERCOLOR = 0x800000;
    style.SEPARATORCOLOR = -1;
    style.USESTDICONBACKGROUND = true;
    style.RAISESELECTEDICON = true;
    style.ICONCHECK = "xXPp_on.ico";
    style.ICONCHECKCOLD = "xXPp_onc.ico";
}

std::unique_ptr<TrayIconClass> MakeFrameTrayIcon() {
    return std::make_unique<FrameTrayIcon>();
}

void InstallFrameAddOns() {
    shell::AddFrameAddOn([] { return std::make_unique<FrameMenus>(); });
    shell::AddFrameAddOn([] { return std::make_unique<FrameTray>(); });
}

}  // namespace zem::addons
