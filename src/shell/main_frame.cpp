#include "shell/main_frame.h"

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <span>
#include <string_view>
#include <thread>
#include <vector>

#include "data/dictionary.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/date_pictures.h"
#include "platform/runtime/events.h"
#include "platform/runtime/requests.h"
#include "platform/runtime/threads.h"
#include "platform/ui/window/app_settings.h"
#include "platform/ui/help/help.h"
#include "platform/ui/window/input.h"
#include "platform/ui/window/window_manager.h"
#include "shell/about_form.h"
#include "shell/frame_addon_registry.h"
#include "shell/procedures.h"
#include "shell/splash.h"

namespace zem::shell {
namespace {

namespace ev = runtime::event;
using data::TableId;

std::atomic<runtime::ThreadNo> g_frameThread{0};

// How long a frame closing down waits for the other windows' threads to end.
constexpr auto kCloseDownWait = std::chrono::seconds(10);

// Seven 9-character slots, Sunday first.
constexpr std::string_view kDayNames =
    "Sunday   Monday   Tuesday  WednesdayThursday Friday   Saturday ";

// The framework's record-navigation buttons, by control number.
constexpr int kFirstNavigation = 3001;
constexpr int kLastNavigation = 3013;

constexpr std::array kRelatedTables{TableId::Brands,      TableId::Browsers, TableId::Catalogs,
                                    TableId::Goods,       TableId::Nodes,    TableId::Sites,
                                    TableId::TagFilePos_, TableId::aNodes};
constexpr std::array kUsedTables{TableId::Queries, TableId::Sysinfo, TableId::TagFile_,
                                 TableId::TagSet_, TableId::aCatalogs};

struct Start {
    std::string_view use;
    std::string_view procedure;
    std::size_t stack;
};

// What each menu item and toolbar button starts on a thread of its own.
constexpr std::array kMenuStarts{
    Start{"?FILECONFIGURE", kConfigureApplication, kStack25000},
    Start{"?MENU5ITEM17", kBrowseQueries, kStack25000},
    Start{"?MENU5ITEM16", kBrowseTree, kStack25000},
};
constexpr std::array kToolbarStarts{
    Start{"?TOOLBOX", kConfigureApplication, kStack25000},
    Start{"?BROWSESAVED", kBrowseQueries, kStack64000},
    Start{"?QUERY", kNewQuery, kStack64000},
    Start{"?BROWSETREE", kBrowseTree, kStack25000},
};

class FrameManager final : public ui::WindowManager {
  public:
    ui::Level Init() override {
        ui::ErrorManager::Global().SetProcedureName("Main");
        if (const ui::Level r = WindowManager::Init(); r != ui::Benign) return r;
        for (TableId id : kRelatedTables) data::Relate(id).Open();
        for (TableId id : kUsedTables) data::Access(id).UseFile();
        tablesOpen_ = true;
        std::string error;
        if (!window_.Load("zembrola$zembr002", "P1$APPFRAME", &error)) {
            ui::Message(error, "Error", ui::Icon::Hand);
            return ui::Fatal;
        }
        for (std::string_view use : {"?HELPINDEX", "?HELPSEARCH"})
            window_.Change(window_.Feq(use),
                           [](ui::Control& c) { c.action = ui::StdAction::None; });
        // Set before the window shows: windows of later modules stay disabled until their
        // procedure exists.
        for (const auto& starts :
             {std::span<const Start>(kMenuStarts), std::span<const Start>(kToolbarStarts)})
            for (const Start& s : starts)
                window_.SetDisable(window_.Feq(s.use), !FindProcedure(s.procedure));
        if (!window_.Open("Main")) return ui::Fatal;
        Opened = true;
        g_frameThread = runtime::CurrentThread();
        ui::SetDefaultWindowIcon("~gendict.ico");
        ApplyDefaultIcon();
        addOns_ = MakeFrameAddOns();
        for (const auto& addOn : addOns_) addOn->Opened(window_);
        RestorePlacement("Main");
        window_.Alert(ui::key::CtrlH);  // the history key every window alerts
        help_.Init("zembrola.chm");
        help_.SetTopic("MainFrame.htm");
        return ui::Benign;
    }

    void Ask() override {
        const int period = FrameTimerPeriod(static_cast<int>(window_.Timer()));
        if (period != window_.Timer()) window_.SetTimer(period);
        RefreshStatusBar();
        WindowManager::Ask();
    }

    ui::Level TakeEvent() override {
        if (Event().code == ev::kCloseDown) closingDown_ = true;
        if (Event().code != 0)
            for (const auto& addOn : addOns_) addOn->TakeEvent(window_);
        const ui::Level result = WindowManager::TakeEvent();
        // A menu item or button was chosen: the splash gives way to it.
        if (Event().code == ev::kAccepted && splashThread_ != 0) {
            runtime::Post(splashThread_, ev::kCloseWindow);
            splashThread_ = 0;
        }
        return result;
    }

    ui::Level TakeWindowEvent() override {
        const ui::Level result = WindowManager::TakeWindowEvent();
        switch (Event().code) {
            case ev::kOpenWindow:
                splashThread_ = runtime::Start(&Splash);
                break;
            case ev::kTimer:
                RefreshStatusBar();
                break;
            case ev::kNotify:
                if (Event().notification.code == kSplashEnded &&
                    Event().notification.sender == splashThread_)
                    splashThread_ = 0;
                break;
            default:
                break;
        }
        return result;
    }

    ui::Level TakeAccepted() override {
        const int field = Field();
        if (field >= kFirstNavigation && field <= kLastNavigation && Forward(field))
            return ui::Benign;
        for (const Start& s : kMenuStarts)
            if (field == window_.Feq(s.use)) StartProcedure(s);
        const ui::Level result = WindowManager::TakeAccepted();
        if (field == window_.Feq("?HELPINDEX")) help_.ShowContents();
        if (field == window_.Feq("?HELPSEARCH")) help_.ShowSearch();
        if (field == window_.Feq("?HELPABOUT")) AboutForm();
        for (const Start& s : kToolbarStarts)
            if (field == window_.Feq(s.use)) StartProcedure(s);
        return result;
    }

    ui::Level Kill() override {
        if (closingDown_) AwaitOtherThreads();
        for (auto it = addOns_.rbegin(); it != addOns_.rend(); ++it) (*it)->Closing(window_);
        addOns_.clear();
        if (const ui::Level r = WindowManager::Kill(); r != ui::Benign) return r;
        if (tablesOpen_) {
            for (TableId id : kRelatedTables) data::Relate(id).Close();
            tablesOpen_ = false;
        }
        if (Opened) SavePlacement("Main");
        g_frameThread = 0;
        EndProcedure({});
        return ui::Benign;
    }

  private:
    // At the session's end the display closes every other window first and the frame once
    // they are gone, but a window's thread still finishes its closing after its window has
    // gone (it ends its transaction, keeps its placement). The program ends with the frame, so
    // the frame lets those threads finish first; the wait is bounded, so a thread that does not
    // end keeps no one from logging off.
    static void AwaitOtherThreads() {
        const int self = runtime::CurrentThread() != 0 ? 1 : 0;
        const auto end = std::chrono::steady_clock::now() + kCloseDownWait;
        while (runtime::RunningThreads() > self && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    // Posts a navigation button to the thread of the active window when that is not the frame's.
    bool Forward(int field) {
        const ui::WindowId active = ui::CurrentDisplay()->ActiveWindow();
        const runtime::ThreadNo thread = ui::WindowThread(active);
        if (thread == 0 || thread == runtime::CurrentThread()) return false;
        runtime::Post(thread, ev::kAccepted, field);
        return true;
    }

    static void StartProcedure(const Start& s) {
        if (ProcedureEntry entry = FindProcedure(s.procedure))
            runtime::Start(std::move(entry), s.stack);
    }

    void RefreshStatusBar() {
        const runtime::ClockReading now = runtime::Now();
        window_.SetStatus(1, FrameDateText(now.date));
        window_.SetStatus(2, FrameTimeText(now.time));
    }

    runtime::ThreadNo splashThread_ = 0;
    bool tablesOpen_ = false;
    bool closingDown_ = false;  // the session ends: every window is closing
    std::vector<std::unique_ptr<FrameAddOn>> addOns_;
};

}  // namespace

runtime::ThreadNo FrameThread() {
    return g_frameThread;
}

std::string FrameDateText(runtime::Date date) {
    const int weekday = runtime::DayOfWeek(date);
    std::string text;
    if (weekday >= 0) {
        std::string_view slot = kDayNames.substr(static_cast<std::size_t>(weekday) * 9, 9);
        while (!slot.empty() && slot.back() == ' ') slot.remove_suffix(1);
        text = slot;
    }
    return text + ", " + runtime::FormatDate(date, "d17");
}

std::string FrameTimeText(runtime::Time time) {
    return runtime::FormatTime(time, "T4");
}

int FrameTimerPeriod(int configured) {
    return configured >= 1 && configured <= 100 ? configured : 100;
}

void Main() {
    FrameManager frame;
    frame.Run();
}

}  // namespace zem::shell
