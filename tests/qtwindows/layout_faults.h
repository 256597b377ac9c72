#pragma once
// What a user would see wrong in an open window: a shown control covered by a sibling drawn
// over it, a list without its header, a caption, label, button or tab text cut.
#include <string>
#include <vector>

namespace zem::ui::qt {
struct WindowView;
}  // namespace zem::ui::qt

namespace zem::test {

// The faults of the window as it stands now, one line each naming the control. On the GUI
// thread.
std::vector<std::string> LayoutFaults(ui::qt::WindowView& view);

}  // namespace zem::test
