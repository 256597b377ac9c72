#pragma once
// The connection settings every long job hands its pager, read from the configuration record
// and the user agent it names, through the calling thread's dictionary.
#include <cstdint>

#include "web/info.h"

namespace zem::research {

// Fills info from the Sysinfo record and its Browsers row (both left in the thread's buffers).
// Answers 0 when the settings were read and 3 when they could not be: a missing or unreadable
// Sysinfo record is reported here, a missing user agent by its table manager.
std::uint8_t LoadPagerSettings(HTTP::INFO& info);

}  // namespace zem::research
