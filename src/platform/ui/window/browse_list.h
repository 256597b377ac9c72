#pragma once
// A browse: a list control over rows its window loads, with the framework's record navigation
// (the toolbar's first, last, prior and next row and page buttons, which the frame forwards to
// the active window) and the current row. Typed lists (typed_list.h) sort it.
#include "platform/ui/window/window.h"

namespace zem::ui {

// The framework's navigation buttons, by control number.
namespace navigation {
inline constexpr int kInsert = 3001;
inline constexpr int kChange = 3002;
inline constexpr int kDelete = 3003;
inline constexpr int kSelect = 3004;
inline constexpr int kBottom = 3005;
inline constexpr int kTop = 3006;
inline constexpr int kPageDown = 3007;
inline constexpr int kPageUp = 3008;
inline constexpr int kDown = 3009;
inline constexpr int kUp = 3010;
inline constexpr int kLocate = 3011;
inline constexpr int kHistory = 3012;
inline constexpr int kHelp = 3013;
}  // namespace navigation

class BrowseList {
  public:
    BrowseList(Window& window, int list) : window_(window), list_(list) {}

    int List() const { return list_; }
    void SetList(int list) { list_ = list; }
    int Rows() const;
    // The current row from 1; 0 when the list is empty.
    int Current() const;
    void Select(int row);

    // Moves for a navigation button; false for buttons that are not movements.
    bool Navigate(int button);

    int pageSize = 10;

  private:
    Window& window_;
    int list_;
};

}  // namespace zem::ui
