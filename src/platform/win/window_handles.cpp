#include "platform/win/window_handles.h"

#include <map>
#include <mutex>
#include <optional>

#include "platform/runtime/event_codes.h"
#include "platform/runtime/events.h"

namespace zem::win {
namespace {

struct Handle {
    HandleInfo info;
    WndProc proc = nullptr;
    std::map<std::string, void*> props;
    std::map<std::uint16_t, void*> atoms;
    std::vector<MenuItem> menu;
};

struct Registry {
    std::mutex mutex;
    Hwnd next = 0x100;
    std::map<Hwnd, Handle> handles;
    std::map<std::pair<int, int>, Hwnd> byControl;
};

Registry& Handles() {
    static Registry* registry = new Registry;  // outlives threads still running at exit
    return *registry;
}

std::optional<std::uint16_t> AtomName(std::string_view name) {
    if (name.size() < 2 || name.front() != '#') return std::nullopt;
    unsigned value = 0;
    for (char c : name.substr(1)) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 0xFFFF) return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

template <typename F>
auto WithHandle(Hwnd hwnd, F f, decltype(f(std::declval<Handle&>())) fallback) {
    Registry& r = Handles();
    std::lock_guard lock(r.mutex);
    const auto it = r.handles.find(hwnd);
    return it == r.handles.end() ? fallback : f(it->second);
}

}  // namespace

Hwnd CreateHandle(const HandleInfo& info, WndProc proc) {
    Registry& r = Handles();
    std::lock_guard lock(r.mutex);
    const Hwnd hwnd = r.next++;
    Handle& h = r.handles[hwnd];
    h.info = info;
    h.proc = proc ? proc : &DefWindowProc;
    r.byControl[{info.window, info.control}] = hwnd;
    return hwnd;
}

void DestroyHandle(Hwnd hwnd) {
    if (!IsWindow(hwnd)) return;
    SendMessage(hwnd, WM_DESTROY, 0, 0);
    SendMessage(hwnd, WM_NCDESTROY, 0, 0);
    Registry& r = Handles();
    std::lock_guard lock(r.mutex);
    const auto it = r.handles.find(hwnd);
    if (it == r.handles.end()) return;
    const auto key = std::pair{it->second.info.window, it->second.info.control};
    if (const auto b = r.byControl.find(key); b != r.byControl.end() && b->second == hwnd)
        r.byControl.erase(b);
    r.handles.erase(it);
}

bool IsWindow(Hwnd hwnd) {
    return WithHandle(
        hwnd, [](Handle&) { return true; }, false);
}

HandleInfo InfoOf(Hwnd hwnd) {
    return WithHandle(
        hwnd, [](Handle& h) { return h.info; }, HandleInfo{});
}

Hwnd FindHandle(int window, int control) {
    Registry& r = Handles();
    std::lock_guard lock(r.mutex);
    const auto it = r.byControl.find({window, control});
    return it == r.byControl.end() ? 0 : it->second;
}

WndProc GetWindowProc(Hwnd hwnd) {
    return WithHandle(
        hwnd, [](Handle& h) { return h.proc; }, WndProc{nullptr});
}

WndProc SetWindowProc(Hwnd hwnd, WndProc proc) {
    return WithHandle(
        hwnd,
        [&](Handle& h) {
            const WndProc before = h.proc;
            h.proc = proc ? proc : &DefWindowProc;
            return before;
        },
        WndProc{nullptr});
}

LResult CallWindowProc(WndProc proc, Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) {
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

LResult SendMessage(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) {
    // The procedure runs outside the lock: it may subclass, send on, or destroy.
    return CallWindowProc(GetWindowProc(hwnd), hwnd, message, wParam, lParam);
}

bool PostMessage(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) {
    const HandleInfo info = InfoOf(hwnd);
    if (info.thread == 0) return false;
    runtime::Event event;
    event.code = runtime::event::kWindowMessage;
    event.hwnd = hwnd;
    event.message = message;
    event.wParam = wParam;
    event.lParam = lParam;
    return runtime::PostEvent(info.thread, event);
}

void DispatchPosted(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) {
    if (IsWindow(hwnd)) SendMessage(hwnd, message, wParam, lParam);
}

LResult DefWindowProc(Hwnd hwnd, unsigned message, WParam wParam, LParam) {
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        const HandleInfo info = InfoOf(hwnd);
        if (info.control == 0) {
            runtime::Event close;
            close.code = runtime::event::kCloseWindow;
            close.window = info.window;
            runtime::PostEvent(info.thread, close);
        }
    }
    return 0;
}

bool SetProp(Hwnd hwnd, std::string_view name, void* data) {
    if (const auto atom = AtomName(name)) return SetAtomProp(hwnd, *atom, data);
    return WithHandle(
        hwnd,
        [&](Handle& h) {
            h.props[std::string(name)] = data;
            return true;
        },
        false);
}

void* GetProp(Hwnd hwnd, std::string_view name) {
    const auto atom = AtomName(name);
    return WithHandle(
        hwnd,
        [&](Handle& h) -> void* {
            if (atom) {
                const auto it = h.atoms.find(*atom);
                return it == h.atoms.end() ? nullptr : it->second;
            }
            const auto it = h.props.find(std::string(name));
            return it == h.props.end() ? nullptr : it->second;
        },
        static_cast<void*>(nullptr));
}

void* RemoveProp(Hwnd hwnd, std::string_view name) {
    const auto atom = AtomName(name);
    return WithHandle(
        hwnd,
        [&](Handle& h) -> void* {
            void* data = nullptr;
            if (atom) {
                if (const auto it = h.atoms.find(*atom); it != h.atoms.end()) {
                    data = it->second;
                    h.atoms.erase(it);
                }
            } else if (const auto it = h.props.find(std::string(name)); it != h.props.end()) {
                data = it->second;
                h.props.erase(it);
            }
            return data;
        },
        static_cast<void*>(nullptr));
}

bool SetAtomProp(Hwnd hwnd, std::uint16_t atom, void* data) {
    return WithHandle(
        hwnd,
        [&](Handle& h) {
            h.atoms[atom] = data;
            return true;
        },
        false);
}

std::vector<PropEntry> EnumProps(Hwnd hwnd) {
    return WithHandle(
        hwnd,
        [](Handle& h) {
            std::vector<PropEntry> entries;
            entries.insert(entries.end(), h.atoms.size(), PropEntry{std::string(), true});
            for (const auto& [name, data] : h.props) entries.push_back({name, false});
            return entries;
        },
        std::vector<PropEntry>{});
}

bool HasSystemMenu(Hwnd hwnd) {
    return WithHandle(
        hwnd, [](Handle& h) { return h.info.control == 0; }, false);
}

int GetMenuItemCount(Hwnd hwnd) {
    return WithHandle(
        hwnd, [](Handle& h) { return h.info.control == 0 ? static_cast<int>(h.menu.size()) : -1; },
        -1);
}

bool InsertMenuItem(Hwnd hwnd, int position, const MenuItem& item) {
    return WithHandle(
        hwnd,
        [&](Handle& h) {
            if (h.info.control != 0) return false;
            const auto at = position < 0 || position >= static_cast<int>(h.menu.size())
                                ? h.menu.end()
                                : h.menu.begin() + position;
            h.menu.insert(at, item);
            return true;
        },
        false);
}

std::vector<MenuItem> SystemMenuItems(Hwnd hwnd) {
    return WithHandle(
        hwnd, [](Handle& h) { return h.menu; }, std::vector<MenuItem>{});
}

}  // namespace zem::win
