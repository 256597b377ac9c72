#include "web/html_element.h"

#include <algorithm>
#include <cstring>

#include "platform/runtime/code_pages.h"
#include "web/entity_table.h"
#include "web/html_chars.h"

namespace zem::HTML {

void Attribute::SetValue(std::string_view written) {
    std::size_t begin = 0;
    std::size_t end = written.size();
    while (begin < end && written[begin] == ' ') ++begin;
    while (end > begin && written[end - 1] == ' ') --end;
    const std::string_view value = written.substr(begin, end - begin);

    // Most values are stored as written.
    const std::size_t special = chars::Skip(value.data(), 0, value.size(), chars::kPlainValue);
    if (special == value.size()) {
        value_.assign(value.data(), runtime::Utf8FittingLength(value, kMaxText));
        return;
    }
    // The value only shrinks: a reference is never shorter than its character in UTF-8.
    value_.resize(value.size());
    char* const out = value_.data();
    std::size_t n = 0;
    std::size_t i = 0;
    while (i < value.size()) {
        const std::size_t plain = chars::Skip(value.data(), i, value.size(), chars::kPlainValue);
        std::memcpy(out + n, value.data() + i, plain - i);
        n += plain - i;
        i = plain;
        if (i == value.size() || n >= kMaxText) break;

        if (value[i] == '&') {
            char32_t character = 0;
            const std::size_t length = EntityTable::Decode(value.substr(i), character);
            // An "&" that starts no reference stays in a value.
            if (length) {
                n += runtime::EncodeUtf8(character, out + n);
            } else {
                out[n++] = '&';
            }
            i += length ? length : 1;
        } else {
            out[n++] = ' ';  // a TAB, a CR LF pair or a lone CR
            i += (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ? 2 : 1;
        }
    }
    // Cut where a character ends, never inside one.
    value_.resize(runtime::Utf8FittingLength({out, n}, kMaxText));
}

std::size_t AttributeList::Find(std::string_view name) const {
    const auto it = std::lower_bound(
        order_.begin(), order_.end(), name,
        [this](std::uint32_t slot, std::string_view n) { return slots_[slot].Name() < n; });
    if (it == order_.end() || slots_[*it].Name() != name) return 0;
    return static_cast<std::size_t>(it - order_.begin()) + 1;
}

std::string_view AttributeList::GetValue(std::string_view name) const {
    return GetValueAt(Find(name));
}

std::string_view AttributeList::GetValueAt(std::size_t position) const {
    if (position == 0 || position > Count()) return {};
    return At(position - 1).Value();
}

std::string_view AttributeList::GetNameAt(std::size_t position) const {
    if (position == 0 || position > Count()) return {};
    return At(position - 1).Name();
}

Attribute& AttributeList::Append() {
    const std::size_t slot = order_.size();
    if (slot == slots_.size()) slots_.emplace_back();
    order_.push_back(static_cast<std::uint32_t>(slot));
    return slots_[slot];
}

void AttributeList::Add(Attribute attribute) {
    Append() = std::move(attribute);
    // Placed after every entry of the same name, so equal names keep the order they came in.
    const std::uint32_t added = order_.back();
    const auto at = std::upper_bound(
        order_.begin(), order_.end() - 1, slots_[added].Name(),
        [this](std::string_view n, std::uint32_t slot) { return n < slots_[slot].Name(); });
    std::rotate(at, order_.end() - 1, order_.end());
}

void AttributeList::Sort() {
    if (order_.size() < 2) return;
    // Slots are numbered in the order written, so ties on the name keep that order.
    std::sort(order_.begin(), order_.end(), [this](std::uint32_t a, std::uint32_t b) {
        const int c = slots_[a].Name().compare(slots_[b].Name());
        return c < 0 || (c == 0 && a < b);
    });
}

}  // namespace zem::HTML
