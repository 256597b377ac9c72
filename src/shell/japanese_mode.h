#pragma once
// Japanese mode: when the Amazon JP store is active, windows default to the Shift-JIS character
// set and the routers open the J variants.
#include <atomic>
#include <cstdint>

#include "platform/runtime/code_pages.h"

namespace zem::shell {

inline constexpr std::int32_t kSiteJapan = 16;
inline constexpr std::uint8_t kShiftJisCharset = 128;

// The code page of a window of that character set: Shift-JIS for 128, code page 1252 otherwise.
constexpr runtime::CodePage CodePageOfCharset(int charset) {
    return charset == kShiftJisCharset ? runtime::CodePage::ShiftJis : runtime::CodePage::Ansi;
}

// 128 or 0; read by the routers on any thread.
extern std::atomic<std::uint8_t> JPMode;

// 128 when the Sites row of Amazon JP exists and is active, else 0 (also when Sites can't be
// read). Uses this thread's dictionary.
std::uint8_t GetJPMode();

// 1 when no store other than Amazon JP is active, 0 as soon as one is.
std::uint8_t CheckLocalization();

}  // namespace zem::shell
