// Reading one result page into its Goods row: what is counted and stored, and the pages that
// must leave the stored row as it was.
#include "research/google/result_page_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
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

// A result page written the way the search engine wrote them in 2008: attributes mostly
// unquoted, links ending in "/" right before the next attribute, a script in the head, a
// comment-wrapped script in the body and entities in the texts. The store's own ad is the second
// sponsored result; of the three ordinary results one leads to the store.
constexpr std::string_view kResultPage2008 =
    R"page(<html><head><meta http-equiv=content-type content="text/html; charset=UTF-8"><title>&quot;garden hose&quot; - Google Search</title><style>body,td,a,p,.h{font-family:arial,sans-serif}.g{margin-top:1em}</style><script>window.google={kEI:"q2XbSJ",kEXPI:"17259,17735",kHL:"en"};
function rwt(a,b,c,d,e,f){var i=encodeURIComponent||escape;if(a.href&&b<c)a.href="/url?sa=t&source=web&cd="+i(d)+"&url="+i(a.href)+"&ei=q2XbSJ";return true}
</script></head><body bgcolor=#ffffff topmargin=3 marginheight=3><div id=gbar><nobr><b class=gb1>Web</b> <a href=http://images.google.co.uk/images?q=%22garden+hose%22&hl=en&tab=wi class=gb1>Images</a> <a href=http://maps.google.co.uk/maps?q=%22garden+hose%22&hl=en&tab=wl class=gb1>Maps</a></nobr></div>
<table border=0 cellpadding=0 cellspacing=0 width=100%><tr><td class=tc valign=top><a href=/webhp?hl=en><img src=/intl/en_uk/images/logo_sm.gif width=150 height=55 alt="Go to Google Home" border=0 vspace=12></a></td></tr></table>
<div id=tads><h2 class=hd>Sponsored Links</h2><ol><li><div id=tpa1><h3><a id=pa1 href=/aclk?sa=L&ai=BxQ7&num=1&q=http://www.hosehub.co.uk/ class=l onmousedown="return rwt(this,'','','','1','AFQjCNE','','0')">Garden Hoses &amp; Reels</a></h3></div><span class=a>www.hosehub.co.uk</span><br>Free delivery on orders over &pound;30
<li><div id=tpa2><h3><a id=pa2 href=/aclk?sa=L&ai=CzR4&num=2&q=http://www.amazon.co.uk/ class=l>Garden Hose at Amazon</a></h3></div><span class=a>www.amazon.co.uk/garden</span><br>Low prices &middot; free UK delivery&nbsp;&raquo;
</ol></div>
<table border=0 cellpadding=0 cellspacing=0 width=100% class=t bgcolor=#e5ecf9><tr><td nowrap><font size=+1>&nbsp;<b>Web</b></font></td><td align=right nowrap>Results <b>1</b> - <b>3</b> of about <b>2,130</b> for <b>&quot;garden hose&quot;</b></td></tr></table>
<div id=res><!--a--><h2 class=hd>Search Results</h2><div>
<div class=g><h2 class=r><a href=http://www.amazon.co.uk/ class=l onmousedown="return rwt(this,'','','res','1','AFQjCNH','&sig2=u3','0')">Amazon.co.uk: <em>garden hose</em>: Garden &amp; Outdoors</a></h2><table border=0 cellpadding=0 cellspacing=0><tr><td class="j"><font size=-1>Hoses, reels &amp; fittings from &pound;4.99&nbsp;...<br><span class=a>www.amazon.co.uk/ - 41k - </span><nobr><a class=fl href="http://64.233.183.104/search?q=cache:x1:www.amazon.co.uk/">Cached</a></nobr></font></td></tr></table></div>
<script><!--
if(document.images){new Image().src="/images/nav_next.gif"}
//--></script>
<div class=g><h2 class=r><a href=http://www.hosehub.co.uk/hoses/ class=l>Hose Hub - <em>Garden Hose</em> Specialists</a></h2><table border=0 cellpadding=0 cellspacing=0><tr><td class="j"><font size=-1>Every <em>garden hose</em> you need&nbsp;...<br><span class=a>www.hosehub.co.uk/hoses/ - 12k - </span><nobr><a class=fl href="http://64.233.183.104/search?q=cache:x2:www.hosehub.co.uk/hoses/">Cached</a></nobr></font></td></tr></table></div>
<div class=g><h2 class=r><a href=http://www.gardenworld.co.uk/ class=l>Garden World</a></h2><table border=0 cellpadding=0 cellspacing=0><tr><td class="j"><font size=-1>Hoses &amp; watering&nbsp;...<br><span class=a>www.gardenworld.co.uk/ - 8k - </span><nobr><a class=fl href="http://64.233.183.104/search?q=cache:x3:www.gardenworld.co.uk/">Cached</a></nobr></font></td></tr></table></div>
</div><!--z--></div><br clear=all><div id=navbar class=n><table border=0 cellpadding=0 width=1% cellspacing=0 align=center><tr><td class=b><img src=/intl/en_uk/images/nav_first.gif width=18 height=26 alt=""></td></tr></table></div>
<center><font size=-1><a href=/intl/en/ads/>Advertising&nbsp;Programmes</a> - <a href=/intl/en/about.html>About Google</a></font><p><font size=-1 class=p>&copy;2008 Google</font></p></center></body></html>
)page";

TEST_F(ResultPageReaderTest, APageOfUnquotedLinksEndingInSlashesIsCountedWhole) {
    D().QUE.SITE = 2;  // Amazon UK
    const std::int32_t id = AddRow(99, 0);
    std::vector<char> page(kResultPage2008.begin(), kResultPage2008.end());
    page.push_back('\0');
    research::ResultPageReader reader;
    EXPECT_EQ(reader.Read(page), PageReading::Checked);
    const data::GoodsRecord row = Stored(id);
    EXPECT_EQ(row.ADS, 2);         // the two results that are not the store's
    EXPECT_EQ(row.AFFILATIVE, 1);  // the store's own ad, second of the sponsored results
}

}  // namespace
}  // namespace zem::test
