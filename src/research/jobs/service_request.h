#pragma once
// Requests to the stores' E-Commerce Service, put together by plain concatenation in a fixed key
// order. Only the keywords are encoded, by the caller (url_encode.h).
#include <cstdint>
#include <string>
#include <string_view>

namespace zem::research {

// The program's key for the service, sent with every request.
inline constexpr std::string_view kAccessKey = "0Q7ZK3T1W9M5B2X8C4NV";

// "http://<the store's service host>/onca/xml?Service=AWSECommerceService&AWSAccessKeyId=<key>";
// empty for a value that is no store's SiteFlag.
std::string ServiceRequestStart(std::int32_t siteFlag);

// A price bound as the service takes it: the bound in the currency's smallest unit, truncated
// toward zero (19.99 is sent as 1998: the product lies just below 1999).
std::int64_t PriceBound(double bound);

// What an item search asks for.
struct ItemSearch {
    std::int32_t siteFlag = 0;
    std::string_view searchIndex;      // as stored in the query's catalog
    std::string_view encodedKeywords;  // already encoded
    std::int32_t node = 0;             // browse node; 0: none
    double minimumPrice = 0;
    double maximumPrice = 0;
};

// The request for one result page (from 1); empty when the store is unknown.
std::string ItemSearchUrl(const ItemSearch& search, std::int32_t page);

}  // namespace zem::research
