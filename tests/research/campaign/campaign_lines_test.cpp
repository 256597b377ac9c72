#include "research/campaign/campaign_lines.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zem::test {
namespace {

using research::CampaignBuilder;
using research::CampaignSetup;
using research::CampaignText;
using research::kMaxCampaignText;
using research::TextCharset;

struct SplitCase {
    const char* name;
    std::string_view actions;
    std::vector<std::string_view> lines;
    friend void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.name; }
};

class CallToActionLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CallToActionLinesTest, SplitsAtCrLfPairs) {
    EXPECT_EQ(research::CallToActionLines(GetParam().actions), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CallToActionLinesTest,
    ::testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"OneLine", "Buy now", {"Buy now"}},
                      SplitCase{"TwoLines", "Buy\r\nShop", {"Buy", "Shop"}},
                      SplitCase{"EndingInCrLfHasNoEmptyLastLine", "Buy\r\n", {"Buy"}},
                      SplitCase{"TwoPairsInARowGiveOneEmptyLine", "a\r\n\r\nb", {"a", "", "b"}},
                      SplitCase{"OnlyCrLf", "\r\n", {""}},
                      SplitCase{"LoneCrAndLfStayInTheLine", "a\rb\nc\n\r", {"a\rb\nc\n\r"}},
                      SplitCase{"TrailingCr", "a\r\nb\r", {"a", "b\r"}}),
    [](const ::testing::TestParamInfo<SplitCase>& p) { return std::string(p.param.name); });

TEST(FittingLengthTest, CutsCodePage1252AnywhereAndShiftJisBetweenCharacters) {
    struct Case {
        std::string_view text;
        std::size_t limit;
        TextCharset charset;
        std::size_t length;
    };
    const Case cases[] = {
        {"abc", 5, TextCharset::Ansi, 3},
        {"abc", 3, TextCharset::ShiftJis, 3},
        {"ab\x83\x41", 3, TextCharset::Ansi, 3},
        {"ab\x83\x41", 3, TextCharset::ShiftJis, 2},  // never half a character
        {"ab\x83\x41z", 4, TextCharset::ShiftJis, 4},
        {"\xE0\x40\xFC\x40", 3, TextCharset::ShiftJis, 2},
        {"\xA5\xA5\xA5", 2, TextCharset::ShiftJis, 2},  // half-width katakana: one byte each
        {"\x80\x80", 1, TextCharset::ShiftJis, 1},      // no lead byte
    };
    for (const Case& c : cases)
        EXPECT_EQ(research::FittingLength(c.text, c.limit, c.charset), c.length) << c.text;
}

TEST(CampaignTextTest, PutsCrLfBetweenLinesAndCutsAtItsBound) {
    CampaignText text(TextCharset::Ansi);
    text.AddLine("");
    text.AddLine("first");
    text.AddLine("second");
    // The separator goes before a line only when the text holds something already.
    EXPECT_EQ(text.Text(), "first\r\nsecond");

    CampaignText full(TextCharset::Ansi);
    full.AddLine(std::string(kMaxCampaignText - 1, 'x'));
    EXPECT_FALSE(full.Full());
    full.AddLine("next");  // only the CR fits
    EXPECT_TRUE(full.Full());
    full.AddLine("more");
    EXPECT_EQ(full.Text(), std::string(kMaxCampaignText - 1, 'x') + "\r");

    CampaignText japanese(TextCharset::ShiftJis);
    japanese.AddLine(std::string(kMaxCampaignText - 3, 'x'));
    japanese.AddLine("\x83\x41");  // CR LF fits, the character does not
    EXPECT_EQ(japanese.Text().size(), kMaxCampaignText - 1);
    EXPECT_EQ(japanese.Text().substr(kMaxCampaignText - 3), "\r\n");
}

TEST(HeadlineTest, IsTheFirst25BytesOfTheKeywords) {
    struct Case {
        std::string_view keywords;
        TextCharset charset;
        std::string_view headline;
    };
    const Case cases[] = {
        {"0123456789012345678901234567890123456789", TextCharset::Ansi,
         "0123456789012345678901234"},
        {"short", TextCharset::Ansi, "short"},
        {"", TextCharset::Ansi, ""},
        {"keyword with blanks                  end", TextCharset::Ansi,
         "keyword with blanks      "},  // blanks inside the cut stay
        {"ABCDEFGHIJKLMNOPQRSTUVWX\x83\x41", TextCharset::Ansi, "ABCDEFGHIJKLMNOPQRSTUVWX\x83"},
        {"ABCDEFGHIJKLMNOPQRSTUVWX\x83\x41", TextCharset::ShiftJis, "ABCDEFGHIJKLMNOPQRSTUVWX"},
    };
    for (const Case& c : cases) EXPECT_EQ(research::Headline(c.keywords, c.charset), c.headline);
}

TEST(LinksOfTest, GivesEachStoresShopHostAndProductLinkPrefix) {
    struct Case {
        std::int32_t site;
        const char* domain;
    };
    const Case cases[] = {{1, "www.amazon.com"}, {2, "www.amazon.co.uk"},  {4, "www.amazon.fr"},
                          {8, "www.amazon.de"},  {16, "www.amazon.co.jp"}, {32, "www.amazon.ca"}};
    for (const Case& c : cases) {
        const research::StoreLinks links = research::LinksOf(c.site);
        EXPECT_EQ(links.displayDomain, c.domain);
        EXPECT_EQ(links.linkPrefix, std::string("http://") + c.domain + "/exec/obidos/ASIN/");
    }
    for (std::int32_t other : {0, 3, 64, 255}) {
        EXPECT_TRUE(research::LinksOf(other).displayDomain.empty()) << other;
        EXPECT_TRUE(research::LinksOf(other).linkPrefix.empty()) << other;
    }
}

// A store like the seeded Amazon US, with two call-to-action lines.
CampaignSetup UsSetup() {
    return CampaignSetup{
        .name = "Spring  ",
        .siteFlag = 1,
        .actions = "Buy {KEYWORD}\r\nSave {SAVINGS}",
        .adLine1 = "Save {SAVINGS%} today.",
        .adLine2 = "Only {PRICE}!",
        .affiliateId = "xyz-21",
        .links = research::LinksOf(1),
    };
}

constexpr research::CampaignItem kHose{
    .keywords = "garden hose ", .asin = "B000TEST00", .listPrice = 149.90, .amazonPrice = 123.00};

TEST(CampaignBuilderTest, WritesSixKeywordLinesBroadExactPhraseAndOneTextAd) {
    CampaignSetup setup = UsSetup();
    setup.match = {.broad = true, .exact = true, .phrase = true};
    CampaignBuilder builder(setup);
    builder.Add(kHose);
    // The name and the ad group lose their trailing blanks; the keyword placeholder keeps them.
    EXPECT_EQ(builder.Keywords().Text(),
              "Spring\tgarden hose\tBuy garden hose \tbroad\t0,00\r\n"
              "Spring\tgarden hose\tSave $26.90\tbroad\t0,00\r\n"
              "Spring\tgarden hose\tBuy garden hose \texact\t0,00\r\n"
              "Spring\tgarden hose\tSave $26.90\texact\t0,00\r\n"
              "Spring\tgarden hose\tBuy garden hose \tphrase\t0,00\r\n"
              "Spring\tgarden hose\tSave $26.90\tphrase\t0,00");
    EXPECT_EQ(builder.TextAds().Text(),
              "Spring\tgarden hose\tgarden hose \tSave 17.95 % today.\tOnly $123.00!\t"
              "www.amazon.com\thttp://www.amazon.com/exec/obidos/ASIN/B000TEST00/xyz-21");
}

TEST(CampaignBuilderTest, OptionsAndCallToActionLinesChooseTheKeywordLines) {
    struct Case {
        const char* name;
        research::MatchOptions match;
        std::string_view actions;
        std::string keywords;
    };
    const Case cases[] = {
        {"NoOption", {}, "Buy {KEYWORD}", ""},
        {"PhraseOnly", {.phrase = true}, "Buy", "\tgarden hose\tBuy\tphrase\t0,00"},
        {"BroadAndPhraseInThatOrder",
         {.broad = true, .phrase = true},
         "Buy",
         "\tgarden hose\tBuy\tbroad\t0,00\r\n\tgarden hose\tBuy\tphrase\t0,00"},
        {"NoCallToAction", {.broad = true, .exact = true}, "", ""},
        {"EmptyLineGivesAnEmptyKeyword",
         {.exact = true},
         "a\r\n\r\nb",
         "\tgarden hose\ta\texact\t0,00\r\n\tgarden hose\t\texact\t0,00\r\n"
         "\tgarden hose\tb\texact\t0,00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CampaignSetup setup = UsSetup();
        setup.name = "";
        setup.match = c.match;
        setup.actions = c.actions;
        CampaignBuilder builder(setup);
        builder.Add(kHose);
        EXPECT_EQ(builder.Keywords().Text(), c.keywords);
        // The text ad comes whatever the options; an empty name leaves the line starting with
        // a TAB.
        EXPECT_EQ(builder.TextAds().Text().substr(0, 13), "\tgarden hose\t");
    }
}

TEST(CampaignBuilderTest, CurrencySignsAreCodePage1252BytesOfTheStore) {
    struct Case {
        std::int32_t site;
        std::string sign;
        std::string domain;
    };
    const Case cases[] = {{1, "$", "www.amazon.com"},
                          {2, "\xA3", "www.amazon.co.uk"},
                          {4, "\x80", "www.amazon.fr"},
                          {8, "\x80", "www.amazon.de"},
                          {16, "\xA5", "www.amazon.co.jp"},
                          {32, "$", "www.amazon.ca"},
                          {64, "", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.site);
        CampaignSetup setup = UsSetup();
        setup.siteFlag = c.site;
        setup.links = research::LinksOf(c.site);
        setup.actions = "{PRICE}";
        setup.match = {.exact = true};
        CampaignBuilder builder(setup);
        builder.Add(kHose);
        EXPECT_EQ(builder.Keywords().Text(),
                  "Spring\tgarden hose\t" + c.sign + "123.00\texact\t0,00");
        const std::string link = c.domain.empty()
                                     ? std::string("B000TEST00/xyz-21")
                                     : "http://" + c.domain + "/exec/obidos/ASIN/B000TEST00/xyz-21";
        EXPECT_EQ(builder.TextAds().Text(),
                  "Spring\tgarden hose\tgarden hose \tSave 17.95 % today.\tOnly " + c.sign +
                      "123.00!\t" + c.domain + "\t" + link);
    }
}

TEST(CampaignBuilderTest, BothTextsStopAt65535Bytes) {
    // Each line expands a long keyword many times over, so two items pass both bounds.
    const std::string keywords(1000, 'k');
    std::string manyKeywords;
    for (int i = 0; i < 25; ++i) manyKeywords += "{KEYWORD}";
    CampaignSetup setup = UsSetup();
    setup.name = "";
    setup.match = {.broad = true, .exact = true, .phrase = true};
    setup.actions = manyKeywords;
    setup.adLine1 = manyKeywords;
    setup.adLine2 = manyKeywords;
    CampaignBuilder builder(setup);
    const research::CampaignItem item{.keywords = keywords, .asin = "B1"};
    for (int i = 0; i < 3; ++i) builder.Add(item);

    // What the texts would hold without the bound, cut there.
    const std::string expanded(16383, 'k');  // one expansion is at most 16383 bytes
    std::string keywordLines, adLines;
    for (int i = 0; i < 3; ++i) {
        for (const char* match : {"broad", "exact", "phrase"}) {
            if (!keywordLines.empty()) keywordLines += "\r\n";
            keywordLines += "\t" + keywords + "\t" + expanded + "\t" + match + "\t0,00";
        }
        if (!adLines.empty()) adLines += "\r\n";
        adLines += "\t" + keywords + "\t" + std::string(25, 'k') + "\t" + expanded + "\t" +
                   expanded + "\twww.amazon.com\thttp://www.amazon.com/exec/obidos/ASIN/B1/xyz-21";
    }
    ASSERT_GT(keywordLines.size(), kMaxCampaignText);
    ASSERT_GT(adLines.size(), kMaxCampaignText);
    EXPECT_EQ(builder.Keywords().Text(), keywordLines.substr(0, kMaxCampaignText));
    EXPECT_EQ(builder.TextAds().Text(), adLines.substr(0, kMaxCampaignText));
}

}  // namespace
}  // namespace zem::test
