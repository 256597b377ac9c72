#pragma once
// The program's start until it has windows: open (or create and seed) the data file in the
// working directory, compute Japanese mode and list the stores.
#include <ostream>

namespace zem::shell {

inline constexpr const char* kDataFileName = "zembrola.cfg";

// Runs on framework thread 1. Answers the process exit code: 0, or 2 when the data file can't
// be opened (the reason goes to the error stream).
int ConsoleStart(std::ostream& out, std::ostream& err);

}  // namespace zem::shell
