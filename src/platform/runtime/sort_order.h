#pragma once
// Sort orders of in-memory queues: one or more key fields, each ascending or descending, given
// as member pointers or as functions of the record:
//   SortOrder<Row> byNode{Ascending(&Row::NODE), Descending(&Row::PARENT)};
//   SortOrder<Row> byName{Ascending<Row>([](const Row& row) { return std::string_view(row.NAME);
//   })};
// Numbers compare by value. Text (char arrays, std::string, anything that reads as a
// string_view) compares byte by byte as unsigned bytes, case counts, and trailing blanks are
// ignored, so a blank-padded field equals its clipped value; a char array ends at its first NUL.
#include <algorithm>
#include <compare>
#include <cstddef>
#include <functional>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace zem::runtime {

namespace sort_detail {

inline std::string_view Clipped(std::string_view text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

inline int Sign(int compared) {
    return compared < 0 ? -1 : (compared > 0 ? 1 : 0);
}

template <class Value>
int CompareValues(const Value& a, const Value& b) {
    using Plain = std::remove_cvref_t<Value>;
    if constexpr (std::is_array_v<Plain>) {
        static_assert(std::is_same_v<std::remove_cv_t<std::remove_extent_t<Plain>>, char>,
                      "array key fields must be char text");
        constexpr std::size_t size = std::extent_v<Plain>;
        const std::string_view left(a, static_cast<std::size_t>(std::find(a, a + size, '\0') - a));
        const std::string_view right(b, static_cast<std::size_t>(std::find(b, b + size, '\0') - b));
        // string_view compares chars as unsigned bytes.
        return Sign(Clipped(left).compare(Clipped(right)));
    } else if constexpr (std::is_convertible_v<const Plain&, std::string_view>) {
        return Sign(Clipped(std::string_view(a)).compare(Clipped(std::string_view(b))));
    } else {
        const auto order = a <=> b;
        // Values that are not ordered (a NaN) count as equal rather than breaking the sort.
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
}

}  // namespace sort_detail

template <class Record>
class KeyField {
  public:
    using Compare = std::function<int(const Record&, const Record&)>;

    KeyField(Compare compare, bool descending)
        : compare_(std::move(compare)), descending_(descending) {}

    // Negative, zero or positive as a sorts before, with or after b in this field.
    int operator()(const Record& a, const Record& b) const {
        const int result = compare_(a, b);
        return descending_ ? -result : result;
    }

  private:
    Compare compare_;
    bool descending_;
};

template <class Record>
using SortOrder = std::vector<KeyField<Record>>;

template <class Record, class Extract>
KeyField<Record> Ascending(Extract extract, bool descending = false) {
    static_assert(std::is_invocable_v<const Extract&, const Record&>,
                  "a key field is a member pointer or a function of the record");
    return KeyField<Record>(
        [extract = std::move(extract)](const Record& a, const Record& b) {
            return sort_detail::CompareValues(std::invoke(extract, a), std::invoke(extract, b));
        },
        descending);
}

template <class Record, class Field>
KeyField<Record> Ascending(Field Record::*member) {
    return Ascending<Record, Field Record::*>(member);
}

template <class Record, class Extract>
KeyField<Record> Descending(Extract extract) {
    return Ascending<Record>(std::move(extract), true);
}

template <class Record, class Field>
KeyField<Record> Descending(Field Record::*member) {
    return Ascending<Record, Field Record::*>(member, true);
}

// Compares two records field by field in the order's sequence.
template <class Record>
int CompareRecords(const SortOrder<Record>& order, const Record& a, const Record& b) {
    for (const KeyField<Record>& field : order) {
        if (const int result = field(a, b); result != 0) return result;
    }
    return 0;
}

}  // namespace zem::runtime
