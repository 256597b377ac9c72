#include "web/item_search_handler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "data/data_fixture.h"
#include "item_search_reply.h"
#include "parse_text.h"

namespace zem::test {
namespace {

using data::TableId;

class ItemSearchTest : public DataTest {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        D().QUE.ID = kQuery;
        handler.Reset();
    }

    void Parse(const std::string& text) { ParseText(handler, text); }

    static std::vector<data::GoodsRecord> StoredGoods() {
        data::TableManager& goods = M(TableId::Goods);
        EXPECT_EQ(goods.UseFile(), ui::Benign);
        EXPECT_EQ(goods.File().Set(data::GOO_KeyId), store::NoError);
        std::vector<data::GoodsRecord> rows;
        while (goods.TryNext() == ui::Benign) rows.push_back(D().GOO);
        return rows;
    }

    static std::map<std::string, data::GoodsRecord> StoredByAsin() {
        std::map<std::string, data::GoodsRecord> rows;
        for (const data::GoodsRecord& row : StoredGoods())
            rows.emplace(std::string(data::CStringOf(row.ASIN)), row);
        return rows;
    }

    // The ID of a brand by name; 0 when Brands has none.
    static std::int32_t BrandId(std::string_view name) {
        data::SetString(D().BRA.NAME, name);
        return M(TableId::Brands).TryFetch(data::BRA_KeyName) == ui::Benign ? +D().BRA.ID : 0;
    }

    static constexpr std::int32_t kQuery = 42;
    web::ItemSearchHandler handler;
};

ReplyItem Item(std::string asin) {
    ReplyItem item;
    item.asin = std::move(asin);
    return item;
}

TEST_F(ItemSearchTest, APageOfItemsBecomesGoodsRowsOfTheQuery) {
    ReplyItem first = Item("B000000001");
    ReplyItem second = Item("B000000002");
    second.title = "Gizmo Deluxe";
    second.rank = "77";
    ReplyItem third = Item("B000000003");
    // An item after the end of the list is not read: the end of Items ends the parse.
    Parse(Reply("25", "3", {first, second, third}) + ItemXml(Item("B000000004")) + "</Items>");

    EXPECT_EQ(handler.TOTALITEMS, 25);
    EXPECT_EQ(handler.TOTALPAGES, 3);
    EXPECT_EQ(handler.PARSEDITEMS, 3);
    EXPECT_EQ(handler.M_ERRORCODE, 0);
    const std::vector<data::GoodsRecord> rows = StoredGoods();
    ASSERT_EQ(rows.size(), 3u);

    const data::GoodsRecord& row = rows[0];
    EXPECT_GT(+row.ID, 0);
    EXPECT_EQ(data::CStringOf(row.ASIN), "B000000001");
    EXPECT_EQ(data::CStringOf(row.DETAILPAGE),
              "http://www.amazon.com/dp/B000000001%3FSubscriptionId%3D1");
    EXPECT_EQ(+row.RANK, 1234.0);
    EXPECT_EQ(+row.BRAND, BrandId("Acme"));
    EXPECT_NE(+row.BRAND, 0);
    EXPECT_EQ(data::StringOf(row.TITLE), "Acme Widget - Blue");
    EXPECT_EQ(data::CStringOf(row.KEYWORDS), "Acme Widget");
    EXPECT_DOUBLE_EQ(+row.PRICEREAL, 29.99);
    EXPECT_EQ(data::CStringOf(row.PRICELIST), "$         29.99");
    EXPECT_DOUBLE_EQ(+row.AMAZONREAL, 19.99);
    EXPECT_EQ(data::CStringOf(row.AMAZONPRICE), "$         19.99");
    EXPECT_EQ(+row.QUERY, kQuery);
    EXPECT_EQ(+row.ADS, 0);
    EXPECT_EQ(+row.AFFILATIVE, 0);

    EXPECT_EQ(data::StringOf(rows[1].TITLE), "Gizmo Deluxe");
    EXPECT_EQ(+rows[1].RANK, 77.0);
    EXPECT_NE(+rows[0].ID, +rows[1].ID);
    EXPECT_NE(+rows[1].ID, +rows[2].ID);
}

TEST_F(ItemSearchTest, AnErrorReplyWithoutTotalsStoresNothing) {
    const std::string errors =
        "<Errors><Error><Code>AWS.ECommerceService.NoExactMatches</Code><Message>We did not "
        "find any matches for your request.</Message></Error></Errors>";
    Parse(ReplyHead() + errors + "</Items></ItemSearchResponse>");
    EXPECT_EQ(handler.STATE, 0);
    EXPECT_EQ(handler.TOTALITEMS, 0);
    EXPECT_EQ(handler.TOTALPAGES, 0);

    // Even an item in it is not read: its fields wait for the totals.
    handler.Reset();
    Parse(ReplyHead() + errors + ItemXml(Item("B000000001")) + "</Items>");
    EXPECT_EQ(handler.PARSEDITEMS, 0);
    EXPECT_TRUE(StoredGoods().empty());
}

// The thread's Goods buffer may hold a priced row when a page begins (the query form shows
// one); only an item that an "Item" start tag opened may reach the table.
TEST_F(ItemSearchTest, AStrayItemEndStoresNothingAndMovesNoState) {
    const std::string errors =
        "<Errors><Error><Code>AWS.InvalidParameterValue</Code><Message>B000BAD is not a "
        "valid value for ItemId.</Message></Error></Errors>";
    struct Case {
        const char* name;
        std::string reply;
        std::uint8_t state;  // where the parse ends
    };
    const Case cases[] = {
        {"error reply", ReplyHead() + errors + "</Item></Items></ItemSearchResponse>", 0},
        {"between the totals", ReplyHead() + "<TotalResults>3</TotalResults></Item>", 2},
        {"after the totals, before any item",
         ReplyHead() + "<TotalResults>3</TotalResults><TotalPages>1</TotalPages></Item>", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        handler.Reset();
        D().GOO = {};
        data::SetCString(D().GOO.ASIN, "B00SHOWN01");
        D().GOO.AMAZONREAL = 12.5;
        Parse(c.reply);
        EXPECT_EQ(handler.STATE, c.state);
        EXPECT_EQ(handler.PARSEDITEMS, 0);
        EXPECT_EQ(handler.M_ERRORCODE, 0);
        EXPECT_TRUE(StoredGoods().empty());
    }
    // An item that follows is stored as ever.
    handler.Reset();
    Parse(ReplyHead() + "<TotalResults>1</TotalResults><TotalPages>1</TotalPages></Item>" +
          ItemXml(Item("B000000001")) + "</Items>");
    EXPECT_EQ(handler.PARSEDITEMS, 1);
    EXPECT_EQ(StoredByAsin().count("B000000001"), 1u);
}

TEST_F(ItemSearchTest, ItemsWithoutANewPriceAddNoRow) {
    ReplyItem a = Item("B000000001");
    a.newAmount.clear();
    ReplyItem b = Item("B000000002");
    b.newAmount = "0";
    Parse(Reply("12", "2", {a, b}));
    EXPECT_EQ(handler.PARSEDITEMS, 0);
    EXPECT_EQ(handler.TOTALITEMS, 12);
    EXPECT_EQ(handler.TOTALPAGES, 2);
    EXPECT_TRUE(StoredGoods().empty());
}

TEST_F(ItemSearchTest, AnItemWithoutListPriceHasNoneStored) {
    ReplyItem a = Item("B000000001");
    a.listAmount.clear();
    Parse(Reply("1", "1", {Item("B000000009"), a}));
    const auto rows = StoredByAsin();
    ASSERT_EQ(rows.count("B000000001"), 1u);
    // Nothing of the item before carries over.
    EXPECT_EQ(+rows.at("B000000001").PRICEREAL, 0.0);
    EXPECT_EQ(data::CStringOf(rows.at("B000000001").PRICELIST), "");
}

struct CurrencyCase {
    const char* code;
    const char* listAmount;
    const char* newAmount;
    double listPrice;
    const char* listText;
    double newPrice;
    const char* newText;
};

class ItemSearchCurrencyTest : public ItemSearchTest,
                               public ::testing::WithParamInterface<CurrencyCase> {};

TEST_P(ItemSearchCurrencyTest, PricesAreShownWithTheCurrencySign) {
    const CurrencyCase& c = GetParam();
    ReplyItem item = Item("B000000001");
    item.listAmount = c.listAmount;
    item.listCurrency = c.code;
    item.newAmount = c.newAmount;
    item.newCurrency = c.code;
    Parse(Reply("1", "1", {item}));
    const std::vector<data::GoodsRecord> rows = StoredGoods();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(+rows[0].PRICEREAL, c.listPrice);
    EXPECT_EQ(data::CStringOf(rows[0].PRICELIST), c.listText);
    EXPECT_DOUBLE_EQ(+rows[0].AMAZONREAL, c.newPrice);
    EXPECT_EQ(data::CStringOf(rows[0].AMAZONPRICE), c.newText);
}

INSTANTIATE_TEST_SUITE_P(
    Currencies, ItemSearchCurrencyTest,
    ::testing::Values(
        CurrencyCase{"USD", "2999", "1999", 29.99, "$         29.99", 19.99, "$         19.99"},
        CurrencyCase{"GBP", "1250", "999", 12.5, "\xA3         12.50", 9.99, "\xA3          9.99"},
        CurrencyCase{"EUR", "899", "5", 8.99, "\x80          8.99", 0.05, "\x80          0.05"},
        // The yen has no smaller unit: its amounts are whole yen.
        CurrencyCase{"JPY", "1500", "1280", 1500, "\xA5       1500.00", 1280, "\xA5       1280.00"},
        CurrencyCase{"CAD", "4550", "3999", 45.5, "         45.50", 39.99, "         39.99"},
        CurrencyCase{"USD  ", "100", "50", 1, "$          1.00", 0.5, "$          0.50"}),
    [](const auto& p) { return std::string(p.param.code, 3) + std::to_string(p.index); });

TEST_F(ItemSearchTest, KeywordsAreTheTitleBeforeItsFirstDash) {
    struct Case {
        const char* asin;
        const char* title;
        const char* keywords;
    };
    const Case cases[] = {
        {"B000000001", "Acme Widget - Blue", "Acme Widget"},
        {"B000000002", "Plain Title", "Plain Title"},
        {"B000000003", "-Blue", ""},
        {"B000000004", "Top-Hat - Black", "Top"},
        {"B000000005", "Tom &amp; Jerry   - DVD", "Tom & Jerry"},
    };
    std::vector<ReplyItem> items;
    for (const Case& c : cases) {
        ReplyItem item = Item(c.asin);
        item.title = c.title;
        items.push_back(item);
    }
    Parse(Reply("5", "1", items));
    const auto rows = StoredByAsin();
    for (const Case& c : cases) {
        ASSERT_EQ(rows.count(c.asin), 1u) << c.title;
        EXPECT_EQ(data::CStringOf(rows.at(c.asin).KEYWORDS), c.keywords) << c.title;
    }
}

TEST_F(ItemSearchTest, AKnownBrandIsReusedAndANewOneAddedOnce) {
    ASSERT_EQ(Add(TableId::Brands, [] { data::SetString(D().BRA.NAME, "Acme"); }), ui::Benign);
    const std::int32_t acme = +D().BRA.ID;
    const int brandsBefore = Count(TableId::Brands);

    ReplyItem a = Item("B000000001");
    ReplyItem b = Item("B000000002");
    b.brand = "NewCo";
    ReplyItem c = Item("B000000003");
    c.brand = "NewCo";
    Parse(Reply("3", "1", {a, b, c}));

    EXPECT_EQ(Count(TableId::Brands), brandsBefore + 1);
    const std::int32_t newco = BrandId("NewCo");
    ASSERT_NE(newco, 0);
    EXPECT_NE(newco, acme);
    const auto rows = StoredByAsin();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(+rows.at("B000000001").BRAND, acme);
    EXPECT_EQ(+rows.at("B000000002").BRAND, newco);
    EXPECT_EQ(+rows.at("B000000003").BRAND, newco);
}

struct OfferCase {
    const char* what;
    std::vector<ReplyOffer> offers;
    double price;  // 0: the item is not stored
    const char* text;
};

ReplyOffer Offer(std::string condition, std::string amount, std::string subCondition = "new") {
    ReplyOffer offer;
    offer.condition = std::move(condition);
    offer.amount = std::move(amount);
    offer.subCondition = std::move(subCondition);
    return offer;
}

class ItemSearchOfferTest : public ItemSearchTest,
                            public ::testing::WithParamInterface<OfferCase> {};

TEST_P(ItemSearchOfferTest, TheFirstNewOfferGivesThePrice) {
    ReplyItem item = Item("B000000001");
    item.offers = GetParam().offers;
    Parse(Reply("1", "1", {item}));
    const std::vector<data::GoodsRecord> rows = StoredGoods();
    if (GetParam().price == 0) {
        EXPECT_TRUE(rows.empty());
        EXPECT_EQ(handler.PARSEDITEMS, 0);
        return;
    }
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(+rows[0].AMAZONREAL, GetParam().price);
    EXPECT_EQ(data::CStringOf(rows[0].AMAZONPRICE), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Offers, ItemSearchOfferTest,
    ::testing::Values(
        OfferCase{"no offers: the summary's price", {}, 19.99, "$         19.99"},
        OfferCase{"one new offer", {Offer("New", "1899")}, 18.99, "$         18.99"},
        OfferCase{
            "new without a sub-condition", {Offer("New", "1899", "")}, 18.99, "$         18.99"},
        OfferCase{"condition with trailing blanks",
                  {Offer("New  ", "1899", "new ")},
                  18.99,
                  "$         18.99"},
        OfferCase{"one used offer", {Offer("Used", "999")}, 0, ""},
        OfferCase{"new but refurbished", {Offer("New", "999", "refurbished")}, 0, ""},
        OfferCase{"used, then new",
                  {Offer("Used", "999"), Offer("New", "1799")},
                  17.99,
                  "$         17.99"},
        OfferCase{"new, then used",
                  {Offer("New", "1799"), Offer("Used", "999")},
                  17.99,
                  "$         17.99"},
        OfferCase{"two new offers",
                  {Offer("New", "1799"), Offer("New", "1599")},
                  17.99,
                  "$         17.99"},
        OfferCase{"used, used", {Offer("Used", "999"), Offer("Collectible", "5999")}, 0, ""}),
    [](const auto& p) { return "case" + std::to_string(p.index); });

TEST_F(ItemSearchTest, AYenOfferIsNotDivided) {
    ReplyItem item = Item("B000000001");
    item.listCurrency = item.newCurrency = "JPY";
    ReplyOffer offer = Offer("New", "1200");
    offer.currency = "JPY";
    item.offers = {offer};
    Parse(Reply("1", "1", {item}));
    const std::vector<data::GoodsRecord> rows = StoredGoods();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(+rows[0].AMAZONREAL, 1200);
    EXPECT_EQ(data::CStringOf(rows[0].AMAZONPRICE), "\xA5       1200.00");
    EXPECT_EQ(+rows[0].SHIP, 1);
}

TEST_F(ItemSearchTest, ResetStartsAPageButKeepsTheErrorCode) {
    handler.M_ERRORCODE = -1;
    handler.STATE = 17;
    handler.TOTALITEMS = handler.TOTALPAGES = handler.PARSEDITEMS = 9;
    handler.ONLYOFFER = 2;
    handler.Reset();
    EXPECT_EQ(handler.STATE, 0);
    EXPECT_EQ(handler.TOTALITEMS, 0);
    EXPECT_EQ(handler.TOTALPAGES, 0);
    EXPECT_EQ(handler.PARSEDITEMS, 0);
    EXPECT_EQ(handler.ONLYOFFER, 0);
    EXPECT_EQ(handler.M_ERRORCODE, -1);
}

// Replies that are cut, malformed or out of range: no crash, and what was read is kept.
struct HostileCase {
    const char* what;
    std::string text;
    std::size_t stored;
};

std::string Repeated(std::string_view text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

ReplyItem Huge() {
    ReplyItem item = Item("B000000001");
    item.listAmount = item.newAmount = item.rank = "999999999999999999999999999999";
    return item;
}

const std::string kTotals =
    ReplyHead() + "<TotalResults>5</TotalResults><TotalPages>1</TotalPages>";

const HostileCase kHostile[] = {
    {"cut inside the second item",
     kTotals + ItemXml(Item("B000000001")) + ItemXml(Item("B000000002")).substr(0, 700), 1},
    {"cut inside a tag", kTotals + ItemXml(Item("B000000001")).substr(0, 400) + "<Ite", 0},
    {"a NUL ends the text", kTotals + ItemXml(Item("B000000001")) + '\0' + ItemXml(Item("B2")), 1},
    {"no markup", "&&&&<<<<>>>>\x01\x02\xff </ > <= \"'", 0},
    {"huge amounts", Reply("1", "1", {Huge()}), 1},
    {"items nested in items",
     kTotals + Repeated("<Item>", 20000) + ItemXml(Item("B000000001")) + Repeated("</Item>", 20000),
     1},
    {"deep nesting", kTotals + Repeated("<ItemAttributes>", 100000), 0},
    {"tags without names", kTotals + Repeated("<></><=>", 1000) + ItemXml(Item("B1")), 1},
};

TEST_F(ItemSearchTest, HostileRepliesStoreOnlyWhatWasRead) {
    for (const HostileCase& c : kHostile) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(M(TableId::Goods).UseFile(), ui::Benign);
        ASSERT_EQ(M(TableId::Goods).File().Empty(), store::NoError);
        handler.Reset();
        Parse(c.text);
        EXPECT_EQ(handler.M_ERRORCODE, 0);
        EXPECT_EQ(StoredGoods().size(), c.stored);
        EXPECT_EQ(handler.PARSEDITEMS, static_cast<std::int32_t>(c.stored));
    }
}

TEST_F(ItemSearchTest, OutOfRangeNumbersAreClamped) {
    ReplyItem item = Huge();
    item.offers = {Offer("New", "99999999999999999999999")};
    item.offers[0].ship = "300";
    Parse(Reply("99999999999", "-7", {item}));
    EXPECT_EQ(handler.TOTALITEMS, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(handler.TOTALPAGES, -7);
    const std::vector<data::GoodsRecord> rows = StoredGoods();
    ASSERT_EQ(rows.size(), 1u);
    const double most = static_cast<double>(std::numeric_limits<std::int64_t>::max());
    EXPECT_DOUBLE_EQ(+rows[0].RANK, most);
    EXPECT_DOUBLE_EQ(+rows[0].PRICEREAL, most / 100);
    EXPECT_DOUBLE_EQ(+rows[0].AMAZONREAL, most / 100);
    EXPECT_EQ(+rows[0].SHIP, 255);
    EXPECT_EQ(data::CStringOf(rows[0].PRICELIST).substr(0, 2), "$9");
    EXPECT_LE(data::CStringOf(rows[0].AMAZONPRICE).size(), 50u);
}

TEST_F(ItemSearchTest, OverlongTextsAreCutToTheirFields) {
    ReplyItem item = Item(std::string(40, 'A'));
    item.title = std::string(300, 't') + " - x";
    std::string text = Reply("1", "1", {item});
    const std::string url = "http://www.amazon.com/dp/" + std::string(40, 'A');
    text.replace(text.find(url), url.size(), url + std::string(3000, 'u'));
    Parse(text);
    const std::vector<data::GoodsRecord> rows = StoredGoods();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(data::CStringOf(rows[0].ASIN), std::string(20, 'A'));
    EXPECT_EQ(data::CStringOf(rows[0].DETAILPAGE).size(), 1023u);
    EXPECT_EQ(data::StringOf(rows[0].TITLE), std::string(256, 't'));
    EXPECT_EQ(data::CStringOf(rows[0].KEYWORDS), std::string(256, 't'));
}

// Replaces the first occurrence of from in text.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The reply as a service indents it: each element on a line of its own, each text on a line
// of its own inside its element.
std::string Indented(const std::string& xml) {
    std::string out;
    for (std::size_t i = 0; i < xml.size();) {
        const std::size_t lt = xml.find('<', i);
        const std::size_t end = lt == std::string::npos ? xml.size() : lt;
        if (end > i) out += "\n        " + xml.substr(i, end - i) + "\n      ";
        if (lt == std::string::npos) break;
        const std::size_t gt = xml.find('>', lt);
        out += "\n    " + xml.substr(lt, gt - lt + 1);
        i = gt + 1;
    }
    return out;
}

struct ElementTextCase {
    const char* name;
    std::function<std::string(const std::string& item)> shape;  // of the item's XML
    const char* asin;
    const char* brand;  // empty: the item has no brand
    const char* title;
    double listPrice;
    double amazonPrice;
    friend void PrintTo(const ElementTextCase& c, std::ostream* out) { *out << c.name; }
};

class ItemSearchElementTextTest : public ItemSearchTest,
                                  public ::testing::WithParamInterface<ElementTextCase> {};

// Each field holds its own element's text, nothing around it and never the next element's.
TEST_P(ItemSearchElementTextTest, EachFieldGetsItsOwnElementsText) {
    const ElementTextCase& c = GetParam();
    const int brandsBefore = Count(TableId::Brands);
    Parse(ReplyHead() + "<TotalResults>1</TotalResults><TotalPages>1</TotalPages>" +
          c.shape(ItemXml(Item("B000000001"))) + "</Items></ItemSearchResponse>");

    EXPECT_EQ(handler.M_ERRORCODE, 0);
    const std::vector<data::GoodsRecord> rows = StoredGoods();
    ASSERT_EQ(rows.size(), 1u);
    const data::GoodsRecord& row = rows[0];
    EXPECT_EQ(data::CStringOf(row.ASIN), c.asin);
    EXPECT_EQ(data::CStringOf(row.DETAILPAGE),
              "http://www.amazon.com/dp/B000000001%3FSubscriptionId%3D1");
    EXPECT_EQ(data::StringOf(row.TITLE), c.title);
    EXPECT_DOUBLE_EQ(+row.PRICEREAL, c.listPrice);
    EXPECT_DOUBLE_EQ(+row.AMAZONREAL, c.amazonPrice);
    EXPECT_DOUBLE_EQ(+row.RANK, 1234);
    if (std::string_view(c.brand).empty()) {
        EXPECT_EQ(+row.BRAND, 0);
        EXPECT_EQ(Count(TableId::Brands), brandsBefore);
    } else {
        EXPECT_EQ(+row.BRAND, BrandId(c.brand));
        EXPECT_EQ(Count(TableId::Brands), brandsBefore + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ItemSearchElementTextTest,
    ::testing::Values(ElementTextCase{"AsWritten", [](const std::string& x) { return x; },
                                      "B000000001", "Acme", "Acme Widget - Blue", 29.99, 19.99},
                      ElementTextCase{"Indented", Indented, "B000000001", "Acme",
                                      "Acme Widget - Blue", 29.99, 19.99},
                      ElementTextCase{"EmptyBrand",
                                      [](const std::string& x) {
                                          return Replaced(x, "<Brand>Acme</Brand>",
                                                          "<Brand></Brand>");
                                      },
                                      "B000000001", "", "Acme Widget - Blue", 29.99, 19.99},
                      ElementTextCase{"BlankBrandIndented",
                                      [](const std::string& x) {
                                          return Indented(Replaced(x, "<Brand>Acme</Brand>",
                                                                   "<Brand>  </Brand>"));
                                      },
                                      "B000000001", "", "Acme Widget - Blue", 29.99, 19.99},
                      ElementTextCase{"EmptyTitle",
                                      [](const std::string& x) {
                                          return Replaced(x, "<Title>Acme Widget - Blue</Title>",
                                                          "<Title></Title>");
                                      },
                                      "B000000001", "Acme", "", 29.99, 19.99},
                      ElementTextCase{"EmptyListAmount",
                                      [](const std::string& x) {
                                          return Replaced(x, "<Amount>2999</Amount>",
                                                          "<Amount></Amount>");
                                      },
                                      "B000000001", "Acme", "Acme Widget - Blue", 0, 19.99},
                      ElementTextCase{"EmptyAsin",
                                      [](const std::string& x) {
                                          return Replaced(x, "<ASIN>B000000001</ASIN>",
                                                          "<ASIN></ASIN>");
                                      },
                                      "", "Acme", "Acme Widget - Blue", 29.99, 19.99}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace zem::test
