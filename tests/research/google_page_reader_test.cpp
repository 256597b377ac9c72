// Reading one result page into its Goods row: what is counted and stored, and the pages that
// must leave the stored row as it was.
#include "research/result_page_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "data/data_fixture.h"

namespace zem::test {
namespace {

using data::TableId;
using research::PageReading;

// A result page of the layout the page handler walks: the sponsored block with the given
// display addresses, the table, then one ordinary result per link.
std::string ResultPage(const std::vector<std::string>& sponsored,
                       const std::vector<std::string>& links,
                       const std::string& title = "\"garden hose\" - Google Search") {
    std::string page = "<html><head><title>" + title + "</title></head><body><div id=\"header\">" +
                       "<a href=\"http://www.google.co.uk/\">Google</a></div>";
    if (!sponsored.empty()) {
        page += "<div id=\"tads\"><h2>Sponsored Links</h2>";
        for (std::size_t i = 0; i < sponsored.size(); ++i) {
            page += "<div id=\"tpa" + std::to_string(i + 1) + "\"><a href=\"/aclk\">Ad</a></div>";
            page += "<span class=\"a\">" + sponsored[i] + "</span><br>";
        }
        page += "</div>";
    }
    page += "<table class=\"t\"><tr><td>Results</td></tr></table><div id=\"res\">";
    for (const std::string& link : links)
        page += "<div class=\"g\"><h2 class=\"r\"><a href=\"" + link + "\">x</a></h2></div>";
    page += "</div></body></html>";
    return page;
}

struct PageCase {
    const char* name;
    std::string page;
    std::int32_t adsBefore;
    std::int32_t affilativeBefore;
    PageReading reading;
    std::int32_t adsStored;
    std::int32_t affilativeStored;
    friend void PrintTo(const PageCase& c, std::ostream* out) { *out << c.name; }
};

class ResultPageReaderTest : public DataTest, public ::testing::WithParamInterface<PageCase> {
  protected:
    // A stored row of the query, left in the buffer as the check reads it before a page.
    std::int32_t AddRow(std::int32_t ads, std::int32_t affilative) {
        EXPECT_EQ(Add(TableId::Goods,
                      [&] {
                          data::SetCString(D().GOO.KEYWORDS, "garden hose");
                          D().GOO.QUERY = 7;
                          D().GOO.ADS = ads;
                          D().GOO.AFFILATIVE = affilative;
                      }),
                  ui::Benign);
        const std::int32_t id = D().GOO.ID;
        EXPECT_EQ(M(TableId::Goods).Fetch(data::GOO_KeyId), ui::Benign);
        return id;
    }

    static data::GoodsRecord Stored(std::int32_t id) {
        D().GOO = {};
        D().GOO.ID = id;
        EXPECT_EQ(M(TableId::Goods).Fetch(data::GOO_KeyId), ui::Benign);
        return D().GOO;
    }
};

TEST_P(ResultPageReaderTest, StoresThePageCountsOnlyForACompleteResultPage) {
    const PageCase& c = GetParam();
    D().QUE.SITE = 2;  // Amazon UK: www.amazon.co.uk
    const std::int32_t id = AddRow(c.adsBefore, c.affilativeBefore);
    std::vector<char> page(c.page.begin(), c.page.end());
    page.push_back('\0');
    research::ResultPageReader reader;
    EXPECT_EQ(reader.Read(page), c.reading);
    const data::GoodsRecord row = Stored(id);
    EXPECT_EQ(row.ADS, c.adsStored);
    EXPECT_EQ(row.AFFILATIVE, c.affilativeStored);
    EXPECT_EQ(data::CStringOf(row.KEYWORDS), "garden hose");
    EXPECT_FALSE(sink->Last());
}

const std::vector<std::string> kTenLinks{
    "http://www.amazon.co.uk/hose/dp/B001",  // the store's
    "http://www.hosehub.co.uk/hose.html",
    "http://amazon.co.uk/s?k=hose",          // the store without www.: a competitor
    "https://www.amazon.co.uk/hose",         // another scheme: a competitor
    "HTTP://WWW.AMAZON.CO.UK/hose/dp/B002",  // the store's, in capitals
    "http://www.amazon.de/hose",
    "http://www.gardenworld.co.uk/",
    "http://www.bestdeal.co.uk/hose",
    "http://www.citymarket.co.uk/",
    "http://www.valuezone.co.uk/",
};

std::string WithoutBodyEnd(std::string page) {
    return page.substr(0, page.find("</body>"));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ResultPageReaderTest,
    ::testing::Values(
        PageCase{"OwnAdInLowerCaseAmongTwo",
                 ResultPage({"www.hosehub.co.uk", "www.amazon.co.uk/Garden"}, kTenLinks), 99, 0,
                 PageReading::Checked, 8, 1},
        PageCase{"NoOwnAdKeepsTheMarkAndRecounts",
                 ResultPage({"Amazon.co.uk", "www.amazon.de"}, kTenLinks), 99, 1,
                 PageReading::Checked, 8, 1},
        PageCase{"NoOwnAdNoMark", ResultPage({"amazon.co.uk"}, kTenLinks), 99, 0,
                 PageReading::Checked, 8, 0},
        PageCase{"NoSponsoredBlockAndNoResults", ResultPage({}, {}), 99, 0, PageReading::Checked, 0,
                 0},
        PageCase{"ServerErrorPage",
                 "<html><head><title>500 Internal Server Error</title></head><body>"
                 "<h1>500 Internal Server Error</h1><p>Try again later.</p></body></html>",
                 99, 0, PageReading::NotResultPage, 99, 0},
        PageCase{"ResultLayoutUnderAnotherTitle",
                 ResultPage({"www.amazon.co.uk"}, kTenLinks, "Proxy notice"), 99, 0,
                 PageReading::NotResultPage, 99, 0},
        PageCase{"CutBeforeTheBodyEnds",
                 WithoutBodyEnd(ResultPage({"www.amazon.co.uk"}, kTenLinks)), 99, 0,
                 PageReading::Incomplete, 99, 0},
        PageCase{"Empty", "", 99, 1, PageReading::Incomplete, 99, 1}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(ResultPageReaderTest, OneReaderReadsPageAfterPageEachFromAFreshStart) {
    D().QUE.SITE = 2;
    research::ResultPageReader reader;
    const std::int32_t first = AddRow(0, 0);
    std::string text = WithoutBodyEnd(ResultPage({"www.amazon.co.uk"}, kTenLinks));
    std::vector<char> page(text.begin(), text.end());
    page.push_back('\0');
    EXPECT_EQ(reader.Read(page), PageReading::Incomplete);

    // Nothing of the cut page carries over: its title, its body state, its sponsored count.
    const std::int32_t second = AddRow(5, 0);
    text = ResultPage({"www.hosehub.co.uk", "www.amazon.co.uk"}, {"http://www.hosehub.co.uk/"});
    page.assign(text.begin(), text.end());
    page.push_back('\0');
    EXPECT_EQ(reader.Read(page), PageReading::Checked);
    EXPECT_EQ(Stored(first).AFFILATIVE, 0);
    EXPECT_EQ(Stored(second).ADS, 1);
    EXPECT_EQ(Stored(second).AFFILATIVE, 1);
}

}  // namespace
}  // namespace zem::test
