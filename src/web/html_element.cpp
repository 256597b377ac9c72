#include "web/html_element.h"

#include <algorithm>
#include <cstring>

#include "web/entity_table.h"
#include "web/html_chars.h"

namespace zem::HTML {

void Attribute::SetValue(std::string_view written) {
    std::size_t begin = 0;
    std::size_t end = written.size();
    while (begin < end && written[begin] == ' ') ++begin;
    while (end > begin && written[end - 1] == ' ') --end;

    // Most values are stored as written.
    const std::size_t special = chars::Skip(written.data(), begin, end, chars::kPlainValue);
    if (special == end) {
        value_.assign(written.data() + begin, std::min(end - begin, kMaxText));
        return;
    }
    // The value only shrinks, so the cut is known before decoding.
    value_.resize(std::min(end - begin, kMaxText));
    char* const out = value_.data();
    const std::size_t room = value_.size();
    std::size_t n = 0;
    std::size_t i = begin;
    while (i < end && n < room) {
        const std::size_t plain = chars::Skip(written.data(), i, end, chars::kPlainValue);
        const std::size_t take = std::min(plain - i, room - n);
        std::memcpy(out + n, written.data() + i, take);
        n += take;
        i += take;
        if (i == end || n == room) break;

        if (written[i] == '&') {
            std::uint8_t byte = 0;
            const std::size_t length = EntityTable::Decode(written.substr(i, end - i), byte);
            // An "&" that starts no reference stays in a value.
            out[n++] = length ? static_cast<char>(byte) : '&';
            i += length ? length : 1;
        } else {
            out[n++] = ' ';  // a TAB, a CR LF pair or a lone CR
            i += (written[i] == '\r' && i + 1 < end && written[i + 1] == '\n') ? 2 : 1;
        }
    }
    value_.resize(n);
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
