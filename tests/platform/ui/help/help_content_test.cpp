#include "platform/ui/help/help_content.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/resources/resources.h"
#include "platform/ui/resources/temp_resources.h"

namespace zem::ui {
namespace {

class HelpContentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resources_.Write("help/index.htm",
                         "<html><head><title>Zembrola Help</title></head><body>"
                         "<a href=\"MainFrame.htm\">Main window</a></body></html>");
        resources_.Write("help/MainFrame.htm",
                         "<html><head><title>\n  The main\n  window </title>"
                         "<style>p { color: keyword; }</style>"
                         "<script>var campaign = 1;</script></head>"
                         "<body><h1>Main <b>window</b></h1><p>Start a <i>Keyword</i> search"
                         " &amp; build lists.</p><!-- campaign draft --></body></html>");
        resources_.Write("help/CreateCompaign.htm",
                         "<title>Campaign creation</title><p>Copy the keyword lines "
                         "into the AdWords&nbsp;editor &lt;bulk&gt;.</p>");
        resources_.Write("help/UpdateSite.HTM",
                         "<TITLE>Store form</TITLE><P>Affiliate id and KEYWORD ads</P>");
        resources_.Write("help/notes.txt", "keyword keyword keyword");
        resources_.Write("help/Untitled.htm", "<p>no title, keyword</p>");
    }

    static std::vector<std::string> Topics(const std::vector<HelpHit>& hits) {
        std::vector<std::string> topics;
        for (const HelpHit& hit : hits) topics.push_back(hit.topic);
        return topics;
    }

    test::TempResources resources_;
};

TEST_F(HelpContentTest, EveryHelpFileIsTheHelpFolder) {
    EXPECT_EQ(HelpSetDir("zembrola.chm"), resources_.Path() / "help");
    EXPECT_EQ(HelpSetDir("other.chm"), HelpDir());
    EXPECT_EQ(HelpContentsPath(), resources_.Path() / "help" / "index.htm");
}

TEST_F(HelpContentTest, FindsTopicsWithoutRegardToCase) {
    const auto help = resources_.Path() / "help";
    EXPECT_EQ(HelpTopicPath("MainFrame.htm"), help / "MainFrame.htm");
    EXPECT_EQ(HelpTopicPath("mainframe.HTM"), help / "MainFrame.htm");
    EXPECT_EQ(HelpTopicPath("updatesite.htm"), help / "UpdateSite.HTM");
    EXPECT_FALSE(HelpTopicPath("BuildList.htm"));
    EXPECT_FALSE(HelpTopicPath(""));
    EXPECT_FALSE(HelpTopicPath("../help/MainFrame.htm"));
}

struct SearchCase {
    const char* words;
    std::vector<std::string> topics;  // in title order
    friend void PrintTo(const SearchCase& c, std::ostream* out) { *out << '"' << c.words << '"'; }
};

class HelpSearchTest : public HelpContentTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(HelpSearchTest, FindsPagesHoldingAllWords) {
    EXPECT_EQ(Topics(SearchHelp(GetParam().words)), GetParam().topics);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HelpSearchTest,
    ::testing::Values(
        // Titles: "Campaign creation", "Store form", "The main window", "Untitled.htm".
        SearchCase{"keyword",
                   {"CreateCompaign.htm", "UpdateSite.HTM", "MainFrame.htm", "Untitled.htm"}},
        SearchCase{"KEYWORD   ads", {"UpdateSite.HTM"}},
        SearchCase{"main window", {"MainFrame.htm", "index.htm"}},
        SearchCase{"& build", {"MainFrame.htm"}},  // entities are decoded
        SearchCase{"adwords editor <bulk>", {"CreateCompaign.htm"}},
        SearchCase{"campaign", {"CreateCompaign.htm"}},  // not in scripts or comments
        SearchCase{"color", {}},                         // nor in style sheets
        SearchCase{"href", {}},                          // markup is not text
        SearchCase{"zembrola help", {"index.htm"}},      // the title is text too
        SearchCase{"keyword missingword", {}}));

TEST_F(HelpContentTest, HitsCarryTheTitles) {
    const std::vector<HelpHit> all = SearchHelp("");
    ASSERT_EQ(all.size(), 5u);  // no words: every page, and only pages
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"CreateCompaign.htm", "Campaign creation"},
        {"UpdateSite.HTM", "Store form"},
        {"MainFrame.htm", "The main window"},
        {"Untitled.htm", "Untitled.htm"},
        {"index.htm", "Zembrola Help"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(all[i].topic, expected[i].first);
        EXPECT_EQ(all[i].title, expected[i].second);
    }
}

TEST(HelpSearchMissingTest, NoHelpFolderFindsNothing) {
    test::TempResources resources;
    EXPECT_TRUE(SearchHelp("keyword").empty());
    EXPECT_FALSE(HelpTopicPath("MainFrame.htm"));
}

}  // namespace
}  // namespace zem::ui
