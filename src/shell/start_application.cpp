#include "shell/start_application.h"

#include <filesystem>
#include <iostream>
#include <mutex>
#include <system_error>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "platform/runtime/process.h"
#include "platform/store/errors.h"
#include "platform/ui/window/app_settings.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/translator.h"
#include "platform/ui/window/window_manager.h"
#include "platform/win/system_parameters.h"
#include "shell/instance_lock.h"
#include "shell/japanese_mode.h"
#include "shell/main_frame.h"

namespace zem::shell {
namespace {

std::mutex g_observerMutex;
std::function<void(std::string_view)> g_observer;

void Step(std::string_view name) {
    std::function<void(std::string_view)> observer;
    {
        std::lock_guard lock(g_observerMutex);
        observer = g_observer;
    }
    if (observer) observer(name);
}

// The desktop's drag-full-windows setting as it was at start; the dummy takes what the set
// calls write.
long g_savedDrag = 0;
long g_dummyDrag = 0;

constexpr unsigned kUpdateAndSend = win::SPIF_UPDATEINIFILE | win::SPIF_SENDCHANGE;

void ReleaseServices() {
    ui::IniManager::Global().Kill();
    Step("release ini");
    ui::FuzzyMatcher::Global().Kill();
    Step("release fuzzy matcher");
    ui::Translator::Global().Kill();
    Step("release translator");
}

}  // namespace

void SetStartupObserver(std::function<void(std::string_view)> observer) {
    std::lock_guard lock(g_observerMutex);
    g_observer = std::move(observer);
}

int RunApplication() {
    ui::ErrorManager::Global().Init();
    Step("error manager");
    ui::Translator::Global().Init();
    Step("translator");
    ui::FuzzyMatcher::Global().Init();
    ui::FuzzyMatcher::Global().SetOption(1, 1);
    ui::FuzzyMatcher::Global().SetOption(2, 0);
    Step("fuzzy matcher");
    ui::IniManager::Global().Init(kIniFileName);
    Step("ini");

    // By its full name, so every message about it says where it is.
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(kDataFileName, ec);
    if (ec) path = kDataFileName;
    const InstanceLock instance(".");
    if (instance.HeldElsewhere()) {
        const std::string text = "Zembrola is already running with the data directory " +
                                 path.parent_path().string() +
                                 ". Use its windows, or end it before starting Zembrola again.";
        std::cerr << "Zembrola: " << text << "\n";
        ui::Message(text, "Error", ui::Icon::Exclamation);
        ReleaseServices();
        return 2;
    }
    store::OpenStatus status;
    auto file = data::OpenZembrolaFile(path, status);
    if (!file) {
        std::cerr << "Zembrola: " << status.text << "\n" << status.detail;
        ui::Message(status.text, "Error", ui::Icon::Hand);
        ReleaseServices();
        return 2;
    }
    data::InitDictionary(std::move(file));
    Step("dictionary");
    ui::SetApplicationIcon("zembrola.ico");
    Step("application icon");
    JPMode = GetJPMode();
    Step("japanese mode");
    // Set once: a later change of Japanese mode leaves the running program's windows as they are.
    ui::SetDefaultCharset(JPMode);
    Step("default charset");
    win::SystemParametersInfo(win::SPI_GETDRAGFULLWINDOWS, 0, &g_savedDrag, 0);
    if (g_savedDrag == 1)
        win::SystemParametersInfo(win::SPI_SETDRAGFULLWINDOWS, 0, &g_dummyDrag, kUpdateAndSend);
    Step("drag setting");

    Step("main");
    Main();

    Step("save ini");
    // Windows still open end with the process, without closing: their places are kept as
    // their own closing keeps them.
    ui::SaveOpenWindowPlacements();
    ui::IniManager::Global().Save();
    if (g_savedDrag == 1)
        win::SystemParametersInfo(win::SPI_SETDRAGFULLWINDOWS, 1, &g_dummyDrag, kUpdateAndSend);
    Step("restore drag setting");
    ReleaseServices();
    // The process ends without closing the file: what its log holds goes into the file now,
    // so the file alone (a copy, a backup) has every change.
    if (auto data = data::ZembrolaFile(); data && data->Checkpoint() != store::NoError)
        std::cerr << "Zembrola: the data file's log could not be written into it: "
                  << (store::FileErrorText().empty() ? store::ErrorText() : store::FileErrorText())
                  << "\n";
    Step("write data file");
    return 0;
}

void StartApplication() {
    runtime::EndProcess(RunApplication());
}

}  // namespace zem::shell
