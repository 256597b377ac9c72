// Item-search pages of the Large group at full size, read by the program's item-search reader:
// what it stores is what the simulator's catalog holds, texts in the store's code page.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "data/data_fixture.h"
#include "item_catalog.h"
#include "item_search_reply.h"
#include "large_item_parts.h"
#include "platform/runtime/code_pages.h"
#include "simulated_services.h"
#include "web/handlers/parse_text.h"
#include "web/item_search_handler.h"
#include "web/search_indexes.h"
#include "web/stores.h"

namespace zem::test {
namespace {

constexpr const char* kKeywords[] = {"digital camera", "tea", "robot", "lamp", "chess set"};

struct Page {
    sim::ItemQuery query;
    std::string reply;
};

Page DrawPage(const web::StoreInfo& store, std::string_view index, std::string_view keywords,
              int page, bool oversized = false) {
    std::string encoded(keywords);
    for (char& c : encoded)
        if (c == ' ') c = '+';
    const std::string url = "http://" + std::string(store.serviceHost) +
                            "/onca/xml?Service=AWSECommerceService&AWSAccessKeyId=" +
                            std::string(sim::kProgramAccessKey) +
                            "&Version=2007-06-13&Operation=ItemSearch&ResponseGroup=Large"
                            "&SearchIndex=" +
                            std::string(index) + "&Keywords=" + encoded +
                            "&ItemPage=" + std::to_string(page);
    const std::optional<sim::ProxyRequest> request = sim::ParseProxyTarget(url, "");
    Page drawn;
    drawn.query.store = &store;
    drawn.query.searchIndex = index;
    drawn.query.keywords = keywords;
    drawn.reply = sim::ItemSearchReply(1, store, *request, oversized);
    return drawn;
}

class ItemSearchReaderTest : public DataTest {
  protected:
    std::map<std::string, data::GoodsRecord> StoredByAsin() {
        std::map<std::string, data::GoodsRecord> rows;
        data::TableManager& goods = M(data::TableId::Goods);
        EXPECT_EQ(goods.UseFile(), ui::Benign);
        EXPECT_EQ(goods.File().Set(data::GOO_KeyId), store::NoError);
        while (goods.TryNext() == ui::Benign)
            if (+D().GOO.QUERY == query_) rows.emplace(data::CStringOf(D().GOO.ASIN), D().GOO);
        return rows;
    }
    std::string BrandName(std::int32_t id) {
        D().BRA.ID = id;
        return M(data::TableId::Brands).TryFetch(data::BRA_KeyId) == ui::Benign
                   ? std::string(data::StringOf(D().BRA.NAME))
                   : std::string("<none>");
    }
    std::int32_t query_ = 0;
};

TEST_F(ItemSearchReaderTest, StoresTheCatalogsItemsWithTheirTextsInTheStoresCodePage) {
    int items = 0, nonAscii = 0;
    for (const web::StoreInfo& store : web::Stores()) {
        const std::string_view index = web::SearchIndexesOf(store.siteFlag)[1].searchIndex;
        for (const char* keywords : kKeywords) {
            for (const int page : {1, 2}) {
                SCOPED_TRACE(std::string(store.name) + " " + std::string(index) + " " + keywords +
                             " page " + std::to_string(page));
                const Page drawn = DrawPage(store, index, keywords, page);
                const int total = sim::TotalResultsOf(1, drawn.query);
                if (page > sim::TotalPagesOf(total) && page > 1) continue;
                D().QUE.ID = ++query_;
                D().QUE.SITE = static_cast<std::uint8_t>(store.siteFlag);
                web::ItemSearchHandler handler;
                handler.Reset();
                ParseText(handler, drawn.reply);
                EXPECT_EQ(handler.M_ERRORCODE, 0);
                EXPECT_EQ(handler.TOTALITEMS, total);
                EXPECT_EQ(handler.TOTALPAGES, sim::TotalPagesOf(total));

                const std::map<std::string, data::GoodsRecord> rows = StoredByAsin();
                EXPECT_EQ(handler.PARSEDITEMS, static_cast<int>(rows.size()));
                for (const sim::Item& item : sim::ItemsOfPage(1, drawn.query, page)) {
                    const auto row = rows.find(item.asin);
                    if (!item.lowestNewPrice) continue;
                    ASSERT_NE(row, rows.end()) << item.asin;
                    ++items;
                    if (!runtime::IsAscii(item.title)) ++nonAscii;
                    EXPECT_EQ(data::StringOf(row->second.TITLE),
                              runtime::FromUtf8(item.title, store.codePage));
                    if (!item.brand.empty()) {
                        EXPECT_EQ(BrandName(+row->second.BRAND),
                                  runtime::FromUtf8(item.brand, store.codePage));
                    }
                }
            }
        }
    }
    EXPECT_GT(items, 100);
    EXPECT_GT(nonAscii, 50);
}

TEST(ItemSearchReply, LargePagesAreFullSizeAndOnlyTheOversizedOptionPassesThePageBuffer) {
    std::size_t smallest = SIZE_MAX, largest = 0;
    for (const web::StoreInfo& store : web::Stores()) {
        const std::string_view index = web::SearchIndexesOf(store.siteFlag)[1].searchIndex;
        for (const char* keywords : kKeywords) {
            const Page drawn = DrawPage(store, index, keywords, 1);
            if (sim::ItemsOfPage(1, drawn.query, 1).size() < 10) continue;
            smallest = std::min(smallest, drawn.reply.size());
            largest = std::max(largest, drawn.reply.size());
            EXPECT_GT(DrawPage(store, index, keywords, 1, true).reply.size(),
                      sim::kProgramPageBuffer);
        }
    }
    EXPECT_GE(smallest, 100'000u);
    EXPECT_LT(largest, sim::kProgramPageBuffer);
}

}  // namespace
}  // namespace zem::test
