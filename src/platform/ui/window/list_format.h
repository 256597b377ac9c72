#pragma once
// The list-format store: the column widths a user gave a list, kept in the INI file under the
// application and procedure name, and put back when the window opens again.
#include <initializer_list>
#include <string_view>

#include "platform/ui/window/popup_actions.h"
#include "platform/ui/window/window.h"

namespace zem::ui {

// Puts back the list's column widths saved for application/procedure; answers whether it did.
bool RestoreListFormat(Window& window, int feq, std::string_view application,
                       std::string_view procedure);
void SaveListFormat(const Window& window, int feq, std::string_view application,
                    std::string_view procedure);

// Gives the list's columns back the widths of its layout.
void ShowLayoutFormat(Window& window, int feq);

// The list-format entries of a list's pop-up menu: "&Restore Original Format" gives the columns
// back the widths of the layout and keeps those as the list's format.
void AddListFormatItems(PopupActions& menu, Window& window, int feq, std::string_view application,
                        std::string_view procedure);

// Where a browse's pop-up menu has the list-format entries: before its buttons' items (the
// list-format manager's own menu) or appended after them.
enum class FormatEntries { First, Last };

// A browse's pop-up menu: an item for each of the browse's buttons and the list-format entries,
// in the order given, with a separator between them.
void ShowBrowseMenu(PopupActions& menu, Window& window, int feq, std::string_view application,
                    std::string_view procedure, std::initializer_list<int> buttons,
                    FormatEntries format);

}  // namespace zem::ui
