#pragma once
// Texts in the two code pages the windows show, code page 1252 and Shift-JIS, converted from
// and to UTF-8 where text enters or leaves the program (web replies in, request URLs out).
// Conversions run through iconv with one converter per direction and thread, opened on first
// use and kept; texts of plain ASCII are copied without a conversion.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zem::runtime {

enum class CodePage : std::uint8_t {
    Ansi,      // code page 1252: the windows of character set 0
    ShiftJis,  // Shift-JIS as code page 932 writes it: the windows of character set 128
};

// The UTF-8 text in the code page, at most limit bytes, never ending inside a character. A
// character the code page lacks, and bytes that form no UTF-8 character, become "?". In Shift-JIS
// the yen sign is the full-width yen 0x81 0x8F, which Shift-JIS windows show as a yen; its
// one-byte 0x5C shows as a backslash there.
std::string FromUtf8(std::string_view utf8, CodePage to, std::size_t limit = std::string::npos);

// The code-page text as UTF-8; a byte (or byte pair) the code page does not define becomes "?".
std::string ToUtf8(std::string_view text, CodePage from);

// The text, written in the charset a page names ("ISO-8859-1", "Shift_JIS", "EUC-JP"), as UTF-8
// into out; bytes the charset does not define become "?". Answers false and leaves out alone when
// the name is UTF-8's or names no charset known here, and when the text is ASCII in a charset
// that writes ASCII as UTF-8 does. Names are matched without regard to case;
// ISO-8859-1 and US-ASCII are read as code page 1252 and Shift_JIS as code page 932, as browsers
// read them.
bool CharsetToUtf8(std::string_view text, std::string_view charset, std::string& out);

// The length of the longest start of text within limit bytes that ends on a character boundary
// of the code page (in Shift-JIS never between the two bytes of a character).
std::size_t FittingLength(std::string_view text, std::size_t limit, CodePage codePage);

// The same for UTF-8 text: the longest start within limit bytes that does not end inside a
// character.
std::size_t Utf8FittingLength(std::string_view utf8, std::size_t limit);

// Writes the UTF-8 form of a code point (1 to 4 bytes) to out and answers its length. A value
// that is no character (a surrogate, beyond U+10FFFF) is written as U+FFFD.
std::size_t EncodeUtf8(char32_t codePoint, char* out);

// True when every byte of the text is below 0x80.
bool IsAscii(std::string_view text);

}  // namespace zem::runtime
