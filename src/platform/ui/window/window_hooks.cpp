#include "platform/ui/window/window_hooks.h"

#include <map>
#include <mutex>
#include <vector>

namespace zem::ui {
namespace {

struct Hooks {
    std::mutex mutex;
    int next = 1;
    std::map<int, OpenHook> open;
};

Hooks& TheHooks() {
    static Hooks* hooks = new Hooks;  // threads may still open windows at exit
    return *hooks;
}

}  // namespace

int ControlTypeCode(ControlKind kind) {
    switch (kind) {
        case ControlKind::String:
            return 2;
        case ControlKind::Image:
            return 3;
        case ControlKind::Box:
            return 6;
        case ControlKind::Entry:
            return 8;
        case ControlKind::Display:
            return 8;
        case ControlKind::Button:
            return 9;
        case ControlKind::Prompt:
            return 10;
        case ControlKind::Option:
            return 11;
        case ControlKind::Check:
            return 12;
        case ControlKind::Group:
            return 13;
        case ControlKind::List:
            return 14;
        case ControlKind::Tree:
            return 14;
        case ControlKind::DropList:
            return 15;
        case ControlKind::Spin:
            return 16;
        case ControlKind::Text:
            return 17;
        case ControlKind::Menu:
            return 19;
        case ControlKind::Item:
            return 20;
        case ControlKind::Separator:
            return 20;
        case ControlKind::Radio:
            return 21;
        case ControlKind::MenuBar:
            return 22;
        case ControlKind::Toolbar:
            return 23;
        case ControlKind::Progress:
            return 24;
        case ControlKind::Sheet:
            return 28;
        case ControlKind::Tab:
            return 29;
    }
    return 0;
}

bool HasOwnHandle(ControlKind kind) {
    switch (kind) {
        case ControlKind::Menu:
        case ControlKind::Item:
        case ControlKind::Separator:
        case ControlKind::MenuBar:
        case ControlKind::Tab:
        case ControlKind::Box:
            return false;
        default:
            return true;
    }
}

int AddOpenHook(OpenHook hook) {
    Hooks& h = TheHooks();
    std::lock_guard lock(h.mutex);
    const int id = h.next++;
    h.open.emplace(id, std::move(hook));
    return id;
}

void RemoveOpenHook(int id) {
    Hooks& h = TheHooks();
    std::lock_guard lock(h.mutex);
    h.open.erase(id);
}

void RunOpenHooks(Window& window) {
    std::vector<OpenHook> hooks;
    {
        Hooks& h = TheHooks();
        std::lock_guard lock(h.mutex);
        for (const auto& [id, hook] : h.open) hooks.push_back(hook);
    }
    for (const OpenHook& hook : hooks) hook(window);
}

}  // namespace zem::ui
