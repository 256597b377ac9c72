// Texts between UTF-8 and the windows' two code pages: what each character becomes, what a
// code page lacks, and where bounded texts are cut.
#include "platform/runtime/code_pages.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>
#include <vector>

namespace zem::test {
namespace {

using runtime::CodePage;

struct FromUtf8Case {
    const char* what;
    std::string utf8;
    CodePage to;
    std::string expected;
    std::size_t limit = std::string::npos;
};

const FromUtf8Case kFromUtf8[] = {
    {"ASCII stays", "Garden Hose 50 ft", CodePage::Ansi, "Garden Hose 50 ft"},
    {"accents of the four European stores",
     "Caf\xC3\xA9 cr\xC3\xA8me f\xC3\xBCr \xC3\x87"
     "a",
     CodePage::Ansi,
     "Caf\xE9 cr\xE8me f\xFCr \xC7"
     "a"},
    {"signs in code page 1252", "\xE2\x82\xAC \xC2\xA3 \xC2\xA5 \xE2\x80\x93 \xE2\x84\xA2",
     CodePage::Ansi, "\x80 \xA3 \xA5 \x96 \x99"},
    {"a character code page 1252 lacks", "\xE3\x81\x82 \xC5\x81", CodePage::Ansi, "? ?"},
    {"hiragana, katakana and kanji", "\xE3\x81\x82\xE3\x83\xAD\xE6\x9D\xB1\xE4\xBA\xAC",
     CodePage::ShiftJis, "\x82\xA0\x83\x8D\x93\x8C\x8B\x9E"},
    {"half-width katakana are one byte", "\xEF\xBD\xB1", CodePage::ShiftJis, "\xB1"},
    {"the yen sign is the full-width yen",
     "\xC2\xA5"
     "1,500 \xEF\xBF\xA5",
     CodePage::ShiftJis,
     "\x81\x8F"
     "1,500 \x81\x8F"},
    {"the backslash stays a backslash", "C:\\", CodePage::ShiftJis, "C:\\"},
    {"wave dash and full-width tilde alike", "\xE3\x80\x9C\xEF\xBD\x9E", CodePage::ShiftJis,
     "\x81\x60\x81\x60"},
    {"a character Shift-JIS lacks", "\xE2\x82\xAC\xC3\xA9", CodePage::ShiftJis, "??"},
    {"bytes that are no UTF-8",
     "a\xE9"
     "b\xC3(\xFF",
     CodePage::Ansi, "a?b?(?"},
    {"a character cut off by the end", "ab\xE3\x81", CodePage::ShiftJis, "ab?"},
    // Bounded fields: a character that would cross the bound is left out whole.
    {"code page 1252 at the bound",
     "ab\xC3\xA9"
     "cd",
     CodePage::Ansi, "ab\xE9", 3},
    {"Shift-JIS pair across the bound", "ab\xE3\x81\x82", CodePage::ShiftJis, "ab", 3},
    {"Shift-JIS pair at the bound", "ab\xE3\x81\x82", CodePage::ShiftJis, "ab\x82\xA0", 4},
    {"yen across the bound", "a\xC2\xA5", CodePage::ShiftJis, "a", 2},
    {"nothing after a character left out", "\xE3\x81\x82z", CodePage::ShiftJis, "", 1},
    {"ASCII at the bound", "abcdef", CodePage::ShiftJis, "abc", 3},
    {"a long text", std::string(5000, 'x') + "\xC3\xA9", CodePage::Ansi,
     std::string(5000, 'x') + "\xE9"},
};

TEST(CodePagesTest, Utf8IsWrittenInTheWindowsCodePage) {
    for (const FromUtf8Case& c : kFromUtf8) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(runtime::FromUtf8(c.utf8, c.to, c.limit), c.expected);
    }
}

TEST(CodePagesTest, CodePageTextsBecomeUtf8) {
    struct Case {
        std::string text;
        CodePage from;
        std::string utf8;
    };
    const Case cases[] = {
        {"plain", CodePage::Ansi, "plain"},
        {"f\xFCr \x80 \xA5", CodePage::Ansi, "f\xC3\xBCr \xE2\x82\xAC \xC2\xA5"},
        {"a\x81"
         "b",
         CodePage::Ansi, "a?b"},  // undefined in code page 1252
        {"\x83\x8D\x83\x7B\x83\x62\x83\x67", CodePage::ShiftJis,
         "\xE3\x83\xAD\xE3\x83\x9C\xE3\x83\x83\xE3\x83\x88"},
        {"\x95\x5C\\", CodePage::ShiftJis, "\xE8\xA1\xA8\\"},  // 0x5C after a lead byte is a trail
        {"\x81\x8F\xB1", CodePage::ShiftJis, "\xEF\xBF\xA5\xEF\xBD\xB1"},
        {"x\xA0\xFDy", CodePage::ShiftJis, "x??y"},  // no characters of Shift-JIS
    };
    for (const Case& c : cases) EXPECT_EQ(runtime::ToUtf8(c.text, c.from), c.utf8) << c.text;
}

TEST(CodePagesTest, PagesAreReadInTheCharsetTheyName) {
    struct Case {
        const char* charset;
        std::string text;
        bool converted;
        std::string utf8;
    };
    const Case cases[] = {
        {"ISO-8859-1", "caf\xE9", true, "caf\xC3\xA9"},
        // Read as code page 1252, as browsers do: 0x80 is the euro.
        {"iso-8859-1", "\x80", true, "\xE2\x82\xAC"},
        {"windows-1252", "\x93quoted\x94", true, "\xE2\x80\x9Cquoted\xE2\x80\x9D"},
        {"Shift_JIS", "\x82\xA0", true, "\xE3\x81\x82"},
        {"x-sjis", "\x82\xA0", true, "\xE3\x81\x82"},
        {"EUC-JP", "\xA4\xA2", true, "\xE3\x81\x82"},
        {"  Shift_JIS ", "\x82\xA0", true, "\xE3\x81\x82"},
        {"ISO-8859-1", "ascii only", false, ""},
        {"UTF-8", "caf\xC3\xA9", false, ""},
        {"utf8", "caf\xC3\xA9", false, ""},
        {"no-such-charset", "caf\xE9", false, ""},
        {"UTF-8//TRANSLIT", "caf\xE9", false, ""},
        {"", "caf\xE9", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charset);
        std::string out = "untouched";
        EXPECT_EQ(runtime::CharsetToUtf8(c.text, c.charset, out), c.converted);
        EXPECT_EQ(out, c.converted ? c.utf8 : "untouched");
    }
}

TEST(CodePagesTest, CutsEndWhereACharacterEnds) {
    EXPECT_EQ(runtime::FittingLength("ab\x83\x41", 3, CodePage::Ansi), 3u);
    EXPECT_EQ(runtime::FittingLength("ab\x83\x41", 3, CodePage::ShiftJis), 2u);
    EXPECT_EQ(runtime::FittingLength("ab\x83\x41z", 4, CodePage::ShiftJis), 4u);
    EXPECT_EQ(runtime::FittingLength("\xB1\xB1\xB1", 2, CodePage::ShiftJis), 2u);
    EXPECT_EQ(runtime::FittingLength("short", 80, CodePage::ShiftJis), 5u);

    EXPECT_EQ(runtime::Utf8FittingLength("ab\xC3\xA9", 3), 2u);
    EXPECT_EQ(runtime::Utf8FittingLength("ab\xC3\xA9", 4), 4u);
    EXPECT_EQ(runtime::Utf8FittingLength("a\xF0\x9F\x98\x80", 4), 1u);
    EXPECT_EQ(runtime::Utf8FittingLength("a\xE3\x81\x82z", 4), 4u);
    // Bytes that are no UTF-8 are cut where the bound says.
    EXPECT_EQ(runtime::Utf8FittingLength("a\x80\x80\x80\x80\x80", 4), 4u);
}

TEST(CodePagesTest, CodePointsInUtf8) {
    struct Case {
        char32_t codePoint;
        std::string utf8;
    };
    const Case cases[] = {{U'A', "A"},
                          {0xE9, "\xC3\xA9"},
                          {0x3042, "\xE3\x81\x82"},
                          {0x1F600, "\xF0\x9F\x98\x80"},
                          {0xD800, "\xEF\xBF\xBD"},
                          {0x110000, "\xEF\xBF\xBD"}};
    for (const Case& c : cases) {
        std::array<char, 4> out{};
        const std::size_t length = runtime::EncodeUtf8(c.codePoint, out.data());
        EXPECT_EQ(std::string(out.data(), length), c.utf8);
    }
}

TEST(CodePagesTest, ThreadsConvertAtTheSameTimeEachWithItsOwnConverters) {
    std::vector<std::thread> threads;
    std::array<bool, 6> right{};
    for (std::size_t t = 0; t < right.size(); ++t) {
        threads.emplace_back([&right, t] {
            const CodePage page = t % 2 ? CodePage::ShiftJis : CodePage::Ansi;
            const std::string expected = t % 2 ? "\x82\xA0\x81\x8F" : "?\xA5";
            bool all = true;
            for (int i = 0; i < 2000; ++i) {
                all = all && runtime::FromUtf8("\xE3\x81\x82\xC2\xA5", page) == expected;
                all = all && runtime::ToUtf8(expected, page).size() > 2;
            }
            right[t] = all;
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (std::size_t t = 0; t < right.size(); ++t) EXPECT_TRUE(right[t]) << t;
}

}  // namespace
}  // namespace zem::test
