#pragma once
// What the simulator needs of one request a client sent to its proxy: the host it was meant for,
// the path and the decoded query parameters in the order they came.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zem::sim {

using QueryParams = std::vector<std::pair<std::string, std::string>>;

struct ProxyRequest {
    std::string host;  // lower case, without port and user information
    std::string path;  // as sent, "/onca/xml"; empty for an authority-form target (CONNECT)
    QueryParams params;
    std::string userAgent;
};

// Reads a request target: absolute form ("http://host:port/path?query", what clients send to a
// proxy), origin form ("/path?query", the host then comes from the Host header) or authority
// form ("host:443"). Nothing when no host can be told.
std::optional<ProxyRequest> ParseProxyTarget(std::string_view target, std::string_view hostHeader);

// A query component with "+" as a blank and %XX as the byte XX; a malformed escape stays as is.
std::string DecodeQueryComponent(std::string_view text);

// The value of the first parameter named exactly `name`, or nullptr.
const std::string* FindParam(const QueryParams& params, std::string_view name);

}  // namespace zem::sim
