#pragma once
// Runs a text through the markup parser into a handler, as the owners do: the text copied into
// a buffer of its own with a NUL after it.
#include <cstdint>
#include <string_view>
#include <vector>

#include "web/html_parser.h"

namespace zem::test {

inline std::uint32_t ParseText(HTML::EventHandler& handler, std::string_view text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    HTML::Parser parser;
    parser.SetHandler(&handler);
    return parser.Parse(buffer);
}

}  // namespace zem::test
