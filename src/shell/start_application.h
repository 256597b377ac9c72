#pragma once
// The program's entry on framework thread 1 and its end: the global service objects, the main
// thread's dictionary, Japanese mode and the desktop's drag setting around the frame's run.
#include <functional>
#include <string_view>

namespace zem::shell {

inline constexpr const char* kDataFileName = "zembrola.cfg";
inline constexpr const char* kIniFileName = "quorel.ini";

// Start-up, the frame and shut-down, in the working directory (the data directory). Answers the
// exit code: 0, or 2 when the data file can't be used (the user was told why and nothing was
// written to the file), which includes another running program holding the data directory.
int RunApplication();

// RunApplication, then the end of the process with its code. Never returns.
[[noreturn]] void StartApplication();

// Tests follow start-up and shut-down step by step: each step's name as it runs.
void SetStartupObserver(std::function<void(std::string_view step)> observer);

}  // namespace zem::shell
