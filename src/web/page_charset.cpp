#include "web/page_charset.h"

#include <algorithm>

#include "web/html_chars.h"

namespace zem::web {
namespace {

using HTML::chars::IsSpace;
using HTML::chars::ToLower;

// The position of the first occurrence of lowerNeedle in text, letter case aside; npos if none.
std::size_t FindIgnoringCase(std::string_view text, std::string_view lowerNeedle,
                             std::size_t from = 0) {
    const auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                                lowerNeedle.begin(), lowerNeedle.end(),
                                [](char a, char b) { return ToLower(a) == b; });
    return it == text.end() ? std::string_view::npos : static_cast<std::size_t>(it - text.begin());
}

bool IsNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == ':';
}

// The value after a key ("encoding", "charset") at position at: blanks, "=", blanks, then the
// name, quoted or not.
std::string_view ValueAfter(std::string_view text, std::size_t at) {
    std::size_t i = at;
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (i == text.size() || text[i] != '=') return {};
    ++i;
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (i < text.size() && (text[i] == '"' || text[i] == '\'')) ++i;
    const std::size_t begin = i;
    while (i < text.size() && IsNameCharacter(text[i])) ++i;
    return text.substr(begin, i - begin);
}

std::string_view XmlEncoding(std::string_view page) {
    std::size_t start = 0;
    while (start < page.size() && IsSpace(page[start])) ++start;
    if (page.substr(start, 5) != "<?xml") return {};
    const std::string_view declaration =
        page.substr(start, page.find("?>", start) - start);  // to the end when unclosed
    const std::size_t key = declaration.find("encoding");
    if (key == std::string_view::npos) return {};
    return ValueAfter(declaration, key + 8);
}

std::string_view MetaCharset(std::string_view head) {
    for (std::size_t meta = FindIgnoringCase(head, "<meta"); meta != std::string_view::npos;
         meta = FindIgnoringCase(head, "<meta", meta + 5)) {
        const std::string_view tag = head.substr(meta, head.find('>', meta) - meta);
        const std::size_t key = FindIgnoringCase(tag, "charset");
        if (key == std::string_view::npos) continue;
        const std::string_view name = ValueAfter(tag, key + 7);
        if (!name.empty()) return name;
    }
    return {};
}

}  // namespace

std::string_view DeclaredCharset(std::string_view page) {
    if (page.starts_with("\xEF\xBB\xBF")) return "UTF-8";
    const std::string_view head = page.substr(0, kCharsetScanLength);
    if (const std::string_view encoding = XmlEncoding(head); !encoding.empty()) return encoding;
    return MetaCharset(head);
}

}  // namespace zem::web
