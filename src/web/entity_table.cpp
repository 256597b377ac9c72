#include "web/entity_table.h"

#include <algorithm>
#include <array>

#include "web/html_chars.h"

namespace zem::HTML {
namespace {

struct Entity {
    std::string_view name;
    std::uint8_t value;
};

// A name of up to eight bytes as one number, first byte highest: numbers compare as the names
// do byte-wise, and a search step is one comparison.
constexpr std::uint64_t Key(std::string_view name) {
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        key = (key << 8) | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0u);
    }
    return key;
}

// The Latin-1 names of the bytes 160 to 255, in byte order.
constexpr std::array<std::string_view, 96> kLatin1 = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

// Sorted by name, for binary search.
constexpr auto kEntities = [] {
    std::array<Entity, 5 + kLatin1.size()> t{{
        {"quot", 34},
        {"amp", 38},
        {"apos", 39},
        {"lt", 60},
        {"gt", 62},
    }};
    for (std::size_t i = 0; i < kLatin1.size(); ++i) {
        t[5 + i] = {kLatin1[i], static_cast<std::uint8_t>(160 + i)};
    }
    std::sort(t.begin(), t.end(),
              [](const Entity& a, const Entity& b) { return Key(a.name) < Key(b.name); });
    return t;
}();

constexpr auto kKeys = [] {
    std::array<std::uint64_t, kEntities.size()> keys{};
    for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = Key(kEntities[i].name);
    return keys;
}();

static_assert(kEntities.size() == 101);
static_assert(std::all_of(kEntities.begin(), kEntities.end(), [](const Entity& e) {
    return e.name.size() >= 2 && e.name.size() <= EntityTable::kMaxName;
}));
static_assert(std::adjacent_find(kKeys.begin(), kKeys.end()) == kKeys.end());

bool EqualsIgnoringCase(std::string_view a, std::string_view lower) {
    return a.size() == lower.size() &&
           std::equal(a.begin(), a.end(), lower.begin(),
                      [](char x, char y) { return chars::ToLower(x) == y; });
}

bool IsAllLower(std::string_view s) {
    return std::none_of(s.begin(), s.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

std::optional<std::uint8_t> FindName(std::string_view name) {
    // A name spelt as in the table means the same under every rule below.
    if (const auto exact = EntityTable::Find(name)) return exact;
    // An accented letter is found whatever the case of its accent: AGRAVE means Agrave.
    static constexpr std::string_view kAccents[] = {"grave", "acute", "circ", "uml",
                                                    "tilde", "cedil", "ring"};
    const std::string_view rest = name.substr(1);
    for (std::string_view accent : kAccents) {
        if (!EqualsIgnoringCase(rest, accent)) continue;
        std::array<char, EntityTable::kMaxName> folded{};
        folded[0] = name[0];
        std::copy(accent.begin(), accent.end(), folded.begin() + 1);
        return EntityTable::Find({folded.data(), name.size()});
    }
    // These four letters have no capital form of their own name: any other casing is the capital.
    static constexpr Entity kAnyCase[] = {
        {"eth", 208}, {"thorn", 222}, {"oslash", 216}, {"aelig", 198}};
    for (const Entity& e : kAnyCase) {
        if (!EqualsIgnoringCase(name, e.name)) continue;
        return IsAllLower(name) ? EntityTable::Find(e.name) : std::optional<std::uint8_t>(e.value);
    }
    return std::nullopt;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char l = chars::ToLower(c);
    if (l >= 'a' && l <= 'f') return l - 'a' + 10;
    return -1;
}

constexpr char32_t kReplacement = 0xFFFD;

// What pages mean by the values 128 to 159: the characters of code page 1252 there (the five
// bytes it leaves undefined keep their value).
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t CharacterOf(std::uint32_t value) {
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return kReplacement;
    if (value >= 0x80 && value < 0xA0) return kCp1252High[value - 0x80];
    return static_cast<char32_t>(value);
}

// Values too large for any character stay too large, however many digits follow.
std::optional<char32_t> Numeric(std::string_view digits, bool hex) {
    if (digits.empty()) return std::nullopt;  // "&#x;" stands for no character at all
    constexpr std::uint32_t kBeyond = 0x110000;
    std::uint32_t value = 0;
    for (char c : digits) {
        std::uint32_t digit = 0;
        if (hex) {
            const int d = HexDigit(c);
            if (d < 0) return kReplacement;
            digit = static_cast<std::uint32_t>(d);
        } else {
            if (c < '0' || c > '9') return std::nullopt;
            digit = static_cast<std::uint32_t>(c - '0');
        }
        value = std::min(kBeyond, value * (hex ? 16u : 10u) + digit);
    }
    return CharacterOf(value);
}

}  // namespace

std::optional<std::uint8_t> EntityTable::Find(std::string_view name) {
    if (name.empty() || name.size() > kMaxName) return std::nullopt;
    const std::uint64_t key = Key(name);
    const auto it = std::lower_bound(kKeys.begin(), kKeys.end(), key);
    if (it == kKeys.end() || *it != key) return std::nullopt;
    return kEntities[static_cast<std::size_t>(it - kKeys.begin())].value;
}

std::size_t EntityTable::Decode(std::string_view text, char32_t& character) {
    if (text.size() < 2 || text[0] != '&') return 0;
    const bool numeric = text[1] == '#';
    // Only this far can the ";" be: a longer name can't be in the table.
    const std::size_t longest = numeric ? kMaxReference : kMaxName;
    const std::size_t semicolon = text.substr(1, longest + 1).find(';');
    if (semicolon == std::string_view::npos || semicolon < 2) return 0;
    const std::string_view inner = text.substr(1, semicolon);

    std::optional<char32_t> value;
    if (!numeric) {
        if (const auto latin1 = FindName(inner)) value = *latin1;
    } else if (inner[1] == 'x' || inner[1] == 'X') {
        value = Numeric(inner.substr(2), true);
    } else {
        value = Numeric(inner.substr(1), false);
    }
    if (!value) return 0;
    character = *value;
    return semicolon + 2;
}

}  // namespace zem::HTML
