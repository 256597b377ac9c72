#pragma once
// The text log "ZEMBROLA.LOG" in the working directory (the program's data directory): one line
// per call, the file opened, appended to and closed for every line, so several loaders on
// several threads can write at once. A line that can't be written is lost silently.
#include <cstddef>
#include <string_view>

namespace zem::HTTP {

class LogWriter {
  public:
    static constexpr const char* kFileName = "ZEMBROLA.LOG";
    // A line is cut at this many bytes; its line end ("\n") comes after them.
    static constexpr std::size_t kLineLimit = 256;

    // Appends text as one line; the file is created when missing. Never reports a failure.
    void WriteLog(std::string_view text) const noexcept;
};

}  // namespace zem::HTTP
