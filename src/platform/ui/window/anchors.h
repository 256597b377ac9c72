#pragma once
// How the controls of a resizable window follow its client area when the window is made larger
// than its layout, as a form with anchored controls does. The layout places every control for
// one client size; beyond it:
//   - the window's largest list or tree grows by all the extra room, and so do the sheets,
//     groups and boxes it sits in or on;
//   - controls wholly below it keep their distance to the bottom edge, controls wholly to its
//     right keep theirs to the right edge;
//   - controls below it, taken as runs of controls side by side (a row of buttons), keep their
//     distance to the right edge too when the run lies nearer the right edge than the left one,
//     so a row of buttons under a list stays together, at the side it was drawn at;
//   - everything else keeps its place and size, and controls inside a group, box, option or
//     sheet that does not grow go wherever it goes.
// A client area smaller than the layout's leaves every control at its layout place. A window
// without a list or tree keeps every control where its layout puts it.
#include <map>
#include <vector>

#include "platform/ui/window/control.h"

namespace zem::ui {

struct Anchor {
    bool moveX = false;  // the control keeps its distance to the right edge
    bool moveY = false;  // ... and to the bottom edge
    bool growX = false;  // its right edge keeps its distance to the right edge; its left stays
    bool growY = false;  // ... its bottom edge to the bottom edge
    friend bool operator==(const Anchor&, const Anchor&) = default;
};

// The anchors of a window's controls by number, for a client area of width × height in the
// layout; controls that keep their place have none. Menus, toolbars and what sits in them
// are the frame's and have none.
std::map<int, Anchor> AnchorControls(const std::vector<Control>& controls, int width, int height);

// Where a control the layout puts at `at` sits when the client area is grownX wider and grownY
// taller than the layout's; negative growth counts as none. A control sized by its contents
// (no width or height) keeps that.
Rect Anchored(const Rect& at, const Anchor& anchor, int grownX, int grownY);

}  // namespace zem::ui
