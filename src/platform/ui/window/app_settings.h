#pragma once
// Settings that hold for every window of the program: the application icon a window shows when
// it names none, the system-wide default window icon, and the default font character set.
#include <string>
#include <string_view>

namespace zem::ui {

void SetApplicationIcon(std::string_view icon);
std::string ApplicationIcon();

void SetDefaultWindowIcon(std::string_view icon);
std::string DefaultWindowIcon();

// 0: ANSI (code page 1252); 128: Shift-JIS. Windows whose layout names no character set use it.
void SetDefaultCharset(int charset);
int DefaultCharset();

}  // namespace zem::ui
