#include "shell/ad_template.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include "data/dictionary.h"
#include "shell_fixture.h"

namespace zem::test {
namespace {

using shell::ExpandAdTemplate;
using shell::ExpandAdTemplateFor;
using shell::kMaxExpandedText;

struct Expansion {
    const char* name;
    const char* text;
    std::string expected;
    std::int32_t site = 1;
    double listPrice = 149.90;
    double amazonPrice = 123.00;
    const char* keyword = "garden hose";
    runtime::CodePage codePage = runtime::CodePage::Ansi;  // of the window showing the text
    friend void PrintTo(const Expansion& c, std::ostream* out) { *out << c.name; }
};

class ExpandTest : public ::testing::TestWithParam<Expansion> {};

TEST_P(ExpandTest, GivesTheExpectedText) {
    const Expansion& c = GetParam();
    EXPECT_EQ(
        ExpandAdTemplateFor(c.site, c.text, c.keyword, c.listPrice, c.amazonPrice, c.codePage),
        c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Placeholders, ExpandTest,
    ::testing::Values(
        Expansion{"LowerCaseName", "{keyword}", "garden hose"},
        Expansion{"TrailingBlankInside", "{Keyword }", "garden hose"},
        Expansion{"LeadingBlankInsideIsNoPlaceholder", "{ KEYWORD}", "{ KEYWORD}"},
        Expansion{"Savings", "Save {SAVINGS}!", "Save $26.90!"},
        Expansion{"SavingsPercent", "{SAVINGS%}", "17.95 %"},
        Expansion{"SavingsPercentLowerCase", "{savings%}", "17.95 %"},
        Expansion{"Price", "{PRICE}", "$123.00"},
        Expansion{"SeveralInOneLine", "Buy {KEYWORD} now and save {SAVINGS%}, only {PRICE}",
                  "Buy garden hose now and save 17.95 %, only $123.00"},
        Expansion{"KeywordIsNotExpandedAgain", "{KEYWORD}", "{PRICE}", 1, 149.90, 123.00,
                  "{PRICE}"},
        Expansion{"NoBraces", "Plain text, no placeholders.", "Plain text, no placeholders."},
        Expansion{"Empty", "", ""}, Expansion{"NoClosingBrace", "{PRICE", "{PRICE"},
        Expansion{"DoubleOpeningBrace", "{{PRICE}", "{$123.00"},
        Expansion{"UnknownName", "{FOO}", "{FOO}"},
        Expansion{"PlaceholderInsideUnknownName", "{FOO{PRICE}}", "{FOO$123.00}"},
        Expansion{"EmptyBraces", "{}", "{}"}, Expansion{"StrayBraces", "}{PRICE}{", "}$123.00{"},
        Expansion{"NegativeSaving", "{SAVINGS} {SAVINGS%}", "$-20.00 -20.00 %", 1, 100.0, 120.0},
        Expansion{"NoListPrice", "{SAVINGS%} {SAVINGS}", "0.00 % $-5.00", 1, 0.0, 5.0},
        Expansion{"SavingTooWideForItsPicture", "{SAVINGS}", "$1500.00", 1, 2500.0, 1000.0},
        Expansion{"PriceTooWideForItsPicture", "{PRICE}", "$12345678.50", 1, 0.0, 12345678.5},
        Expansion{"PoundForUK", "{PRICE} {SAVINGS}",
                  "\xA3"
                  "123.00 \xA3"
                  "26.90",
                  2},
        Expansion{"EuroForFrance", "{PRICE}",
                  "\x80"
                  "123.00",
                  4},
        Expansion{"EuroForGermany", "{SAVINGS}",
                  "\x80"
                  "26.90",
                  8},
        Expansion{"YenForJapan", "{PRICE}",
                  "\xA5"
                  "123.00",
                  16},
        Expansion{"DollarForCanada", "{PRICE}", "$123.00", 32},
        // A Shift-JIS window shows the full-width signs; it has no euro.
        Expansion{"YenInAShiftJisWindow", "{PRICE} {SAVINGS}",
                  "\x81\x8F"
                  "123.00 \x81\x8F"
                  "26.90",
                  16, 149.90, 123.00, "garden hose", runtime::CodePage::ShiftJis},
        Expansion{"PoundInAShiftJisWindow", "{PRICE}",
                  "\x81\x92"
                  "123.00",
                  2, 149.90, 123.00, "garden hose", runtime::CodePage::ShiftJis},
        Expansion{"EuroInAShiftJisWindow", "{PRICE}", "?123.00", 4, 149.90, 123.00, "garden hose",
                  runtime::CodePage::ShiftJis},
        Expansion{"DollarInAShiftJisWindow", "{PRICE}", "$123.00", 1, 149.90, 123.00, "garden hose",
                  runtime::CodePage::ShiftJis},
        Expansion{"NoSignForAValueThatIsNoStore", "{PRICE} {SAVINGS} {SAVINGS%}",
                  "123.00 26.90 17.95 %", 3}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST(ExpandLengthTest, ALongTemplateIsCutAtTheLimit) {
    const std::string text(20000, 'x');
    EXPECT_EQ(ExpandAdTemplateFor(1, text, "k", 1, 1), std::string(kMaxExpandedText, 'x'));
    EXPECT_EQ(kMaxExpandedText, 16383u);
}

TEST(ExpandLengthTest, AReplacementThatCrossesTheLimitIsCut) {
    const std::string text = std::string(kMaxExpandedText - 3, 'x') + "{KEYWORD}tail";
    EXPECT_EQ(ExpandAdTemplateFor(1, text, "abcdefghij", 1, 1),
              std::string(kMaxExpandedText - 3, 'x') + "abc");
}

TEST(ExpandLengthTest, AShiftJisTextIsCutWhereACharacterEnds) {
    // The yen sign's two bytes would end one byte past the limit.
    const std::string text = std::string(kMaxExpandedText - 1, 'x') + "{PRICE}";
    EXPECT_EQ(ExpandAdTemplateFor(16, text, "k", 1, 1, runtime::CodePage::ShiftJis),
              std::string(kMaxExpandedText - 1, 'x'));
    EXPECT_EQ(ExpandAdTemplateFor(16, text, "k", 1, 1, runtime::CodePage::Ansi),
              std::string(kMaxExpandedText - 1, 'x') + "\xA5");
}

class ExpandForQueryTest : public ShellTest {};

TEST_F(ExpandForQueryTest, TakesTheSignFromThisThreadsQuery) {
    data::QueriesRecord& que = data::Dict().QUE;
    que.SITE = 2;
    std::strcpy(que.KEYWORDS, "not what is expanded");
    const data::QueriesRecord before = que;
    EXPECT_EQ(ExpandAdTemplate("{KEYWORD}: {PRICE}", "hose", 149.90, 123.00),
              "hose: \xA3"
              "123.00");
    EXPECT_EQ(std::memcmp(&que, &before, sizeof que), 0) << "the query buffer was changed";

    // Amazon JP's texts are Shift-JIS: its yen is the full-width one.
    que.SITE = 16;
    EXPECT_EQ(ExpandAdTemplate("{SAVINGS}", "hose", 149.90, 123.00),
              "\x81\x8F"
              "26.90");
}

}  // namespace
}  // namespace zem::test
