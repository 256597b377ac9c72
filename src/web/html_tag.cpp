// Reading one tag at a "<": its name, its attributes and whether it starts or ends an element.
#include <cstring>
#include <string_view>

#include "web/html_chars.h"
#include "web/html_parser.h"

namespace zem::HTML {
namespace {

using chars::IsLetter;
using chars::IsSpace;

std::size_t SkipSpace(const char* text, std::size_t i, std::size_t length) {
    return chars::Skip(text, i, length, chars::kSpace);
}

std::size_t SkipName(const char* text, std::size_t i, std::size_t length) {
    return chars::Skip(text, i, length, chars::kNameChar);
}

}  // namespace

bool Parser::ReadTag(std::size_t at) {
    start_ = end_ = false;
    element_.Clear();
    const char* const s = text_;
    const std::size_t n = length_;
    std::size_t i = at + 1;
    if (s[i] == '>') {  // "<>" is read and reports nothing
        position_ = i + 1;
        return true;
    }
    const bool endTag = s[i] == '/';
    if (endTag) {
        ++i;
    } else if (!IsLetter(s[i])) {
        return false;
    }
    const std::size_t name = i;
    i = SkipName(s, i, n);
    if (i == n || (s[i] != '>' && !IsSpace(s[i]))) return false;
    element_.SetNameInText({s + name, i - name});

    if (endTag || s[i] == '>') {
        if (s[i] != '>') return false;  // no white space before the ">" of an end tag
        (endTag ? end_ : start_) = true;
        position_ = i + 1;
        return true;
    }
    i = ReadAttributes(SkipSpace(s, i, n));
    // A tag read from any of these attributes on runs into the same end: each is read once.
    if (i == kFails) {
        MarkFailedAttributes();
        return false;
    }
    i = SkipSpace(s, i, n);
    const bool empty = i < n && s[i] == '/';
    if (empty) ++i;
    if (i == n || s[i] != '>') {
        MarkFailedAttributes();
        return false;
    }
    element_.ATTRIBUTES.Sort();
    // An empty element is reported as its end only, with its attributes.
    (empty ? end_ : start_) = true;
    position_ = i + 1;
    return true;
}

// Reads attributes until one can't be read, and answers where that one began. The list is
// sorted once the tag is known to be one.
std::size_t Parser::ReadAttributes(std::size_t from) {
    AttributeList& list = element_.ATTRIBUTES;
    const char* const s = text_;
    const std::size_t n = length_;
    std::size_t i = from;
    attributeStarts_.clear();
    while (true) {
        i = SkipSpace(s, i, n);
        if (i == n || !IsLetter(s[i])) break;
        if (marking_ && failedStarts_[i]) return kFails;
        attributeStarts_.push_back(static_cast<std::uint32_t>(i));
        ++attributesRead_;
        const std::size_t nameEnd = SkipName(s, i + 1, n);
        if (nameEnd < n && !IsSpace(s[nameEnd]) && s[nameEnd] != '=' && s[nameEnd] != '>' &&
            s[nameEnd] != '/') {
            break;
        }
        Attribute& attribute = list.Append();
        attribute.SetName({s + i, nameEnd - i});

        std::size_t j = SkipSpace(s, nameEnd, n);
        if (j == n || s[j] != '=') {
            attribute.SetRawValue({});
            i = j;
            continue;
        }
        j = SkipSpace(s, j + 1, n);
        std::size_t valueEnd = j;
        if (j < n && (s[j] == '"' || s[j] == '\'')) {
            const char quote = s[j++];
            const void* close = std::memchr(s + j, quote, n - j);
            valueEnd = close ? static_cast<std::size_t>(static_cast<const char*>(close) - s) : n;
            i = close ? valueEnd + 1 : n;
        } else {
            valueEnd = chars::Skip(s, j, n, chars::kUnquoted);
            // A "/" right before the ">" closes an empty element and is no part of the value;
            // one before white space ends the value, as in href=http://host/ class=l.
            if (valueEnd > j && valueEnd < n && s[valueEnd] == '>' && s[valueEnd - 1] == '/')
                --valueEnd;
            i = valueEnd;
        }
        attribute.SetValue({s + j, valueEnd - j});
    }
    return i;
}

void Parser::MarkFailedAttributes() {
    if (attributeStarts_.empty()) return;
    if (!marking_) {
        // Kept from parse to parse, like the other buffers; cleared once for each parse.
        failedStarts_.assign(length_, 0);
        marking_ = true;
    }
    for (const std::uint32_t start : attributeStarts_) failedStarts_[start] = 1;
}

}  // namespace zem::HTML
