#include "platform/ui/qt/window_view.h"

namespace zem::ui::qt {
namespace {

// Layouts nest a few levels; the bound keeps a layout whose parents loop from hanging a walk.
constexpr int kMaxDepth = 64;

bool SameUse(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (up(a[i]) != up(b[i])) return false;
    return true;
}

// Whether test holds for the control or one it sits in.
template <typename Test>
bool AnyUp(WindowView& view, const ControlView& control, Test test) {
    int depth = 0;
    for (const ControlView* at = &control; at && depth < kMaxDepth; ++depth) {
        if (test(*at)) return true;
        at = at->model.parent ? FindControl(view, at->model.parent) : nullptr;
    }
    return false;
}

}  // namespace

ControlView* FindControl(WindowView& view, int feq) {
    const auto found = view.controls.find(feq);
    return found == view.controls.end() ? nullptr : &found->second;
}

ControlView* FindControl(WindowView& view, std::string_view use) {
    for (const int feq : view.order) {
        ControlView& c = view.controls.at(feq);
        if (!c.model.use.empty() && SameUse(c.model.use, use)) return &c;
    }
    return nullptr;
}

bool Usable(WindowView& view, const ControlView& control) {
    return !AnyUp(view, control,
                  [](const ControlView& c) { return c.model.hide || c.model.disable; });
}

bool EffectivelyHidden(WindowView& view, const ControlView& control) {
    return AnyUp(view, control, [](const ControlView& c) { return c.model.hide; });
}

bool EffectivelyDisabled(WindowView& view, const ControlView& control) {
    return AnyUp(view, control, [](const ControlView& c) { return c.model.disable; });
}

bool SitsIn(WindowView& view, const ControlView& control, int ancestor) {
    const ControlView* parent = FindControl(view, control.model.parent);
    return parent && AnyUp(view, *parent,
                           [ancestor](const ControlView& c) { return c.model.feq == ancestor; });
}

QWidget* ContainerOf(WindowView& view, const ControlView& control) {
    int depth = 0;
    for (ControlView* at = FindControl(view, control.model.parent); at && depth < kMaxDepth;
         at = FindControl(view, at->model.parent), ++depth)
        if (at->inside) return at->inside;
    return view.client;
}

}  // namespace zem::ui::qt
