// Decoding one character reference into its character.
#include "web/entity_table.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace zem::test {
namespace {

struct DecodeCase {
    const char* name;
    std::string text;
    std::size_t length;  // 0: no reference
    char32_t character = 0;
    friend void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.name; }
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, GivesTheCharacter) {
    const DecodeCase& c = GetParam();
    char32_t character = 0x5A;
    EXPECT_EQ(HTML::EntityTable::Decode(c.text, character), c.length);
    if (c.length) {
        EXPECT_EQ(static_cast<std::uint32_t>(character), static_cast<std::uint32_t>(c.character));
    } else {
        EXPECT_EQ(character, U'\x5A') << "no character is stored for no reference";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Markup, DecodeTest,
    ::testing::Values(DecodeCase{"Lt", "&lt;", 4, 60}, DecodeCase{"Gt", "&gt;", 4, 62},
                      DecodeCase{"Amp", "&amp;", 5, 38}, DecodeCase{"Quot", "&quot;", 6, 34},
                      DecodeCase{"Apos", "&apos;", 6, 39},
                      DecodeCase{"LengthEndsAtTheSemicolon", "&lt;&gt;x", 4, 60},
                      DecodeCase{"UpperCaseAmp", "&AMP;", 0}, DecodeCase{"MixedCaseLt", "&Lt;", 0}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Latin1, DecodeTest,
    ::testing::Values(
        DecodeCase{"Nbsp", "&nbsp;", 6, 160}, DecodeCase{"Curren", "&curren;", 8, 164},
        DecodeCase{"Acute", "&acute;", 7, 180}, DecodeCase{"Uml", "&uml;", 5, 168},
        DecodeCase{"Iquest", "&iquest;", 8, 191}, DecodeCase{"Times", "&times;", 7, 215},
        DecodeCase{"Szlig", "&szlig;", 7, 223}, DecodeCase{"Divide", "&divide;", 8, 247},
        DecodeCase{"Yuml", "&yuml;", 6, 255}, DecodeCase{"UpperCaseNbsp", "&NBSP;", 0},
        DecodeCase{"eacute", "&eacute;", 8, 233}, DecodeCase{"Eacute", "&Eacute;", 8, 201},
        DecodeCase{"EACUTE", "&EACUTE;", 8, 201}, DecodeCase{"eACUTE", "&eACUTE;", 8, 233},
        DecodeCase{"AGRAVE", "&AGRAVE;", 8, 192}, DecodeCase{"ACIRC", "&ACIRC;", 7, 194},
        DecodeCase{"NTILDE", "&NTILDE;", 8, 209}, DecodeCase{"CCEDIL", "&CCEDIL;", 8, 199},
        DecodeCase{"ARING", "&ARING;", 7, 197}, DecodeCase{"UUML", "&UUML;", 6, 220},
        DecodeCase{"YUMLHasNoCapital", "&YUML;", 0}, DecodeCase{"XGRAVEUnknown", "&XGRAVE;", 0},
        DecodeCase{"eth", "&eth;", 5, 240}, DecodeCase{"ETH", "&ETH;", 5, 208},
        DecodeCase{"Eth", "&Eth;", 5, 208}, DecodeCase{"thorn", "&thorn;", 7, 254},
        DecodeCase{"THORN", "&THORN;", 7, 222}, DecodeCase{"tHoRn", "&tHoRn;", 7, 222},
        DecodeCase{"oslash", "&oslash;", 8, 248}, DecodeCase{"OSLASH", "&OSLASH;", 8, 216},
        DecodeCase{"aelig", "&aelig;", 7, 230}, DecodeCase{"AElig", "&AElig;", 7, 198},
        DecodeCase{"AELIG", "&AELIG;", 7, 198}, DecodeCase{"aElig", "&aElig;", 7, 198}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Numeric, DecodeTest,
    ::testing::Values(
        DecodeCase{"Decimal", "&#65;", 5, 65}, DecodeCase{"LeadingZeros", "&#0065;", 7, 65},
        DecodeCase{"HexLower", "&#x41;", 6, 65}, DecodeCase{"HexUpper", "&#X41;", 6, 65},
        DecodeCase{"HexDigitsEitherCase", "&#xfF;", 6, 255},
        // Above 255 the value is the character's, not its low byte.
        DecodeCase{"DecimalAbove255", "&#321;", 6, 0x141},
        DecodeCase{"HexAbove255", "&#x141;", 7, 0x141},
        DecodeCase{"Hiragana", "&#12354;", 8, 0x3042},
        DecodeCase{"BeyondTheBasicPlane", "&#x1F600;", 9, 0x1F600},
        DecodeCase{"LastCharacter", "&#1114111;", 10, 0x10FFFF},
        // 128 to 159 are read as code page 1252 has them; its five gaps keep their value.
        DecodeCase{"EuroAt128", "&#128;", 6, 0x20AC},
        DecodeCase{"EnDashAt150", "&#150;", 6, 0x2013},
        DecodeCase{"RightQuoteAt0x92", "&#x92;", 6, 0x2019},
        DecodeCase{"GapAt129", "&#129;", 6, 0x81},
        // Values that are no character stand for the replacement character.
        DecodeCase{"Zero", "&#0;", 4, 0xFFFD}, DecodeCase{"Surrogate", "&#xD800;", 8, 0xFFFD},
        DecodeCase{"BeyondTheLastCharacter", "&#1114112;", 10, 0xFFFD},
        DecodeCase{"HexBadDigit", "&#x4G;", 6, 0xFFFD},
        DecodeCase{"HexBadDigitFirst", "&#xZ1;", 6, 0xFFFD},
        DecodeCase{"BeyondTwoTo32", "&#4294967361;", 13, 0xFFFD},
        DecodeCase{"LongDecimal", "&#" + std::string(77, '9') + "65;", 82, 0xFFFD},
        DecodeCase{"LongHex", "&#x" + std::string(70, 'f') + "41;", 76, 0xFFFD},
        DecodeCase{"LongZeros", "&#" + std::string(70, '0') + "65;", 75, 65},
        DecodeCase{"DecimalWithLetterIsNone", "&#12a;", 0},
        DecodeCase{"DecimalWithSignIsNone", "&#-5;", 0},
        DecodeCase{"HexWithoutDigitsIsNone", "&#x;", 0}, DecodeCase{"HashOnly", "&#;", 0}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    NoReference, DecodeTest,
    ::testing::Values(DecodeCase{"WithoutSemicolon", "&amp", 0},
                      DecodeCase{"SemicolonLater", "&amp x;", 0},
                      DecodeCase{"NothingBetween", "&;", 0}, DecodeCase{"OneCharacter", "&a;", 0},
                      DecodeCase{"AmpersandAlone", "&", 0}, DecodeCase{"Empty", "", 0},
                      DecodeCase{"NoAmpersand", "amp;", 0}, DecodeCase{"UnknownName", "&bogus;", 0},
                      DecodeCase{"LongerThanAnyName", "&nbspxx;", 0},
                      DecodeCase{"MuchLongerName", "&" + std::string(500, 'a') + ";", 0},
                      DecodeCase{"NumericOf81Characters", "&#" + std::string(80, '1') + ";", 0},
                      DecodeCase{"SemicolonOfTheNextReference", "&x&lt;", 0}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(EntityTableTest, FindIsExact) {
    EXPECT_EQ(HTML::EntityTable::Find("Agrave"), 192);
    EXPECT_EQ(HTML::EntityTable::Find("AGRAVE"), std::nullopt);
    EXPECT_EQ(HTML::EntityTable::Find("eth"), 240);
    EXPECT_EQ(HTML::EntityTable::Find(""), std::nullopt);
}

}  // namespace
}  // namespace zem::test
