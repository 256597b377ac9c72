#include "research/jobs/service_request.h"

#include <cmath>

#include "web/stores.h"

namespace zem::research {

std::string ServiceRequestStart(std::int32_t siteFlag) {
    const web::StoreInfo* store = web::StoreBySite(siteFlag);
    if (!store) return {};
    std::string url = "http://";
    url += store->serviceHost;
    url += "/onca/xml?Service=AWSECommerceService&AWSAccessKeyId=";
    url += kAccessKey;
    return url;
}

std::int64_t PriceBound(double bound) {
    const double smallestUnits = std::trunc(bound * 100.0);
    // A bound no whole number can stand for is no bound the service could use.
    if (!std::isfinite(smallestUnits)) return 0;
    constexpr double kLimit = 9.0e18;
    if (smallestUnits >= kLimit) return static_cast<std::int64_t>(kLimit);
    if (smallestUnits <= -kLimit) return -static_cast<std::int64_t>(kLimit);
    return static_cast<std::int64_t>(smallestUnits);
}

std::string ItemSearchUrl(const ItemSearch& search, std::int32_t page) {
    std::string url = ServiceRequestStart(search.siteFlag);
    if (url.empty()) return url;
    url += "&Version=2007-06-13&Operation=ItemSearch&ResponseGroup=Large&SearchIndex=";
    url += search.searchIndex;
    url += "&Keywords=";
    url += search.encodedKeywords;
    if (search.node != 0) url += "&BrowseNode=" + std::to_string(search.node);
    // Both bounds go as soon as either is set; an unset one goes as 0.
    if (search.minimumPrice != 0 || search.maximumPrice != 0) {
        url += "&MinimumPrice=" + std::to_string(PriceBound(search.minimumPrice));
        url += "&MaximumPrice=" + std::to_string(PriceBound(search.maximumPrice));
    }
    if (page > 1) url += "&ItemPage=" + std::to_string(page);
    return url;
}

}  // namespace zem::research
