#pragma once
// ItemSearch reply texts (response group Large) as the service lays them out, built from a
// short description of each item.
#include <string>
#include <vector>

namespace zem::test {

struct ReplyOffer {
    std::string condition = "New";
    std::string subCondition = "new";  // empty: no SubCondition element
    std::string amount = "1899";
    std::string currency = "USD";
    std::string ship = "1";
};

struct ReplyItem {
    std::string asin = "B000TEST01";
    std::string rank = "1234";
    std::string brand = "Acme";
    std::string title = "Acme Widget - Blue";
    std::string listAmount = "2999";  // empty: no ListPrice
    std::string listCurrency = "USD";
    std::string newAmount = "1999";  // empty: no LowestNewPrice
    std::string newCurrency = "USD";
    std::vector<ReplyOffer> offers;  // empty: no Offers element
};

inline std::string PriceXml(const std::string& tag, const std::string& amount,
                            const std::string& currency) {
    return "<" + tag + "><Amount>" + amount + "</Amount><CurrencyCode>" + currency +
           "</CurrencyCode><FormattedPrice>" + amount + " " + currency + "</FormattedPrice></" +
           tag + ">";
}

inline std::string ItemXml(const ReplyItem& item) {
    std::string xml = "<Item><ASIN>" + item.asin +
                      "</ASIN><DetailPageURL>http://www.amazon.com/dp/" + item.asin +
                      "%3FSubscriptionId%3D1</DetailPageURL><ItemLinks><ItemLink>"
                      "<Description>Technical Details</Description><URL>http://x/</URL>"
                      "</ItemLink></ItemLinks><SalesRank>" +
                      item.rank +
                      "</SalesRank>"
                      "<SmallImage><URL>http://img/1.jpg</URL><Height Units=\"pixels\">75"
                      "</Height></SmallImage><ItemAttributes><Binding>Toy</Binding>";
    if (!item.brand.empty()) xml += "<Brand>" + item.brand + "</Brand>";
    xml += "<Feature>Made of steel - lasts for years</Feature>";
    if (!item.listAmount.empty()) xml += PriceXml("ListPrice", item.listAmount, item.listCurrency);
    xml += "<Manufacturer>Acme Inc.</Manufacturer><Title>" + item.title +
           "</Title></ItemAttributes><OfferSummary>";
    if (!item.newAmount.empty())
        xml += PriceXml("LowestNewPrice", item.newAmount, item.newCurrency);
    xml += PriceXml("LowestUsedPrice", "5", item.newCurrency) +
           "<TotalNew>1</TotalNew><TotalUsed>1</TotalUsed></OfferSummary>";
    if (!item.offers.empty()) {
        xml += "<Offers><TotalOffers>" + std::to_string(item.offers.size()) +
               "</TotalOffers><TotalOfferPages>1</TotalOfferPages>";
        for (const ReplyOffer& offer : item.offers) {
            xml +=
                "<Offer><Merchant><MerchantId>ATVPDKIKX0DER</MerchantId></Merchant>"
                "<OfferAttributes><Condition>" +
                offer.condition + "</Condition>";
            if (!offer.subCondition.empty())
                xml += "<SubCondition>" + offer.subCondition + "</SubCondition>";
            xml += "</OfferAttributes><OfferListing><OfferListingId>L1</OfferListingId>" +
                   PriceXml("Price", offer.amount, offer.currency) +
                   "<Availability>Usually ships in 24 hours</Availability>"
                   "<IsEligibleForSuperSaverShipping>" +
                   offer.ship + "</IsEligibleForSuperSaverShipping></OfferListing></Offer>";
        }
        xml += "</Offers>";
    }
    return xml + "</Item>";
}

inline std::string ReplyHead() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ItemSearchResponse "
           "xmlns=\"http://webservices.amazon.com/AWSECommerceService/2007-06-13\">"
           "<OperationRequest><RequestId>1</RequestId><Arguments><Argument Name=\"Operation\" "
           "Value=\"ItemSearch\"/></Arguments><RequestProcessingTime>0.05"
           "</RequestProcessingTime></OperationRequest><Items><Request><IsValid>True</IsValid>"
           "<ItemSearchRequest><ItemPage>2</ItemPage><Keywords>widget</Keywords>"
           "<ResponseGroup>Large</ResponseGroup><SearchIndex>Toys</SearchIndex>"
           "</ItemSearchRequest></Request>";
}

inline std::string ItemsXml(const std::vector<ReplyItem>& items) {
    std::string xml;
    for (const ReplyItem& item : items) xml += ItemXml(item);
    return xml;
}

inline std::string Reply(const std::string& total, const std::string& pages,
                         const std::vector<ReplyItem>& items) {
    return ReplyHead() + "<TotalResults>" + total + "</TotalResults><TotalPages>" + pages +
           "</TotalPages>" + ItemsXml(items) + "</Items></ItemSearchResponse>";
}

}  // namespace zem::test
