#pragma once
// Display pictures for numbers: "n_10.2", "n-14", "n3", "n_8.2~ %~", "n_10B" and the like.
//   [@] n [-] [fill] width [.decimals] [~literal~] [B]
// width counts every character of the number (sign, digits, point, commas) but not the literal.
// fill "_" pads with blanks and groups no thousands; "0" pads with zeros after the sign and
// groups no thousands; none pads with blanks and groups thousands with ",". A "-" before the
// fill is accepted (a leading minus is always shown for negative values). The text between "~"
// follows the number. A number wider than the picture is shown whole, never cut. A final "B"
// shows a value that rounds to zero as blanks of the picture's width, without the literal.
// Rounding is half away from zero on the shortest decimal text of the value, so 2.675 shows as
// 2.68 although the double holding it is a little below 2.675. A value that rounds to zero
// shows no minus.
#include <optional>
#include <string>
#include <string_view>

namespace zem::runtime {

// A picture that can't be read shows the value with all its digits and no padding.
std::string FormatNumber(double value, std::string_view picture);

// Reads text typed or shown in a number picture back into a value: blanks, grouping commas, a
// leading sign and the picture's literal (which may be left out) are accepted; blank text is
// zero, like a cleared field. nullopt when the text is no number. The value is not rounded to
// the picture's decimals.
std::optional<double> DeformatNumber(std::string_view text, std::string_view picture);

// Left-justified, without trailing blanks (the framework's LEFT + CLIP).
std::string Trimmed(std::string_view text);

}  // namespace zem::runtime
