#pragma once
// Opens web addresses in the desktop's default browser. Only http and https addresses are
// opened; anything else (files, other schemes, text with spaces or control characters) is
// refused, so text from a web page can never start a program or open a local file.
#include <functional>
#include <string>
#include <string_view>

namespace zem::win {

// ShellOpen's answers.
namespace shell_open {
inline constexpr int Opened = 0;
inline constexpr int EmptyUrl = 1;
inline constexpr int SchemeRefused = 2;  // not http:// or https://
inline constexpr int BadCharacter = 3;   // a space or a control character
inline constexpr int NoHost = 4;         // nothing between "://" and the path
inline constexpr int LaunchFailed = 5;   // the opener could not be started
}  // namespace shell_open

// Checks the address and hands it to the opener: by default xdg-open, started without a shell
// and not waited for (a background thread reaps it). The scheme may be in any case. Bytes
// above 127 are passed on as they are.
int ShellOpen(std::string_view url);

// Opens the desktop's mail program on a new message to address ("mailto:" address, then
// "?subject=" subject when there is one). The address needs an '@'; neither part may hold
// spaces, control characters, '?', '&' or '#'.
int ShellOpenMail(std::string_view address, std::string_view subject);

// Answers what ShellOpen would refuse the address with, or shell_open::Opened when it is fine.
int CheckShellUrl(std::string_view url);

// Replaces the opener (tests record the addresses instead of starting a browser); it answers
// whether it could open the address. nullptr brings back xdg-open.
void SetUrlOpener(std::function<bool(const std::string& url)> opener);

}  // namespace zem::win
