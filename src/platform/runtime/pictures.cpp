#include "platform/runtime/pictures.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace zem::runtime {
namespace {

// Limits that keep a mistyped picture from asking for absurd amounts of padding.
constexpr int kMaxWidth = 255;
constexpr int kMaxDecimals = 30;

struct Picture {
    bool zeroFill = false;
    bool grouping = true;
    bool blankZero = false;
    int width = 0;
    int decimals = 0;
    std::string_view suffix;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a run of digits at pos; false when the run is empty or larger than limit.
bool ReadCount(std::string_view text, std::size_t& pos, int limit, int& count) {
    const std::size_t begin = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    if (pos == begin) return false;
    const auto [end, error] = std::from_chars(text.data() + begin, text.data() + pos, count);
    return error == std::errc() && count <= limit;
}

std::optional<Picture> ParsePicture(std::string_view text) {
    Picture picture;
    std::size_t pos = 0;
    if (pos < text.size() && text[pos] == '@') ++pos;
    if (pos >= text.size() || (text[pos] != 'n' && text[pos] != 'N')) return std::nullopt;
    ++pos;
    // Negative values always carry a leading minus, so the sign mark changes nothing.
    if (pos < text.size() && text[pos] == '-') ++pos;
    if (pos < text.size() && text[pos] == '_') {
        picture.grouping = false;
        ++pos;
    } else if (pos + 1 < text.size() && text[pos] == '0' && IsDigit(text[pos + 1])) {
        // Zero fill: a leading 0 followed by the width. Thousands commas between the zeros
        // would read like digits, so zero-filled numbers are not grouped.
        picture.zeroFill = true;
        picture.grouping = false;
        ++pos;
    }
    if (pos < text.size() && IsDigit(text[pos]) &&
        !ReadCount(text, pos, kMaxWidth, picture.width)) {
        return std::nullopt;
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        if (!ReadCount(text, pos, kMaxDecimals, picture.decimals)) return std::nullopt;
    }
    if (pos < text.size() && text[pos] == '~') {
        const std::size_t close = text.find('~', pos + 1);
        if (close == std::string_view::npos) return std::nullopt;
        picture.suffix = text.substr(pos + 1, close - pos - 1);
        pos = close + 1;
    }
    if (pos < text.size() && (text[pos] == 'B' || text[pos] == 'b')) {
        picture.blankZero = true;
        ++pos;
    }
    if (pos != text.size()) return std::nullopt;
    return picture;
}

// The shortest decimal text that reads back as magnitude: the digits a user would say the
// value has. Rounding works on this text, so 2.675 (stored as 2.67499999...) rounds to 2.68.
std::string ShortestDecimal(double magnitude) {
    // A double in fixed notation needs at most 309 integer digits or 326 fraction characters.
    std::array<char, 400> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                            std::chars_format::fixed);
    if (error != std::errc()) return "0";
    return std::string(buffer.data(), end);
}

// Rounds the digits half away from zero to the given number of decimals.
void RoundDigits(std::string& integer, std::string& fraction, int decimals) {
    const auto kept = static_cast<std::size_t>(decimals);
    if (fraction.size() <= kept) {
        fraction.append(kept - fraction.size(), '0');
        return;
    }
    const bool up = fraction[kept] >= '5';
    fraction.resize(kept);
    if (!up) return;
    for (auto digit = fraction.rbegin(); digit != fraction.rend(); ++digit) {
        if (*digit != '9') {
            ++*digit;
            return;
        }
        *digit = '0';
    }
    for (auto digit = integer.rbegin(); digit != integer.rend(); ++digit) {
        if (*digit != '9') {
            ++*digit;
            return;
        }
        *digit = '0';
    }
    integer.insert(integer.begin(), '1');
}

std::string Grouped(const std::string& integer) {
    std::string grouped;
    grouped.reserve(integer.size() + integer.size() / 3);
    for (std::size_t i = 0; i < integer.size(); ++i) {
        if (i > 0 && (integer.size() - i) % 3 == 0) grouped.push_back(',');
        grouped.push_back(integer[i]);
    }
    return grouped;
}

bool AllZero(std::string_view digits) {
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0'; });
}

std::string Format(double value, const Picture& picture) {
    const std::string text = ShortestDecimal(std::fabs(value));
    const std::size_t point = text.find('.');
    std::string integer = text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    RoundDigits(integer, fraction, picture.decimals);
    if (picture.blankZero && AllZero(integer) && AllZero(fraction)) {
        return std::string(static_cast<std::size_t>(picture.width), ' ');
    }

    // A value that rounds to zero shows no minus, whatever its sign was.
    const bool negative = std::signbit(value) && !(AllZero(integer) && AllZero(fraction));
    std::string digits = picture.grouping ? Grouped(integer) : integer;
    if (!fraction.empty()) digits += "." + fraction;

    const std::size_t length = digits.size() + (negative ? 1 : 0);
    const std::size_t width = static_cast<std::size_t>(picture.width);
    const std::size_t padding = width > length ? width - length : 0;

    std::string shown;
    shown.reserve(std::max(width, length) + picture.suffix.size());
    if (picture.zeroFill) {
        if (negative) shown.push_back('-');
        shown.append(padding, '0');
    } else {
        shown.append(padding, ' ');
        if (negative) shown.push_back('-');
    }
    shown += digits;
    shown += picture.suffix;
    return shown;
}

std::string_view TrimmedView(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string FormatNumber(double value, std::string_view picture) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    }
    if (const auto parsed = ParsePicture(picture)) return Format(value, *parsed);
    // A picture that can't be read still shows the number, with all the digits it has.
    std::string text = ShortestDecimal(std::fabs(value));
    if (std::signbit(value) && value != 0) text.insert(text.begin(), '-');
    return text;
}

std::optional<double> DeformatNumber(std::string_view text, std::string_view picture) {
    std::string_view rest = TrimmedView(text);
    if (const auto parsed = ParsePicture(picture)) {
        // The literal is optional: a user typing into the field leaves it out.
        const std::string_view suffix = TrimmedView(parsed->suffix);
        if (!suffix.empty() && rest.ends_with(suffix)) {
            rest = TrimmedView(rest.substr(0, rest.size() - suffix.size()));
        }
    }
    // A cleared field holds zero.
    if (rest.empty()) return 0.0;

    bool negative = false;
    if (rest.front() == '-' || rest.front() == '+') {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    std::string digits;
    bool seenPoint = false;
    bool seenDigit = false;
    for (const char c : rest) {
        if (IsDigit(c)) {
            digits.push_back(c);
            seenDigit = true;
        } else if (c == ',' && seenDigit && !seenPoint) {
            // Thousands separators belong to the integer part only.
        } else if (c == '.' && !seenPoint) {
            digits.push_back(c);
            seenPoint = true;
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit) return std::nullopt;

    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                              std::chars_format::fixed);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    if (value == 0) return 0.0;
    return negative ? -value : value;
}

std::string Trimmed(std::string_view text) {
    return std::string(TrimmedView(text));
}

}  // namespace zem::runtime
