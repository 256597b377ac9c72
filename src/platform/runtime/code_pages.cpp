#include "platform/runtime/code_pages.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

namespace zem::runtime {
namespace {

// One iconv conversion descriptor, closed with its owner.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (Valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }
    std::size_t Run(char** in, std::size_t* inLeft, char** out, std::size_t* outLeft) {
        return iconv(cd_, in, inLeft, out, outLeft);
    }

  private:
    iconv_t cd_;
};

// iconv's names of the two code pages, by CodePage.
constexpr std::array<const char*, 2> kIconvNames = {"CP1252", "CP932"};

// The converters of one thread: both code pages in both directions, and the last charset a
// page named.
struct ThreadConverters {
    std::array<std::optional<Converter>, 2> fromUtf8;
    std::array<std::optional<Converter>, 2> toUtf8;
    std::string namedCharset;
    std::unique_ptr<Converter> named;
};

ThreadConverters& Converters() {
    thread_local ThreadConverters converters;
    return converters;
}

Converter& FromUtf8Converter(CodePage to) {
    auto& slot = Converters().fromUtf8[static_cast<std::size_t>(to)];
    if (!slot) slot.emplace(kIconvNames[static_cast<std::size_t>(to)], "UTF-8");
    return *slot;
}

Converter& ToUtf8Converter(CodePage from) {
    auto& slot = Converters().toUtf8[static_cast<std::size_t>(from)];
    if (!slot) slot.emplace("UTF-8", kIconvNames[static_cast<std::size_t>(from)]);
    return *slot;
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

bool IsShiftJisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool IsShiftJisTrail(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// How many bytes the converter skips, as one "?", where it refuses its input.
using RefusedLength = std::size_t (*)(const char* at, std::size_t left);

// A whole UTF-8 character that the code page lacks, or a single byte that starts none.
std::size_t RefusedUtf8(const char* at, std::size_t left) {
    const auto lead = static_cast<unsigned char>(at[0]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length > left) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if (!IsContinuation(static_cast<unsigned char>(at[i]))) return 1;
    return length;
}

// A lead byte with its trail byte counts as one undefined character.
std::size_t RefusedShiftJis(const char* at, std::size_t left) {
    const bool pair = left >= 2 && IsShiftJisLead(static_cast<unsigned char>(at[0])) &&
                      IsShiftJisTrail(static_cast<unsigned char>(at[1]));
    return pair ? 2 : 1;
}

std::size_t RefusedByte(const char*, std::size_t) {
    return 1;
}

RefusedLength RefusedIn(CodePage codePage) {
    return codePage == CodePage::ShiftJis ? RefusedShiftJis : RefusedByte;
}

// Appends in, converted, to out while out stays within limit bytes; iconv never writes part of
// a character, so a character that would cross the limit is left out with everything after it.
// Answers false when the limit stopped the conversion.
bool Convert(Converter& converter, std::string_view in, RefusedLength refused, std::size_t limit,
             std::string& out) {
    converter.Reset();
    char* source = const_cast<char*>(in.data());  // iconv's interface; it never writes there
    std::size_t sourceLeft = in.size();
    std::size_t written = out.size();
    // Room for the usual case; it grows when a text expands more.
    out.resize(std::min(limit, written + in.size() + in.size() / 2 + 8));
    bool complete = true;
    while (sourceLeft > 0) {
        char* target = out.data() + written;
        std::size_t targetLeft = out.size() - written;
        const std::size_t result = converter.Run(&source, &sourceLeft, &target, &targetLeft);
        written = out.size() - targetLeft;
        if (result != static_cast<std::size_t>(-1)) break;
        const int error = errno;
        if (error == E2BIG || written == out.size()) {
            if (out.size() >= limit) {
                complete = false;
                break;
            }
            out.resize(std::min(limit, out.size() * 2 + 16));
            if (error == E2BIG) continue;
        }
        // A character the target lacks (EILSEQ), bytes that are no character (EILSEQ), or a
        // character cut off by the end of the text (EINVAL).
        out[written++] = '?';
        const std::size_t skip = error == EINVAL ? sourceLeft : refused(source, sourceLeft);
        source += skip;
        sourceLeft -= skip;
    }
    out.resize(written);
    return complete;
}

std::string AsciiPrefix(std::string_view text, std::size_t limit) {
    return std::string(text.substr(0, std::min(text.size(), limit)));
}

constexpr std::string_view kYenUtf8 = "\xC2\xA5";
constexpr std::string_view kFullWidthYenShiftJis = "\x81\x8F";

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The name as iconv knows it, or empty for UTF-8 and for names that can't be a charset's.
std::string IconvNameOf(std::string_view charset) {
    while (!charset.empty() && (charset.front() == ' ' || charset.front() == '\t'))
        charset.remove_prefix(1);
    while (!charset.empty() && (charset.back() == ' ' || charset.back() == '\t'))
        charset.remove_suffix(1);
    if (charset.empty() || charset.size() > 40) return {};
    std::string name;
    for (char c : charset) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
        if (!allowed) return {};
        name += LowerAscii(c);
    }
    static constexpr std::string_view kUtf8[] = {"utf-8", "utf8", "unicode-1-1-utf-8"};
    static constexpr std::string_view kCp1252[] = {
        "iso-8859-1", "iso8859-1", "iso_8859-1",   "latin1",   "l1",    "us-ascii",
        "ascii",      "cp1252",    "windows-1252", "x-cp1252", "cp819", "ibm819"};
    static constexpr std::string_view kCp932[] = {"shift_jis", "shift-jis", "sjis",
                                                  "x-sjis",    "ms_kanji",  "csshiftjis",
                                                  "cp932",     "ms932",     "windows-31j"};
    auto in = [&](const auto& names) {
        return std::find(std::begin(names), std::end(names), name) != std::end(names);
    };
    if (in(kUtf8)) return {};
    if (in(kCp1252)) return kIconvNames[static_cast<std::size_t>(CodePage::Ansi)];
    if (in(kCp932)) return kIconvNames[static_cast<std::size_t>(CodePage::ShiftJis)];
    return name;
}

}  // namespace

bool IsAscii(std::string_view text) {
    const char* p = text.data();
    std::size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if (word & 0x8080808080808080ull) return false;
    }
    for (; n > 0; ++p, --n)
        if (static_cast<unsigned char>(*p) & 0x80) return false;
    return true;
}

std::string FromUtf8(std::string_view utf8, CodePage to, std::size_t limit) {
    if (IsAscii(utf8)) return AsciiPrefix(utf8, limit);
    Converter& converter = FromUtf8Converter(to);
    std::string out;
    if (!converter.Valid()) return out;
    if (to != CodePage::ShiftJis) {
        Convert(converter, utf8, RefusedUtf8, limit, out);
        return out;
    }
    // iconv writes the yen sign as 0x5C, which Shift-JIS windows show as a backslash.
    while (true) {
        const std::size_t yen = utf8.find(kYenUtf8);
        if (!Convert(converter, utf8.substr(0, yen), RefusedUtf8, limit, out)) break;
        if (yen == std::string_view::npos) break;
        if (limit - out.size() < kFullWidthYenShiftJis.size()) break;
        out += kFullWidthYenShiftJis;
        utf8.remove_prefix(yen + kYenUtf8.size());
    }
    return out;
}

std::string ToUtf8(std::string_view text, CodePage from) {
    if (IsAscii(text)) return std::string(text);
    Converter& converter = ToUtf8Converter(from);
    std::string out;
    if (converter.Valid()) Convert(converter, text, RefusedIn(from), std::string::npos, out);
    return out;
}

bool CharsetToUtf8(std::string_view text, std::string_view charset, std::string& out) {
    const std::string name = IconvNameOf(charset);
    if (name.empty()) return false;
    for (CodePage codePage : {CodePage::Ansi, CodePage::ShiftJis}) {
        if (name != kIconvNames[static_cast<std::size_t>(codePage)]) continue;
        if (IsAscii(text)) return false;  // both read ASCII as UTF-8 does
        Converter& converter = ToUtf8Converter(codePage);
        if (!converter.Valid()) return false;
        out.clear();
        Convert(converter, text, RefusedIn(codePage), std::string::npos, out);
        return true;
    }
    ThreadConverters& converters = Converters();
    if (!converters.named || converters.namedCharset != name) {
        converters.named = std::make_unique<Converter>("UTF-8", name.c_str());
        converters.namedCharset = name;
    }
    if (!converters.named->Valid()) return false;
    out.clear();
    Convert(*converters.named, text, RefusedByte, std::string::npos, out);
    return true;
}

std::size_t FittingLength(std::string_view text, std::size_t limit, CodePage codePage) {
    if (text.size() <= limit) return text.size();
    if (codePage != CodePage::ShiftJis) return limit;
    std::size_t i = 0;
    while (i < limit) {
        const std::size_t width = IsShiftJisLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + width > limit) break;
        i += width;
    }
    return i;
}

std::size_t Utf8FittingLength(std::string_view utf8, std::size_t limit) {
    if (utf8.size() <= limit) return utf8.size();
    // A cut is between characters where the next byte starts one; a character is at most four
    // bytes, so no more than three are given up.
    std::size_t cut = limit;
    while (cut > 0 && limit - cut < 3 && IsContinuation(static_cast<unsigned char>(utf8[cut])))
        --cut;
    return IsContinuation(static_cast<unsigned char>(utf8[cut])) ? limit : cut;
}

std::size_t EncodeUtf8(char32_t c, char* out) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

}  // namespace zem::runtime
