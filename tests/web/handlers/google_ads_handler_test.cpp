#include "web/google_ads_handler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/data_fixture.h"
#include "parse_text.h"
#include "web/stores.h"

namespace zem::test {
namespace {

using data::TableId;

// A result page as the search engine laid it out: the sponsored block, a table, then the
// ordinary results.
struct PageLayout {
    std::vector<std::string> sponsored;  // display addresses, numbered tpa1, tpa2, ...
    std::vector<std::string> links;      // ordinary results' links
    bool bodyEnd = true;
};

std::string SponsoredXml(int number, const std::string& address) {
    return "<div id=\"tpa" + std::to_string(number) +
           "\"><a href=\"http://ads.example/click\">Great widgets</a></div><span class=\"a\">" +
           address + "</span>";
}

std::string ResultXml(const std::string& link) {
    return "<div class=\"g\"><h2 class=\"r\"><a href=\"" + link +
           "\" class=\"l\">A result</a></h2><div class=\"s\">Some text - "
           "<span class=\"a\">cached</span></div></div>";
}

std::string Page(const PageLayout& layout) {
    std::string page =
        "<html><head><title>\"widget\" - Search</title></head><body><div id=\"header\">"
        "<form><input name=\"q\" value=\"widget\"></form></div>";
    if (!layout.sponsored.empty()) {
        page += "<div id=\"tads\"><h2>Sponsored Links</h2>";
        for (std::size_t i = 0; i < layout.sponsored.size(); ++i)
            page += SponsoredXml(static_cast<int>(i + 1), layout.sponsored[i]);
        page += "</div>";
    }
    page += "<table><tr><td>Results 1 - 10</td></tr></table><div id=\"res\">";
    for (const std::string& link : layout.links) page += ResultXml(link);
    page += "</div>";
    if (layout.bodyEnd) page += "</body></html>";
    return page;
}

class GoogleAdsTest : public DataTest {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        handler.Reset();
        UseStore(1);
    }

    // The Goods row the page belongs to, loaded into the buffer as the owner loads it.
    void AddRow(std::int32_t ads, std::int32_t affilative) {
        ASSERT_EQ(Add(TableId::Goods,
                      [&] {
                          data::SetCString(D().GOO.ASIN, "B000000001");
                          D().GOO.ADS = ads;
                          D().GOO.AFFILATIVE = affilative;
                      }),
                  ui::Benign);
        rowId = +D().GOO.ID;
        Load();
    }
    void Load() {
        D().GOO.ID = rowId;
        ASSERT_EQ(M(TableId::Goods).TryFetch(data::GOO_KeyId), ui::Benign);
    }
    void UseStore(std::int32_t site) {
        D().QUE.SITE = static_cast<std::uint8_t>(site);
        const web::StoreInfo* store = web::StoreBySite(site);
        domain = store ? std::string(store->domain) : "amazon.com";
    }
    std::string Shop() const { return "http://www." + domain + "/gp/product/B000000001"; }
    std::vector<std::string> Results(int others, int toShop) const {
        std::vector<std::string> links;
        for (int i = 0; i < others; ++i)
            links.push_back("http://site" + std::to_string(i) + ".example/");
        for (int i = 0; i < toShop; ++i) links.insert(links.begin() + i * 2, Shop());
        return links;
    }
    void Parse(const PageLayout& layout) { ParseText(handler, Page(layout)); }

    web::GoogleAdsHandler handler;
    std::int32_t rowId = 0;
    std::string domain;
};

class GoogleAdsStoreTest : public GoogleAdsTest,
                           public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(GoogleAdsStoreTest, CountsCompetitorsAndMarksTheStoresOwnAd) {
    UseStore(GetParam());
    AddRow(0, 0);
    PageLayout page;
    page.sponsored = {"www.widgets.example", "www." + domain + "/widgets"};
    page.links = Results(8, 2);
    Parse(page);

    EXPECT_EQ(handler.AFF, 2);
    EXPECT_EQ(handler.M_ERRORCODE, 0);
    EXPECT_EQ(handler.STATE, 0);
    Load();  // what was written
    EXPECT_EQ(+D().GOO.ADS, 8);
    EXPECT_EQ(+D().GOO.AFFILATIVE, 1);
}

INSTANTIATE_TEST_SUITE_P(Stores, GoogleAdsStoreTest, ::testing::Values(1, 2, 4, 8, 16, 32),
                         [](const auto& p) { return "site" + std::to_string(p.param); });

struct PageCase {
    const char* what;
    std::vector<std::string> sponsored;
    std::vector<std::string> links;
    std::int32_t adsBefore, affilativeBefore;
    std::int32_t ads, affilative;
    std::uint8_t aff;
};

const PageCase kPages[] = {
    {"a display address without www. is not the store's",
     {"amazon.com/widgets"},
     {},
     0,
     0,
     0,
     0,
     1},
    {"the store's ad in lower case", {"www.amazon.com"}, {}, 0, 0, 0, 1, 1},
    {"a store ad from an earlier check stays",
     {"www.widgets.example"},
     {"http://a.example/"},
     5,
     1,
     1,
     1,
     1},
    {"no ordinary results", {}, {}, 7, 0, 0, 0, 0},
    {"links count by their beginning: other schemes and hosts are competitors",
     {},
     {"https://www.amazon.com/dp/1", "http://amazon.com/dp/1", "HTTP://WWW.AMAZON.COM/dp/1",
      "http://www.amazon.com.example/", "http://www.amazon.co.uk/dp/1"},
     0,
     0,
     3,
     0,
     0},
    {"an empty display address is no address: the next ad's is read as its own",
     {"", "www.amazon.com"},
     {},
     0,
     0,
     0,
     1,
     2},
    {"a display address with the phrase in bold is read whole",
     {"www.<b>amazon</b>.com/<em>widgets</em>", "www.widgets.example"},
     {},
     0,
     0,
     0,
     1,
     2},
    {"bold words of another address do not make it the store's",
     {"www.<b>amazon</b>-widgets.example"},
     {},
     0,
     0,
     0,
     0,
     1},
    {"a link on lines of its own leads where it reads",
     {},
     {"\n      http://www.amazon.com/dp/1\n    ", "http://a.example/"},
     0,
     0,
     1,
     0,
     0},
};

TEST_F(GoogleAdsTest, PagesAreCountedAfresh) {
    for (const PageCase& c : kPages) {
        SCOPED_TRACE(c.what);
        AddRow(c.adsBefore, c.affilativeBefore);
        handler.Reset();
        Parse({c.sponsored, c.links});
        EXPECT_EQ(handler.AFF, c.aff);
        Load();
        EXPECT_EQ(+D().GOO.ADS, c.ads);
        EXPECT_EQ(+D().GOO.AFFILATIVE, c.affilative);
    }
}

TEST_F(GoogleAdsTest, ASponsoredResultOutOfOrderEndsTheSponsoredBlock) {
    AddRow(0, 0);
    const std::string page = "<html><body><div id=\"tads\">" + SponsoredXml(3, "www.amazon.com") +
                             "</div><table></table><div id=\"res\">" +
                             ResultXml("http://a.example/") + "</div></body></html>";
    ParseText(handler, page);
    EXPECT_EQ(handler.AFF, 0);
    Load();
    EXPECT_EQ(+D().GOO.AFFILATIVE, 0);
    EXPECT_EQ(+D().GOO.ADS, 1);  // the ordinary results are still read
}

TEST_F(GoogleAdsTest, APageWithoutTheBodyEndIsNotWritten) {
    AddRow(4, 0);
    PageLayout page;
    page.sponsored = {"www.amazon.com"};
    page.links = Results(3, 0);
    page.bodyEnd = false;
    Parse(page);
    EXPECT_EQ(handler.M_ERRORCODE, 0);
    EXPECT_EQ(+D().GOO.ADS, 3);  // counted in the buffer only
    Load();
    EXPECT_EQ(+D().GOO.ADS, 4);
    EXPECT_EQ(+D().GOO.AFFILATIVE, 0);
}

TEST_F(GoogleAdsTest, NothingAfterTheBodyIsRead) {
    AddRow(0, 0);
    ParseText(handler, Page({{}, Results(2, 0)}) + "<body>" + ResultXml("http://late.example/"));
    Load();
    EXPECT_EQ(+D().GOO.ADS, 2);
}

TEST_F(GoogleAdsTest, AFailedWriteIsReported) {
    D().GOO.ID = 999;  // a row the owner never loaded
    Parse({{}, Results(1, 0)});
    EXPECT_EQ(handler.M_ERRORCODE, 1);
    EXPECT_GT(sink->Count(), 0u);
}

TEST_F(GoogleAdsTest, AQueryWithoutAStoreCountsEveryLinkAndMarksNothing) {
    UseStore(0);
    AddRow(0, 0);
    Parse({{"www.amazon.com"}, {"http://www.amazon.com/dp/1", "http://a.example/"}});
    Load();
    EXPECT_EQ(+D().GOO.ADS, 2);
    EXPECT_EQ(+D().GOO.AFFILATIVE, 0);
}

std::string Repeated(std::string_view text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

struct HostileCase {
    const char* what;
    std::string text;
    bool written;
    std::int32_t ads;
};

std::string ManySponsored(int count) {
    std::string page = "<body><div id=\"tads\">";
    for (int i = 1; i <= count; ++i) page += SponsoredXml(i, "www.example");
    return page + "</div><table></table><div>" + ResultXml("http://a.example/") + "</div></body>";
}

const HostileCase kHostile[] = {
    {"no markup", "&&&<<<>>>\x01\xff<//><=>", false, 0},
    {"cut inside a tag", "<html><body><div id=\"tads\"><div id=\"tp", false, 0},
    {"a NUL before the body end",
     "<body><div class=\"g\"><h2 class=\"r\"><a href=\"http://a.example/\">" +
         std::string(1, '\0') + "</body>",
     false, 0},
    {"three hundred sponsored results", ManySponsored(300), true, 1},
    {"deep nesting", Repeated("<div>", 100000) + "</body>", true, 0},
    {"a result without a link", "<body><div class=\"g\"><h2 class=\"r\"><a>x</a></h2></div></body>",
     true, 1},
    {"attributes without values", "<body><div id class><h2 class=><a href=>x</a></h2></div></body>",
     true, 0},
};

TEST_F(GoogleAdsTest, HostilePagesCountOnlyWhatWasRead) {
    for (const HostileCase& c : kHostile) {
        SCOPED_TRACE(c.what);
        AddRow(9, 0);
        handler.Reset();
        ParseText(handler, c.text);
        EXPECT_EQ(handler.M_ERRORCODE, 0);
        Load();
        EXPECT_EQ(+D().GOO.ADS, c.written ? c.ads : 9);
    }
}

TEST_F(GoogleAdsTest, SponsoredResultsStopCountingBeforeWrapping) {
    AddRow(0, 0);
    ParseText(handler, ManySponsored(300));
    EXPECT_EQ(handler.AFF, 255);
}

}  // namespace
}  // namespace zem::test
