#pragma once
// Which kind of value a control's picture shows, so a control can pick the formatter: number
// ("n..."), string ("s..."), date ("d...") or time ("t..."), with or without a leading "@",
// either case.
#include <string_view>

namespace zem::runtime {

// DateValue and TimeValue: plain Date and Time would shadow the date types beside them.
enum class PictureKind { Unknown, Number, String, DateValue, TimeValue };

PictureKind KindOfPicture(std::string_view picture);

}  // namespace zem::runtime
