#include "bench_pages.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace zem::bench {
namespace {

// A fixed sequence, so every run parses the same bytes.
class Dice {
  public:
    std::uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    template <std::size_t N>
    std::string_view Pick(const std::array<std::string_view, N>& from) {
        return from[Next() % N];
    }

  private:
    std::uint32_t state_ = 20070613u;
};

constexpr std::array<std::string_view, 8> kBrands = {
    "Acme", "Brightline", "Corvane &amp; Sons", "Dalmore", "Estrel", "Fennick", "Gauthier", "Holm"};
constexpr std::array<std::string_view, 8> kProducts = {
    "Stylus Photo Printer",        "Garden Hose 50 ft", "Espresso Machine", "Trail Running Shoe",
    "Noise Cancelling Headphones", "Cast Iron Skillet", "Desk Lamp",        "Wireless Keyboard"};
constexpr std::array<std::string_view, 6> kColours = {"Black", "Blue",  "Silver",
                                                      "Red",   "White", "Graphite"};
constexpr std::array<std::string_view, 6> kWords = {
    "reliable", "compact", "the best value", "&quot;five stars&quot;", "easy to use", "durable"};

// What the store's replies are made of.
struct Words {
    std::array<std::string_view, 8> brands;
    std::array<std::string_view, 8> products;
    std::array<std::string_view, 6> colours;
    std::array<std::string_view, 6> words;
    std::string_view currency;
};

constexpr Words kEnglish{kBrands, kProducts, kColours, kWords, "USD"};
constexpr Words kJapanese{
    {"\xE3\x82\xBD\xE3\x83\x8B\xE3\x83\xBC",
     "\xE3\x83\x91\xE3\x83\x8A\xE3\x82\xBD\xE3\x83\x8B\xE3\x83\x83\xE3\x82\xAF",
     "\xE3\x82\xAD\xE3\x83\xA4\xE3\x83\x8E\xE3\x83\xB3 &amp; Co.",
     "\xE3\x82\xB7\xE3\x83\xA3\xE3\x83\xBC\xE3\x83\x97", "\xE6\x9D\xB1\xE8\x8A\x9D",
     "\xE6\x97\xA5\xE7\xAB\x8B", "\xE5\xAF\x8C\xE5\xA3\xAB\xE9\x80\x9A", "Holm"},
    {"\xE3\x83\x87\xE3\x82\xB8\xE3\x82\xBF\xE3\x83\xAB\xE3\x82\xAB\xE3\x83\xA1\xE3\x83\xA9",
     "\xE3\x82\xAC\xE3\x83\xBC\xE3\x83\x87\xE3\x83\xB3\xE3\x83\x9B\xE3\x83\xBC\xE3\x82\xB9 15m",
     "\xE3\x82\xA8\xE3\x82\xB9\xE3\x83\x97\xE3\x83\xAC\xE3\x83\x83\xE3\x82\xBD\xE3\x83\x9E\xE3\x82"
     "\xB7\xE3\x83\xB3",
     "\xE3\x83\xA9\xE3\x83\xB3\xE3\x83\x8B\xE3\x83\xB3\xE3\x82\xB0\xE3\x82\xB7\xE3\x83\xA5\xE3\x83"
     "\xBC\xE3\x82\xBA",
     "\xE3\x83\x98\xE3\x83\x83\xE3\x83\x89\xE3\x83\x9B\xE3\x83\xB3",
     "\xE9\x89\x84\xE3\x83\x95\xE3\x83\xA9\xE3\x82\xA4\xE3\x83\x91\xE3\x83\xB3",
     "\xE3\x83\x87\xE3\x82\xB9\xE3\x82\xAF\xE3\x83\xA9\xE3\x82\xA4\xE3\x83\x88",
     "\xE3\x83\xAF\xE3\x82\xA4\xE3\x83\xA4\xE3\x83\xAC\xE3\x82\xB9\xE3\x82\xAD\xE3\x83\xBC\xE3\x83"
     "\x9C\xE3\x83\xBC\xE3\x83\x89"},
    {"\xE3\x83\x96\xE3\x83\xA9\xE3\x83\x83\xE3\x82\xAF", "\xE3\x83\x96\xE3\x83\xAB\xE3\x83\xBC",
     "\xE3\x82\xB7\xE3\x83\xAB\xE3\x83\x90\xE3\x83\xBC", "\xE8\xB5\xA4", "\xE7\x99\xBD",
     "\xE9\xBB\x92"},
    {"\xE4\xBF\xA1\xE9\xA0\xBC\xE6\x80\xA7\xE3\x81\x8C\xE9\xAB\x98\xE3\x81\x84",
     "\xE3\x82\xB3\xE3\x83\xB3\xE3\x83\x91\xE3\x82\xAF\xE3\x83\x88", "\xE3\x81\x8A\xE5\xBE\x97",
     "&#12300;\xE4\xBA\xBA\xE6\xB0\x97&#12301;",
     "\xE4\xBD\xBF\xE3\x81\x84\xE3\x82\x84\xE3\x81\x99\xE3\x81\x84", "\xE4\xB8\x88\xE5\xA4\xAB"},
    "JPY"};

std::string Asin(Dice& dice) {
    std::string asin = "B00";
    for (int i = 0; i < 7; ++i) {
        asin += "0123456789ABCDEFGHJKLMNPQRSTUVWXYZ"[dice.Next() % 34];
    }
    return asin;
}

std::string Price(std::uint32_t cents, std::string_view code) {
    std::string p = "<Amount>" + std::to_string(cents) + "</Amount><CurrencyCode>" +
                    std::string(code) + "</CurrencyCode><FormattedPrice>$" +
                    std::to_string(cents / 100) + "." + std::to_string(10 + cents % 90) +
                    "</FormattedPrice>";
    return p;
}

void AppendItem(std::string& out, Dice& dice, const Words& w) {
    const std::string asin = Asin(dice);
    const std::string title =
        std::string(dice.Pick(w.products)) + " - " + std::string(dice.Pick(w.colours));
    const std::uint32_t list = 1999 + dice.Next() % 50000;
    const std::uint32_t lowest = list - list / 5;
    out += "    <Item>\n      <ASIN>" + asin + "</ASIN>\n";
    out += "      <DetailPageURL>http://www.amazon.com/dp/" + asin +
           "%3FSubscriptionId%3D1QZ8ZK2EXAMPLE%26tag%3Dzembrola-20%26linkCode%3Dxm2%26camp%3D2025"
           "%26creative%3D165953%26creativeASIN%3D" +
           asin + "</DetailPageURL>\n";
    out += "      <SalesRank>" + std::to_string(1 + dice.Next() % 90000) + "</SalesRank>\n";
    for (std::string_view size : {"SmallImage", "MediumImage", "LargeImage"}) {
        out += "      <" + std::string(size) + "><URL>http://ecx.images-amazon.com/images/I/" +
               asin +
               "._SL75_.jpg</URL><Height Units=\"pixels\">75</Height><Width "
               "Units=\"pixels\">56</Width></" +
               std::string(size) + ">\n";
    }
    out += "      <ItemAttributes>\n        <Binding>Electronics</Binding>\n        <Brand>" +
           std::string(dice.Pick(w.brands)) + "</Brand>\n";
    for (int f = 0; f < 3; ++f) {
        out += "        <Feature>" + std::string(dice.Pick(w.words)) + " and " +
               std::string(dice.Pick(w.words)) + ", rated &gt; 4 of 5</Feature>\n";
    }
    out += "        <ListPrice>" + Price(list, w.currency) + "</ListPrice>\n";
    out += "        <Manufacturer>" + std::string(dice.Pick(w.brands)) + "</Manufacturer>\n";
    out += "        <ProductGroup>Electronics</ProductGroup>\n        <Title>" + title +
           "</Title>\n      </ItemAttributes>\n";
    out += "      <OfferSummary><LowestNewPrice>" + Price(lowest, w.currency) +
           "</LowestNewPrice><TotalNew>3</TotalNew><TotalUsed>1</TotalUsed></OfferSummary>\n";
    out +=
        "      <Offers><TotalOffers>1</TotalOffers><TotalOfferPages>1</TotalOfferPages>\n"
        "        <Offer><Merchant><MerchantId>ATVPDKIKX0DER</MerchantId></Merchant>"
        "<OfferAttributes><Condition>New</Condition><SubCondition>new</SubCondition>"
        "</OfferAttributes>\n          <OfferListing><OfferListingId>" +
        asin + "Zx9kLmQ</OfferListingId><Price>" + Price(lowest, w.currency) +
        "</Price><Availability>Usually ships in 24 hours</Availability>"
        "<IsEligibleForSuperSaverShipping>1</IsEligibleForSuperSaverShipping></OfferListing>"
        "</Offer>\n      </Offers>\n";
    out +=
        "      <EditorialReviews><EditorialReview><Source>Product Description</Source>"
        "<Content>&lt;b&gt;" +
        title + "&lt;/b&gt; is " + std::string(dice.Pick(w.words)) + ".&lt;br /&gt;It is " +
        std::string(dice.Pick(w.words)) +
        " &amp; ready to use out of the box.</Content></EditorialReview></EditorialReviews>\n"
        "    </Item>\n";
}

void AppendResult(std::string& out, Dice& dice, int n) {
    const std::string host =
        n % 4 == 0 ? "www.amazon.com" : "www.site" + std::to_string(n) + ".com";
    const std::string product(dice.Pick(kProducts));
    out += "<div class=\"g\"><!--m--><h2 class=\"r\"><a href=\"http://" + host + "/p/" +
           std::to_string(dice.Next() % 100000) +
           "\" class=\"l\" onmousedown=\"return "
           "rwt(this,'','','res','" +
           std::to_string(n) + "','AFQjCNE','&amp;sig2=Xy')\"><em>" + product + "</em> at " + host +
           "</a></h2><div class=\"s\">Buy the <em>" + product +
           "</em>: " + std::string(dice.Pick(kWords)) + ", " + std::string(dice.Pick(kWords)) +
           " &middot; free shipping&nbsp;&raquo;<br><cite>" + host + "/p/" +
           "</cite> - <span class=\"gl\"><a href=\"/search?q=cache:x" + std::to_string(n) +
           "\">Cached</a> - <a href=\"/search?q=related:" + host +
           "\">Similar</a></span></div><!--n--></div>\n";
}

}  // namespace

std::string ItemSearchReply(std::size_t targetSize, Store store) {
    const Words& words = store == Store::JP ? kJapanese : kEnglish;
    Dice dice;
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<ItemSearchResponse "
        "xmlns=\"http://webservices.amazon.com/AWSECommerceService/2007-06-13\">\n"
        "  <OperationRequest><HTTPHeaders><Header Name=\"UserAgent\" "
        "Value=\"Mozilla/5.0\"></Header></HTTPHeaders><RequestId>0FA3J9XKZ1</RequestId>"
        "<Arguments><Argument Name=\"Operation\" Value=\"ItemSearch\"></Argument><Argument "
        "Name=\"ResponseGroup\" Value=\"Large\"></Argument></Arguments>"
        "<RequestProcessingTime>0.0451</RequestProcessingTime></OperationRequest>\n"
        "  <Items>\n    <Request><IsValid>True</IsValid><ItemSearchRequest><Keywords>widget"
        "</Keywords><SearchIndex>Electronics</SearchIndex></ItemSearchRequest></Request>\n"
        "    <TotalResults>4711</TotalResults>\n    <TotalPages>472</TotalPages>\n";
    const std::string tail = "  </Items>\n</ItemSearchResponse>\n";
    while (out.size() + tail.size() < targetSize) AppendItem(out, dice, words);
    return out + tail;
}

std::string ResultPage(std::size_t targetSize) {
    Dice dice;
    std::string out =
        "<!doctype html><html><head><meta http-equiv=\"content-type\" content=\"text/html; "
        "charset=ISO-8859-1\"><title>&quot;garden hose&quot; - Google Search</title>"
        "<style>body{margin:0}.g{margin:1em 0}</style></head>\n<body bgcolor=#ffffff "
        "marginheight=3 topmargin=3>\n<div id=\"tads\"><h2 class=\"hd\">Sponsored Links</h2><ol>\n";
    for (int i = 1; i <= 3; ++i) {
        const std::string n = std::to_string(i);
        out += "<li><div id=\"tpa" + n + "\"><h3><a id=\"pa" + n +
               "\" href=\"/aclk?sa=l&amp;ai=Cq" + n + "&amp;adurl=http://www.shop" + n +
               ".com/\">Garden Hose Sale</a></h3></div><div><span class=\"a\">" +
               (i == 2 ? "www.amazon.com/garden" : "www.shop" + n + ".com") +
               "</span></div><div>Low prices on hoses &amp; reels</div></li>\n";
    }
    out +=
        "</ol></div>\n<table border=0 cellpadding=0 cellspacing=0 width=\"100%\"><tr><td "
        "nowrap>Results <b>1</b> - <b>10</b> of about <b>2,130,000</b></td></tr></table>\n"
        "<div id=\"res\"><div>\n";
    const std::string tail =
        "</div></div>\n<div id=\"foot\"><a href=\"/intl/en/ads/\">Advertising"
        "</a></div></body></html>\n";
    for (int n = 1; out.size() + tail.size() < targetSize; ++n) AppendResult(out, dice, n);
    return out + tail;
}

}  // namespace zem::bench
