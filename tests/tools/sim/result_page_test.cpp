// Result pages: the program's result-page reader, run over the simulator's pages, finds the
// sponsored results and the ordinary results the simulator put there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "data/data_fixture.h"
#include "result_page.h"
#include "tools/sim/running_simulator.h"
#include "web/google_ads_handler.h"
#include "web/handlers/parse_text.h"
#include "web/stores.h"

namespace zem::test {
namespace {

constexpr const char* kPhrases[] = {
    "digital camera", "red wine",      "tea kettle",   "garden hose",   "mp3 player",
    "chess",          "running shoes", "lamp",         "\"usb stick\"", "dvd box",
    "lego",           "coffee & tea",  "baby monitor", "<b>bold</b>",   "gps",
    "tent",           "harry potter",  "ipod case",    "printer ink",   "wok"};

class ResultPageReaderTest : public DataTest {
  protected:
    // Reads the page into a fresh Goods row of a query on the store; answers the row as read back.
    struct Read {
        int aff = 0;
        int ads = 0;
        int affilative = 0;
        int errorCode = 0;
    };
    Read ReadPage(const web::StoreInfo& store, const std::string& html) {
        D().QUE.SITE = static_cast<std::uint8_t>(store.siteFlag);
        EXPECT_EQ(Add(data::TableId::Goods,
                      [&] {
                          data::SetCString(D().GOO.ASIN, "B000000001");
                          D().GOO.ADS = 77;
                          D().GOO.AFFILATIVE = 0;
                      }),
                  ui::Benign);
        const std::int32_t id = +D().GOO.ID;
        D().GOO.ID = id;
        EXPECT_EQ(M(data::TableId::Goods).TryFetch(data::GOO_KeyId), ui::Benign);
        web::GoogleAdsHandler handler;
        handler.Reset();
        ParseText(handler, html);
        Read read{handler.AFF, 0, 0, handler.M_ERRORCODE};
        D().GOO.ID = id;
        EXPECT_EQ(M(data::TableId::Goods).TryFetch(data::GOO_KeyId), ui::Benign);
        read.ads = +D().GOO.ADS;
        read.affilative = +D().GOO.AFFILATIVE;
        return read;
    }
};

TEST_F(ResultPageReaderTest, FindsTheSponsoredAndOrdinaryResultsTheSimulatorPutOnThePage) {
    int withTop = 0, withoutTop = 0, withStoreAd = 0, withStoreLink = 0, withSideOnly = 0;
    int news = 0, images = 0, https = 0, mixedCase = 0;
    for (const web::StoreInfo& store : web::Stores()) {
        for (const char* phrase : kPhrases) {
            for (const std::uint64_t seed : {1u, 7u}) {
                const std::string q = std::string("\"") + phrase + "\"";
                SCOPED_TRACE(std::string(store.searchHost) + " " + q + " seed " +
                             std::to_string(seed));
                const sim::GeneratedPage page =
                    sim::DrawResultPage(seed, store, store.searchHost, q);
                const sim::ResultPageFacts& facts = page.facts;
                const Read read = ReadPage(store, page.html);

                const bool storeAd = std::ranges::count(facts.topIsStore, true) > 0;
                const auto elsewhere = std::ranges::count(facts.linkIsStore, false);
                EXPECT_EQ(read.aff, static_cast<int>(facts.topAddresses.size()));
                EXPECT_EQ(read.affilative, storeAd ? 1 : 0);
                EXPECT_EQ(read.ads, elsewhere);
                EXPECT_EQ(read.errorCode, 0);

                (facts.topAddresses.empty() ? withoutTop : withTop)++;
                if (storeAd) ++withStoreAd;
                if (elsewhere < static_cast<long>(facts.links.size())) ++withStoreLink;
                if (facts.topAddresses.empty() && facts.sideAds > 0) ++withSideOnly;
                news += facts.newsBlocks;
                images += facts.imageBlocks;
                for (const std::string& link : facts.links) {
                    if (link.starts_with("https") || link.starts_with("HTTPS")) ++https;
                    if (link.starts_with("HTTP://") || link.find("WWW.") != std::string::npos)
                        ++mixedCase;
                }
            }
        }
    }
    // The cases the reader must tell apart all occur.
    EXPECT_GT(withTop, 0);
    EXPECT_GT(withoutTop, 0);
    EXPECT_GT(withStoreAd, 0);
    EXPECT_GT(withStoreLink, 0);
    EXPECT_GT(withSideOnly, 0);
    EXPECT_GT(news, 0);
    EXPECT_GT(images, 0);
    EXPECT_GT(https, 0);
    EXPECT_GT(mixedCase, 0);
}

TEST(ResultPage, IsShapedLikeTheEnginesPages) {
    std::size_t smallest = SIZE_MAX, largest = 0;
    for (const web::StoreInfo& store : web::Stores()) {
        for (const char* phrase : kPhrases) {
            const std::string html = sim::DrawResultPage(3, store, store.searchHost, phrase).html;
            smallest = std::min(smallest, html.size());
            largest = std::max(largest, html.size());
            for (const char* part : {"<script>", "<style>", "<!--", "<!--[if IE]>", "&amp;",
                                     "<div id=gbar>", "id=mbEnd", "</body></html>"})
                EXPECT_NE(html.find(part), std::string::npos) << part;
        }
    }
    EXPECT_GE(smallest, 30u * 1024);
    EXPECT_LE(largest, 120u * 1024);
}

TEST(ResultPage, TheProxyServesTheDrawnPageAndItDependsOnHostAndPhraseOnly) {
    const RunningSimulator sim;
    const RunningSimulator twin;
    const std::string url = SearchUrl("www.google.de", "digital+camera", "de");
    const std::string page = sim.Body(url);
    EXPECT_EQ(twin.Body(url), page);
    EXPECT_EQ(
        page,
        sim::DrawResultPage(1, *web::StoreBySite(8), "www.google.de", "\"digital camera\"").html);
    EXPECT_NE(sim.Body(SearchUrl("www.google.de", "digital+kamera", "de")), page);
    EXPECT_NE(sim.Body(SearchUrl("www.google.fr", "digital+camera", "de")), page);
}

TEST(ResultPage, OtherPathsOfTheServiceHostsAreNotFound) {
    const RunningSimulator sim;
    for (const char* url : {"http://www.google.com/", "http://www.google.co.jp/images?q=x",
                            "http://ecs.amazonaws.com/onca/json?Operation=ItemSearch"}) {
        const httplib::Result result = FetchThrough(sim.port, url);
        ASSERT_TRUE(result) << url;
        EXPECT_EQ(result->status, 404) << url;
    }
}

}  // namespace
}  // namespace zem::test
