#pragma once
// Opens web addresses in the desktop's default browser. Only http and https addresses are
// opened; anything else (files, other schemes, text with spaces or control characters) is
// refused, so text from a web page can never start a program or open a local file.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace zem::win {

// How long an opener is watched for a failure before the address counts as opened.
inline constexpr std::chrono::seconds kOpenerVerdictWait{3};

// ShellOpen's answers.
namespace shell_open {
inline constexpr int Opened = 0;
inline constexpr int EmptyUrl = 1;
inline constexpr int SchemeRefused = 2;  // not http:// or https://
inline constexpr int BadCharacter = 3;   // a space or a control character
inline constexpr int NoHost = 4;         // nothing between "://" and the path
inline constexpr int LaunchFailed = 5;   // the opener could not be started, or failed
}  // namespace shell_open

// Checks the address and hands it to the opener: by default xdg-open, started without a shell.
// xdg-open is given kOpenerVerdictWait to fail: when it ends unsuccessfully within that time the
// answer is LaunchFailed, and when it is still running after it (a browser it runs in the
// foreground) the address counts as opened and a background thread reaps it. The scheme may be
// in any case. Bytes above 127 are passed on as they are.
// failure, when given, receives on LaunchFailed why, as text the user can read: that xdg-open
// was not found, what it wrote to its standard error, its exit status. It is UTF-8 as the
// desktop wrote it and otherwise left alone.
int ShellOpen(std::string_view url, std::string* failure = nullptr);

// Opens the desktop's mail program on a new message to address ("mailto:" address, then
// "?subject=" subject when there is one). The address needs an '@'; neither part may hold
// spaces, control characters, '?', '&' or '#'. failure: as for ShellOpen.
int ShellOpenMail(std::string_view address, std::string_view subject,
                  std::string* failure = nullptr);

// Answers what ShellOpen would refuse the address with, or shell_open::Opened when it is fine.
int CheckShellUrl(std::string_view url);

// Replaces the opener (tests record the addresses instead of starting a browser); it answers
// whether it could open the address. nullptr brings back xdg-open.
void SetUrlOpener(std::function<bool(const std::string& url)> opener);

}  // namespace zem::win
