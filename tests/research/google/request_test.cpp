// The result-page request of an item: the phrase in quotes, encoded, and the keys in their
// fixed order for each store's search host and country.
#include "research/google/google_request.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace zem::test {
namespace {

TEST(ResultPageUrlTest, EachStoreAsksItsOwnHostForItsCountryInEnglishWithoutSafeSearch) {
    struct Case {
        std::int32_t site;
        const char* url;
    };
    const Case cases[] = {
        {1, "http://www.google.com/search?hl=en&safe=off&q=%22x%22&btnG=Search&gl=us"},
        {2, "http://www.google.co.uk/search?hl=en&safe=off&q=%22x%22&btnG=Search&gl=uk"},
        {4, "http://www.google.fr/search?hl=en&safe=off&q=%22x%22&btnG=Search&gl=fr"},
        {8, "http://www.google.de/search?hl=en&safe=off&q=%22x%22&btnG=Search&gl=de"},
        {16, "http://www.google.co.jp/search?hl=en&safe=off&q=%22x%22&btnG=Search&gl=jp"},
        {32, "http://www.google.ca/search?hl=en&safe=off&q=%22x%22&btnG=Search&gl=ca"},
    };
    for (const Case& c : cases) EXPECT_EQ(research::ResultPageUrl(c.site, "%22x%22"), c.url);
}

TEST(ResultPageUrlTest, AValueThatIsNoStoreGivesNoRequest) {
    for (const std::int32_t site : {0, 3, 64, -1}) {
        EXPECT_EQ(research::ResultPageUrl(site, "%22x%22"), "") << site;
    }
}

TEST(EncodedPhraseTest, TheKeywordsGoInQuotesAndOnlyTheyAreEncoded) {
    struct Case {
        const char* name;
        std::string keywords;
        std::string encoded;
    };
    const Case cases[] = {
        {"TwoWords", "digital camera", "%22digital+camera%22"},
        {"RunsOfBlanksTabsAndLineEnds", "red \t wine\r\n&  cheese", "%22red+wine+%26+cheese%22"},
        // The quotes hold the outer blanks inside the phrase.
        {"OuterBlanks", "  digital camera ", "%22+digital+camera+%22"},
        {"Escapes", "50% off/\"best\" d'or\\", "%2250%25+off%2F%22best%22+d%27or%5C%22"},
        {"AccentInUtf8", "caf\xE9", "%22caf%C3%A9%22"},
        {"PlusAndPunctuationStay", "c++ a=b?", "%22c+++a=b?%22"},
        {"Empty", "", "%22%22"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(research::EncodedPhrase(c.keywords, runtime::CodePage::Ansi), c.encoded)
            << c.name;
    }
}

TEST(EncodedPhraseTest, JapaneseKeywordsGoInUtf8) {
    // "robot" in katakana, as the J windows and the JP store's items hold it.
    EXPECT_EQ(
        research::EncodedPhrase("\x83\x8D\x83\x7B\x83\x62\x83\x67", runtime::CodePage::ShiftJis),
        "%22%E3%83%AD%E3%83%9C%E3%83%83%E3%83%88%22");
}

TEST(EncodedPhraseTest, AFullKeywordsFieldLosesItsClosingQuoteToTheFieldWidth) {
    // The keywords field holds 1023 characters; quoted, the phrase is cut back to that width.
    const std::string keywords(1023, 'k');
    EXPECT_EQ(research::EncodedPhrase(keywords, runtime::CodePage::Ansi),
              "%22" + std::string(1022, 'k'));
    const std::string shorter(1021, 'k');
    EXPECT_EQ(research::EncodedPhrase(shorter, runtime::CodePage::Ansi), "%22" + shorter + "%22");
    // A Shift-JIS character that the width would cut in two goes whole.
    const std::string japanese = std::string(1021, 'k') + "\x83\x8D";
    EXPECT_EQ(research::EncodedPhrase(japanese, runtime::CodePage::ShiftJis),
              "%22" + std::string(1021, 'k'));
}

}  // namespace
}  // namespace zem::test
