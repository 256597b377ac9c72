#include "simulated_services.h"

#include <algorithm>

#include "browse_node_reply.h"
#include "item_search_reply.h"
#include "markup_writer.h"
#include "result_page.h"
#include "service_reply.h"
#include "web/stores.h"

namespace zem::sim {
namespace {

constexpr std::string_view kXml = "text/xml;charset=UTF-8";
constexpr std::string_view kHtml = "text/html; charset=UTF-8";

const web::StoreInfo* StoreOfServiceHost(std::string_view host) {
    for (const web::StoreInfo& store : web::Stores())
        if (store.serviceHost == host) return &store;
    return nullptr;
}

const web::StoreInfo* StoreOfSearchHost(std::string_view host) {
    for (const web::StoreInfo& store : web::Stores())
        if (store.searchHost == host) return &store;
    return nullptr;
}

}  // namespace

std::optional<ServiceError> AccessKeyError(const ProxyRequest& request,
                                           const std::vector<std::string>& known) {
    const std::string* key = FindParam(request.params, "AWSAccessKeyId");
    if (!key || key->empty())
        return ServiceError{"AWS.MissingParameters",
                            "Your request is missing required parameters. Required parameters "
                            "include AWSAccessKeyId."};
    if (std::find(known.begin(), known.end(), *key) == known.end())
        return ServiceError{"AWS.InvalidParameterValue",
                            *key +
                                " is not a valid value for AWSAccessKeyId. Please change this "
                                "value and retry your request."};
    return std::nullopt;
}

Reply StatusReply(int status, std::string_view reason, std::string_view detail) {
    const std::string title = std::to_string(status) + " " + std::string(reason);
    MarkupWriter w;
    w.Open("html");
    w.Open("head");
    w.Element("title", title);
    w.Close();
    w.Open("body");
    w.Element("h1", title);
    w.Element("p", detail);
    return {status, std::string(kHtml), w.Finish(), {}};
}

SimulatedServices::SimulatedServices(ContentSettings settings)
    : settings_(settings), tree_(settings.seed, settings.tree) {}

Reply SimulatedServices::Answer(const ProxyRequest& request) const {
    if (const web::StoreInfo* store = StoreOfServiceHost(request.host)) {
        if (request.path != "/onca/xml")
            return StatusReply(404, "Not Found", "The service answers on /onca/xml only.");
        const std::string* service = FindParam(request.params, "Service");
        const std::string* operation = FindParam(request.params, "Operation");
        if (service && *service == "AWSECommerceService" && operation) {
            const std::optional<ServiceError> keyError =
                AccessKeyError(request, settings_.accessKeys);
            if (keyError && *operation == "ItemSearch")
                return {200,
                        std::string(kXml),
                        ErrorReply("ItemSearchResponse", "Items", "ItemSearchRequest", request,
                                   *keyError),
                        {}};
            if (keyError && *operation == "BrowseNodeLookup")
                return {200,
                        std::string(kXml),
                        ErrorReply("BrowseNodeLookupResponse", "BrowseNodes",
                                   "BrowseNodeLookupRequest", request, *keyError),
                        {}};
            if (*operation == "ItemSearch")
                return {200,
                        std::string(kXml),
                        ItemSearchReply(settings_.seed, *store, request, settings_.oversizedPages),
                        {}};
            if (*operation == "BrowseNodeLookup")
                return {200, std::string(kXml), BrowseNodeLookupReply(tree_, *store, request), {}};
        }
        return {200, std::string(kXml), BadOperationReply(request), {}};
    }
    if (const web::StoreInfo* store = StoreOfSearchHost(request.host)) {
        if (request.path != "/search")
            return StatusReply(404, "Not Found", "The search engine answers on /search only.");
        return {200, std::string(kHtml), ResultPage(settings_.seed, *store, request), {}};
    }
    return StatusReply(502, "Bad Gateway",
                       "The simulator reaches no network: " + request.host +
                           " is none of the hosts it stands in for.");
}

}  // namespace zem::sim
