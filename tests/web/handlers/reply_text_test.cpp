// Texts of the service's replies, UTF-8 on the wire, as the handlers store them: in code page
// 1252 for the European and American stores, in Shift-JIS for Amazon JP, whether a character
// came literally or as a reference, and cut at the field's bound where a character ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_fixture.h"
#include "item_search_reply.h"
#include "parse_text.h"
#include "web/browse_node_loader.h"
#include "web/item_search_handler.h"

namespace zem::test {
namespace {

using data::TableId;

// Hiragana a, i, u and katakana "robot" in UTF-8 and in Shift-JIS.
constexpr std::string_view kA = "\xE3\x81\x82";
constexpr std::string_view kI = "\xE3\x81\x84";
constexpr std::string_view kRobot = "\xE3\x83\xAD\xE3\x83\x9C\xE3\x83\x83\xE3\x83\x88";
constexpr std::string_view kASjis = "\x82\xA0";
constexpr std::string_view kRobotSjis = "\x83\x8D\x83\x7B\x83\x62\x83\x67";

std::string Times(std::string_view text, int n) {
    std::string all;
    for (int i = 0; i < n; ++i) all += text;
    return all;
}

class ItemTextTest : public DataTest {
  protected:
    void SetUp() override {
        DataTest::SetUp();
        D().QUE.ID = 42;
        handler.Reset();
    }

    // Loads a page of the one item for the store and answers its stored row.
    data::GoodsRecord Load(std::int32_t site, const ReplyItem& item) {
        D().QUE.SITE = static_cast<std::uint8_t>(site);
        handler.Reset();
        ParseText(handler, Reply("1", "1", {item}));
        EXPECT_EQ(handler.PARSEDITEMS, 1);
        D().GOO.ID = ++lastId;
        EXPECT_EQ(M(TableId::Goods).TryFetch(data::GOO_KeyId), ui::Benign);
        return D().GOO;
    }

    static std::string BrandName(std::int32_t id) {
        D().BRA.ID = id;
        EXPECT_EQ(M(TableId::Brands).TryFetch(data::BRA_KeyId), ui::Benign);
        return std::string(data::StringOf(D().BRA.NAME));
    }

    web::ItemSearchHandler handler;
    std::int32_t lastId = 0;
};

class EuropeanStoreTest : public ItemTextTest, public ::testing::WithParamInterface<int> {};

TEST_P(EuropeanStoreTest, AccentsAreStoredInCodePage1252HoweverTheyWereWritten) {
    ReplyItem item;
    item.asin = "B000ACCENT";
    // One field holding a literal e acute and the same letter as a reference.
    item.title = "Caf\xC3\xA9 Cr\xC3\xA8me &eacute;clair &#8211; \xE2\x86\x92 - Noir";
    item.brand = "M\xC3\xBCller &amp; S\xC3\xB6hne";
    item.listCurrency = item.newCurrency = "EUR";
    const data::GoodsRecord row = Load(GetParam(), item);

    // The arrow has no place in code page 1252.
    EXPECT_EQ(data::StringOf(row.TITLE),
              "Caf\xE9 Cr\xE8me \xE9"
              "clair \x96 ? - Noir");
    EXPECT_EQ(data::CStringOf(row.KEYWORDS),
              "Caf\xE9 Cr\xE8me \xE9"
              "clair \x96 ?");
    EXPECT_EQ(BrandName(row.BRAND),
              "M\xFC"
              "ller & S\xF6hne");
    EXPECT_EQ(data::CStringOf(row.AMAZONPRICE), "\x80         19.99");
}

INSTANTIATE_TEST_SUITE_P(Stores, EuropeanStoreTest, ::testing::Values(1, 2, 4, 8, 32),
                         [](const auto& p) { return "site" + std::to_string(p.param); });

TEST_F(ItemTextTest, JapaneseTextsAreStoredInShiftJis) {
    ReplyItem item;
    item.asin = "B000JAPAN1";
    item.title = std::string(kRobot) + " &#12354;" + std::string(kA) + " - " + std::string(kI);
    item.brand = "\xE3\x82\xBD\xE3\x83\x8B\xE3\x83\xBC";  // its second byte in Shift-JIS is 0x5C
    item.listAmount = "1500";
    item.newAmount = "1280";
    item.listCurrency = item.newCurrency = "JPY";
    const data::GoodsRecord row = Load(16, item);

    const std::string robotAA =
        std::string(kRobotSjis) + " " + std::string(kASjis) + std::string(kASjis);
    EXPECT_EQ(data::StringOf(row.TITLE), robotAA + " - \x82\xA2");
    EXPECT_EQ(data::CStringOf(row.KEYWORDS), robotAA);
    EXPECT_EQ(BrandName(row.BRAND), "\x83\x5C\x83\x6A\x81\x5B");
    // The yen a Shift-JIS window shows as a yen.
    EXPECT_EQ(data::CStringOf(row.PRICELIST), "\x81\x8F       1500.00");
    EXPECT_EQ(data::CStringOf(row.AMAZONPRICE), "\x81\x8F       1280.00");
}

TEST_F(ItemTextTest, AJapaneseBrandIsFoundAgainByItsShiftJisName) {
    ReplyItem first;
    first.asin = "B000JAPAN1";
    first.brand = std::string(kRobot);
    ReplyItem second = first;
    second.asin = "B000JAPAN2";
    const data::GoodsRecord one = Load(16, first);
    const data::GoodsRecord two = Load(16, second);
    EXPECT_EQ(+one.BRAND, +two.BRAND);
    EXPECT_EQ(BrandName(one.BRAND), kRobotSjis);
}

TEST_F(ItemTextTest, TitlesAreCutAtTheirBoundWhereACharacterEnds) {
    struct Case {
        const char* what;
        std::int32_t site;
        std::string title;
        std::string stored;
    };
    const Case cases[] = {
        // 128 hiragana fill the 256 bytes exactly; the 129th is left out.
        {"Japanese filling the title", 16, Times(kA, 129), Times(kASjis, 128)},
        // A pair of bytes that would cross the bound is left out whole: one blank pads.
        {"Japanese across the bound", 16, std::string(255, 'x') + std::string(kA),
         std::string(255, 'x')},
        // In code page 1252 the accent takes one byte where UTF-8 takes two.
        {"an accent at the bound", 2, std::string(255, 'x') + "\xC3\xA9\xC3\xA9",
         std::string(255, 'x') + "\xE9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReplyItem item;
        item.asin = "B000CUT" + std::to_string(lastId);
        item.title = c.title;
        const data::GoodsRecord row = Load(c.site, item);
        EXPECT_EQ(data::StringOf(row.TITLE), c.stored);
        EXPECT_EQ(data::CStringOf(row.KEYWORDS), c.stored);
    }
}

// Browse-node replies: the names of the requested node and of its children.
std::string NodeReply(std::string_view name, const std::vector<std::string>& children) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><BrowseNodeLookupResponse><BrowseNodes>"
        "<BrowseNode><BrowseNodeId>1000</BrowseNodeId><Name>" +
        std::string(name) + "</Name><Children>";
    int id = 1;
    for (const std::string& child : children) {
        xml += "<BrowseNode><BrowseNodeId>" + std::to_string(id++) + "</BrowseNodeId><Name>" +
               child + "</Name></BrowseNode>";
    }
    return xml + "</Children></BrowseNode></BrowseNodes></BrowseNodeLookupResponse>";
}

// The requested row of a store's seeded queue: its first search index.
std::int32_t FirstIndexOf(const web::BrowseNodeLoader& loader) {
    for (const web::BrowseNodeRow& row : loader.N.Rows())
        if (row.LEVEL == 1) return row.ID;
    return 0;
}

TEST(NodeTextTest, NodeNamesAreStoredInTheCodePageOfTheirStore) {
    struct Case {
        const char* what;
        std::uint8_t site;
        std::string name;
        std::string child;
        std::string storedName;
        std::string storedChild;
    };
    const Case cases[] = {
        {"German", 8,
         "K\xC3\xBC"
         "che &amp; Haushalt",
         "Kaffee &amp; Espresso",
         "K\xFC"
         "che & Haushalt",
         "Kaffee & Espresso"},
        {"French", 4, "&Eacute;lectronique", "T\xC3\xA9l\xC3\xA9phones", "\xC9lectronique",
         "T\xE9l\xE9phones"},
        {"Japanese", 16, "\xE5\xAE\xB6\xE9\x9B\xBB", std::string(kRobot) + "&#12354;",
         "\x89\xC6\x93\x64", std::string(kRobotSjis) + std::string(kASjis)},
        // 80 bytes: 39 pairs and a letter leave no room for the next pair.
        {"Japanese cut at 80 bytes", 16, Times(kA, 39) + "x" + std::string(kI), Times(kA, 41),
         Times(kASjis, 39) + "x", Times(kASjis, 40)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        web::BrowseNodeLoader loader;
        loader.MAXLEVEL = 5;
        loader.LoadIndexes(c.site);
        const std::int32_t requested = FirstIndexOf(loader);
        ASSERT_NE(requested, 0);
        const std::string reply = NodeReply(c.name, {c.child});
        std::vector<char> text(reply.begin(), reply.end());
        text.push_back('\0');
        loader.ParseNodes(requested, text);
        EXPECT_EQ(data::CStringOf(loader.N.Get(requested)->NAME), c.storedName);
        const web::BrowseNodeRow* child = loader.N.Get(loader.N.LastId());
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->PARENT, requested);
        EXPECT_EQ(data::CStringOf(child->NAME), c.storedChild);
    }
}

}  // namespace
}  // namespace zem::test
