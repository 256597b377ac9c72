// The keyword encoder: what goes into the request and what it leaves in the caller's field.
#include "research/url_encode.h"

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
    friend void PrintTo(const EncodeCase& c, std::ostream* out) { *out << c.name; }
};

class UrlEncodeTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(UrlEncodeTest, EncodesTheKeywordsAndNormalisesTheField) {
    const EncodeCase& c = GetParam();
    char field[1024];
    data::SetCString(field, c.text);
    EXPECT_EQ(URLEncode(field), c.encoded);
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
        EncodeCase{"BytesAbove127", "caf\xE9 \x80", "caf%E9+%80", "caf\xE9 \x80"},
        EncodeCase{"HighestByte", "\xFF", "%FF", "\xFF"}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(UrlEncodeLimits, ReadsNoFurtherThanTheFieldWhenItsNulIsMissing) {
    std::array<char, 8> field;
    field.fill('a');
    EXPECT_EQ(URLEncode(field), "aaaaaaa");
    EXPECT_EQ(std::string(field.data()), "aaaaaaa");
}

TEST(UrlEncodeLimits, AnEmptyFieldEncodesToNothing) {
    EXPECT_EQ(URLEncode(std::span<char>()), "");
}

TEST(UrlEncodeLimits, TheResultStopsAtItsLimitWithoutCuttingAnEscape) {
    // 2,000 bytes that each need an escape: 6,000 characters would not fit.
    std::string text(2000, '\xE9');
    std::vector<char> field(text.begin(), text.end());
    field.push_back('\0');
    const std::string encoded = URLEncode(field);
    EXPECT_EQ(encoded.size(), kEncodedLimit / 3 * 3);
    EXPECT_LE(encoded.size(), kEncodedLimit);
    for (std::size_t i = 0; i < encoded.size(); i += 3) ASSERT_EQ(encoded.substr(i, 3), "%E9");
}

}  // namespace
}  // namespace zem::research
