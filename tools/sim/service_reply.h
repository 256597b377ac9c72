#pragma once
// What every E-Commerce Service reply shares: the root element in the service's namespace, the
// OperationRequest block that echoes the request, the request echo and the error list.
#include <string>
#include <string_view>

#include "markup_writer.h"
#include "proxy_request.h"

namespace zem::sim {

inline constexpr std::string_view kServiceNamespace =
    "http://webservices.amazon.com/AWSECommerceService/2007-06-13";

struct ServiceError {
    std::string code;
    std::string message;
};

// Writes the XML declaration, opens the root element and writes OperationRequest. Its request
// id and processing time follow from the request, so equal requests get equal replies.
void OpenServiceReply(MarkupWriter& writer, std::string_view rootName, const ProxyRequest& request);

// <name> with one child per request parameter other than the ones every request carries, in
// name order, as the service echoes them.
void WriteRequestEcho(MarkupWriter& writer, std::string_view name, const ProxyRequest& request);

void WriteErrors(MarkupWriter& writer, const ServiceError& error);

// A reply that only reports an error: root, OperationRequest, then
// <container><Request><IsValid>False</IsValid><echo/><Errors/></Request></container>.
std::string ErrorReply(std::string_view rootName, std::string_view container,
                       std::string_view echoName, const ProxyRequest& request,
                       const ServiceError& error);

// The reply to an unknown or missing Operation (or a wrong Service).
std::string BadOperationReply(const ProxyRequest& request);

// The error reply the service sends, with status 503, to a client that asks too fast:
// <OperationErrorResponse><Error><Code>RequestThrottled</Code>... without any item or node.
std::string ThrottledReply(const ProxyRequest& request);

}  // namespace zem::sim
