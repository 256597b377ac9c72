#include "platform/runtime/date_pictures.h"

#include <charconv>
#include <system_error>

#include "platform/runtime/clock.h"

namespace zem::runtime {
namespace {

// Classification on unsigned bytes and ASCII only, whatever the locale.
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(static_cast<unsigned char>(a[i])) != Lower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// The number after the letter of a date or time picture: "@d17B" -> 17; 0 when unreadable.
int PictureNumber(std::string_view picture, char letter) {
    if (picture.starts_with('@')) picture.remove_prefix(1);
    if (picture.empty() || Lower(static_cast<unsigned char>(picture.front())) != letter) return 0;
    picture.remove_prefix(1);
    if (!picture.empty() && (picture.back() == 'B' || picture.back() == 'b')) {
        picture.remove_suffix(1);
    }
    int number = 0;
    const auto [end, error] =
        std::from_chars(picture.data(), picture.data() + picture.size(), number);
    if (error != std::errc() || end != picture.data() + picture.size()) return 0;
    return number;
}

void AppendTwoDigits(std::string& text, int value) {
    text.push_back(static_cast<char>('0' + value / 10 % 10));
    text.push_back(static_cast<char>('0' + value % 10));
}

// Reads through text left to right; every read moves past what it took.
class Cursor {
  public:
    explicit Cursor(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ == text_.size(); }

    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    }

    bool Take(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // A run of 1 to maxDigits digits; digits holds how many there were.
    std::optional<int> Number(std::size_t maxDigits, std::size_t& digits) {
        const std::size_t begin = pos_;
        while (pos_ < text_.size() && IsDigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        digits = pos_ - begin;
        if (digits == 0 || digits > maxDigits) return std::nullopt;
        int value = 0;
        for (std::size_t i = begin; i < pos_; ++i) value = value * 10 + (text_[i] - '0');
        return value;
    }

    std::optional<int> Number(std::size_t maxDigits) {
        std::size_t digits = 0;
        return Number(maxDigits, digits);
    }

    std::string_view Word() {
        const std::size_t begin = pos_;
        while (pos_ < text_.size() && IsLetter(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        return text_.substr(begin, pos_ - begin);
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

int FullYear(int year, std::size_t digits) {
    if (digits > 2) return year;
    const int today = CalendarFromDate(Today()).value_or(CalendarDate{2000, 1, 1}).year;
    const int first = today + 20 - 99;
    return first + ((year - first) % 100 + 100) % 100;
}

std::optional<Date> Numeric(std::string_view text) {
    Cursor cursor(text);
    const std::optional<int> month = cursor.Number(2);
    if (!month) return std::nullopt;
    const auto separator = [&cursor] {
        return cursor.Take('/') || cursor.Take('-') || cursor.Take('.');
    };
    if (!separator()) return std::nullopt;
    const std::optional<int> day = cursor.Number(2);
    if (!day || !separator()) return std::nullopt;
    std::size_t digits = 0;
    const std::optional<int> year = cursor.Number(4, digits);
    if (!year || digits == 3 || !cursor.AtEnd()) return std::nullopt;
    return DateFromCalendar(FullYear(*year, digits), *month, *day);
}

int MonthFromName(std::string_view word) {
    for (int month = 1; month <= 12; ++month) {
        const std::string_view name = MonthName(month);
        if (SameLetters(word, name) || (word.size() == 3 && SameLetters(word, name.substr(0, 3)))) {
            return month;
        }
    }
    return 0;
}

std::optional<Date> Long(std::string_view text) {
    Cursor cursor(text);
    const int month = MonthFromName(cursor.Word());
    if (month == 0) return std::nullopt;
    cursor.Take('.');
    cursor.SkipBlanks();
    const std::optional<int> day = cursor.Number(2);
    if (!day) return std::nullopt;
    cursor.SkipBlanks();
    cursor.Take(',');
    cursor.SkipBlanks();
    std::size_t digits = 0;
    const std::optional<int> year = cursor.Number(4, digits);
    if (!year || digits == 3 || !cursor.AtEnd()) return std::nullopt;
    return DateFromCalendar(FullYear(*year, digits), month, *day);
}

}  // namespace

std::string FormatDate(Date date, std::string_view picture) {
    const std::optional<CalendarDate> calendar = CalendarFromDate(date);
    if (!calendar) return {};
    std::string shown;
    switch (PictureNumber(picture, 'd')) {
        case 17:
            shown = MonthName(calendar->month);
            shown += ' ';
            shown += std::to_string(calendar->day);
            shown += ", ";
            shown += std::to_string(calendar->year);
            return shown;
        case 1:
            AppendTwoDigits(shown, calendar->month);
            shown += '/';
            AppendTwoDigits(shown, calendar->day);
            shown += '/';
            AppendTwoDigits(shown, calendar->year % 100);
            return shown;
        default:  // "d2" and pictures that can't be read
            AppendTwoDigits(shown, calendar->month);
            shown += '/';
            AppendTwoDigits(shown, calendar->day);
            shown += '/';
            shown += std::to_string(calendar->year);
            return shown;
    }
}

std::string FormatTime(Time time, std::string_view picture) {
    const std::optional<ClockTime> clock = ClockFromTime(time);
    if (!clock) return {};
    std::string shown;
    switch (PictureNumber(picture, 't')) {
        case 8: {
            const int hour = clock->hours % 12 == 0 ? 12 : clock->hours % 12;
            shown = std::to_string(hour);
            shown += ':';
            AppendTwoDigits(shown, clock->minutes);
            shown += ':';
            AppendTwoDigits(shown, clock->seconds);
            shown += clock->hours < 12 ? " AM" : " PM";
            return shown;
        }
        case 1:
            AppendTwoDigits(shown, clock->hours);
            shown += ':';
            AppendTwoDigits(shown, clock->minutes);
            return shown;
        default:  // "t4" and pictures that can't be read
            AppendTwoDigits(shown, clock->hours);
            shown += ':';
            AppendTwoDigits(shown, clock->minutes);
            shown += ':';
            AppendTwoDigits(shown, clock->seconds);
            return shown;
    }
}

std::optional<Date> DeformatDate(std::string_view text, std::string_view /*picture*/) {
    const std::string_view rest = TrimBlanks(text);
    if (rest.empty()) return Date{0};
    if (IsDigit(static_cast<unsigned char>(rest.front()))) return Numeric(rest);
    return Long(rest);
}

std::optional<Time> DeformatTime(std::string_view text, std::string_view /*picture*/) {
    const std::string_view rest = TrimBlanks(text);
    if (rest.empty()) return Time{0};
    Cursor cursor(rest);
    const std::optional<int> hours = cursor.Number(2);
    if (!hours || !cursor.Take(':')) return std::nullopt;
    std::size_t digits = 0;
    const std::optional<int> minutes = cursor.Number(2, digits);
    if (!minutes || digits != 2) return std::nullopt;
    int seconds = 0;
    if (cursor.Take(':')) {
        const std::optional<int> read = cursor.Number(2, digits);
        if (!read || digits != 2) return std::nullopt;
        seconds = *read;
    }
    cursor.SkipBlanks();
    const std::string_view marker = cursor.Word();
    if (!cursor.AtEnd()) return std::nullopt;
    int hour = *hours;
    if (!marker.empty()) {
        const bool am = SameLetters(marker, "am") || SameLetters(marker, "a");
        const bool pm = SameLetters(marker, "pm") || SameLetters(marker, "p");
        if ((!am && !pm) || hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    return TimeFromClock(hour, *minutes, seconds);
}

}  // namespace zem::runtime
