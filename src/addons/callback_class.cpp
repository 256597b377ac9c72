#include "addons/callback_class.h"

#include <algorithm>
#include <array>

namespace zem::addons {
namespace {

constexpr std::string_view kBaseName = "xCallBackClassProp";

template <int N>
win::LResult SlotProc(win::Hwnd hwnd, unsigned message, win::WParam wParam, win::LParam lParam) {
    static const std::string name = SlotPropertyName(N);
    auto* object = static_cast<xCallBackClass*>(win::GetProp(hwnd, name));
    if (!object) return win::DefWindowProc(hwnd, message, wParam, lParam);
    return object->WindowProc(hwnd, message, wParam, lParam);
}

constexpr std::array<win::WndProc, kPropertySlots> kSlotProcs{
    &SlotProc<0>, &SlotProc<1>, &SlotProc<2>, &SlotProc<3>,
    &SlotProc<4>, &SlotProc<5>, &SlotProc<6>, &SlotProc<7>};

}  // namespace

std::string SlotPropertyName(int slot) {
    std::string name(kBaseName);
    if (slot > 0) name += static_cast<char>('0' + slot);
    return name;
}

xCallBackClass* SlotObject(win::Hwnd window, int slot) {
    if (slot < 0 || slot >= kPropertySlots) return nullptr;
    return static_cast<xCallBackClass*>(win::GetProp(window, SlotPropertyName(slot)));
}

xCallBackClass::~xCallBackClass() {
    Remove();
}

int xCallBackClass::FirstFreeSlot() const {
    names_.clear();
    for (const win::PropEntry& p : win::EnumProps(WNDHANDLE))
        if (!p.atom) names_.push_back(p.name.substr(0, 255));
    for (int slot = 0; slot < kPropertySlots; ++slot)
        if (std::find(names_.begin(), names_.end(), SlotPropertyName(slot)) == names_.end())
            return slot;
    return kPropertySlots;
}

bool xCallBackClass::Install(win::Hwnd window, int control, bool noControl) {
    if (Installed() || !win::IsWindow(window)) return false;
    WNDHANDLE = window;
    const int slot = FirstFreeSlot();
    PL = names_;
    if (slot >= kPropertySlots) {
        WNDHANDLE = 0;
        return false;
    }
    CONTROLFEQ = noControl ? 0 : control;
    THREADNO = runtime::CurrentThread();
    PROPNUM = slot;
    win::SetProp(window, SlotPropertyName(slot), this);
    WNDPROC = win::SetWindowProc(window, kSlotProcs[static_cast<std::size_t>(slot)]);
    return true;
}

void xCallBackClass::Remove() {
    if (!Installed()) return;
    const win::WndProc mine = kSlotProcs[static_cast<std::size_t>(PROPNUM)];
    if (win::GetWindowProc(WNDHANDLE) == mine) {
        win::SetWindowProc(WNDHANDLE, WNDPROC);
    } else {
        // Not the newest: the object installed right after this one leads here.
        for (int slot = 0; slot < kPropertySlots; ++slot)
            if (xCallBackClass* later = SlotObject(WNDHANDLE, slot);
                later && later != this && later->WNDPROC == mine)
                later->WNDPROC = WNDPROC;
    }
    win::RemoveProp(WNDHANDLE, SlotPropertyName(PROPNUM));
    PL.clear();
    WNDHANDLE = 0;
    WNDPROC = nullptr;
}

win::LResult xCallBackClass::CallPrevious(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                                          win::LParam lParam) {
    return win::CallWindowProc(WNDPROC, hwnd, message, wParam, lParam);
}

win::LResult xCallBackClass::WindowProc(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                                        win::LParam lParam) {
    return CallPrevious(hwnd, message, wParam, lParam);
}

}  // namespace zem::addons
