// The keyword encoder: what goes into the request and what it leaves in the caller's field.
#include "research/jobs/url_encode.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "data/text_fields.h"

namespace zem::research {
namespace {

struct EncodeCase {
    const char* name;
    std::string text;     // what the field holds
    std::string encoded;  // what goes into the request
    std::string kept;     // what the field holds afterwards
    runtime::CodePage codePage = runtime::CodePage::Ansi;
    friend void PrintTo(const EncodeCase& c, std::ostream* out) { *out << c.name; }
};

class UrlEncodeTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(UrlEncodeTest, EncodesTheKeywordsAndNormalisesTheField) {
    const EncodeCase& c = GetParam();
    char field[1024];
    data::SetCString(field, c.text);
    EXPECT_EQ(URLEncode(field, c.codePage), c.encoded);
    EXPECT_EQ(data::CStringOf(field), c.kept);
    // The rest of the field is cleared behind the shortened text.
    for (std::size_t i = c.kept.size(); i < sizeof field; ++i) ASSERT_EQ(field[i], '\0') << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlEncodeTest,
    ::testing::Values(
        EncodeCase{"Empty", "", "", ""}, EncodeCase{"OnlyBlanks", "     ", "", ""},
        EncodeCase{"Words", "digital camera", "digital+camera", "digital camera"},
        EncodeCase{"BlankRunsBecomeOnePlus", "  digital  camera ", "digital+camera",
                   "digital  camera"},
        EncodeCase{"AmpersandBetweenDoubleBlanks", "  red  wine  &  cheese", "red+wine+%26+cheese",
                   "red  wine  &  cheese"},
        EncodeCase{"TabsAndLineEndsCountAsBlanks", "red\t\r\nwine", "red+wine", "red   wine"},
        // Only blanks are trimmed: a tab or line end at the start gives nothing because
        // nothing came before it, one at the end gives its "+".
        EncodeCase{"LeadingTabGivesNothing", "\t\n red", "red", "   red"},
        EncodeCase{"TrailingTabGivesAPlus", "red\t", "red+", "red "},
        EncodeCase{"PlusStaysAPlus", "c++ book", "c+++book", "c++ book"},
        EncodeCase{"SixReservedCharacters", "'\\/\"%&", "%27%5C%2F%22%25%26", "'\\/\"%&"},
        EncodeCase{"NumberSignIsEscaped", "c# guide", "c%23+guide", "c# guide"},
        EncodeCase{"OtherPunctuationStays", "a=b?c;d:e,f.g!h(i)j*k~l", "a=b?c;d:e,f.g!h(i)j*k~l",
                   "a=b?c;d:e,f.g!h(i)j*k~l"},
        // Whatever the window's code page, the request carries UTF-8.
        EncodeCase{"AccentAndEuroOfCodePage1252", "caf\xE9 \x80", "caf%C3%A9+%E2%82%AC",
                   "caf\xE9 \x80"},
        EncodeCase{"Umlaut", "f\xFCr", "f%C3%BCr", "f\xFCr"},
        EncodeCase{"HighestByte", "\xFF", "%C3%BF", "\xFF"},
        EncodeCase{"ByteCodePage1252LeavesUndefined", "a\x81", "a?", "a\x81"},
        EncodeCase{"ShiftJisKatakana", "\x83\x8D\x83\x7B\x83\x62\x83\x67 2",
                   "%E3%83%AD%E3%83%9C%E3%83%83%E3%83%88+2", "\x83\x8D\x83\x7B\x83\x62\x83\x67 2",
                   runtime::CodePage::ShiftJis},
        EncodeCase{"ShiftJisHalfWidthAndYen", "\xB1\x81\x8F", "%EF%BD%B1%EF%BF%A5", "\xB1\x81\x8F",
                   runtime::CodePage::ShiftJis},
        EncodeCase{"ShiftJisTrailByteIsNoSlash", "\x95\x5C", "%E8%A1%A8", "\x95\x5C",
                   runtime::CodePage::ShiftJis}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(UrlEncodeLimits, ReadsNoFurtherThanTheFieldWhenItsNulIsMissing) {
    std::array<char, 8> field;
    field.fill('a');
    EXPECT_EQ(URLEncode(field, runtime::CodePage::Ansi), "aaaaaaa");
    EXPECT_EQ(std::string(field.data()), "aaaaaaa");
}

TEST(UrlEncodeLimits, AnEmptyFieldEncodesToNothing) {
    EXPECT_EQ(URLEncode(std::span<char>(), runtime::CodePage::Ansi), "");
}

TEST(UrlEncodeLimits, TheResultStopsAtItsLimitWithoutCuttingACharacter) {
    // 2,000 accented letters, each two escapes in UTF-8: 12,000 characters would not fit.
    std::string text(2000, '\xE9');
    std::vector<char> field(text.begin(), text.end());
    field.push_back('\0');
    const std::string encoded = URLEncode(field, runtime::CodePage::Ansi);
    EXPECT_EQ(encoded.size(), kEncodedLimit / 6 * 6);
    for (std::size_t i = 0; i < encoded.size(); i += 6) ASSERT_EQ(encoded.substr(i, 6), "%C3%A9");

    // A Japanese character of nine escaped characters that would cross the limit goes
    // altogether, and so does everything after it.
    text = std::string(kEncodedLimit - 5, 'a') + "\x83\x8Dz";
    field.assign(text.begin(), text.end());
    field.push_back('\0');
    EXPECT_EQ(URLEncode(field, runtime::CodePage::ShiftJis), std::string(kEncodedLimit - 5, 'a'));
}

}  // namespace
}  // namespace zem::research
