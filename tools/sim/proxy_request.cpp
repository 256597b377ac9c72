#include "proxy_request.h"

#include "ascii.h"

namespace zem::sim {
namespace {

int HexValue(unsigned char c) {
    if (IsDigit(c)) return c - '0';
    c = ToUpper(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "user@host:port" -> "host", lower case, without a trailing dot.
std::string HostOfAuthority(std::string_view authority) {
    if (const auto at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    if (const auto colon = authority.rfind(':'); colon != std::string_view::npos)
        authority = authority.substr(0, colon);
    if (!authority.empty() && authority.back() == '.') authority.remove_suffix(1);
    return LowerCase(authority);
}

QueryParams ParseQuery(std::string_view query) {
    QueryParams params;
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
        if (pair.empty()) continue;
        const auto eq = pair.find('=');
        params.emplace_back(DecodeQueryComponent(pair.substr(0, eq)),
                            eq == std::string_view::npos
                                ? std::string{}
                                : DecodeQueryComponent(pair.substr(eq + 1)));
    }
    return params;
}

}  // namespace

std::string DecodeQueryComponent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size()) {
            const int high = HexValue(static_cast<unsigned char>(text[i + 1]));
            const int low = HexValue(static_cast<unsigned char>(text[i + 2]));
            if (high < 0 || low < 0) {
                out += c;
                continue;
            }
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<ProxyRequest> ParseProxyTarget(std::string_view target, std::string_view hostHeader) {
    ProxyRequest request;
    std::string_view rest;
    constexpr std::string_view kScheme = "http://";
    if (target.size() >= kScheme.size() &&
        EqualsIgnoreCase(target.substr(0, kScheme.size()), kScheme)) {
        target.remove_prefix(kScheme.size());
        const auto end = target.find_first_of("/?");
        request.host = HostOfAuthority(target.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : target.substr(end);
    } else if (!target.empty() && target[0] == '/') {
        request.host = HostOfAuthority(hostHeader);
        rest = target;
    } else {
        request.host = HostOfAuthority(target);
        if (request.host.empty()) return std::nullopt;
        return request;
    }
    if (request.host.empty()) return std::nullopt;

    if (const auto hash = rest.find('#'); hash != std::string_view::npos)
        rest = rest.substr(0, hash);
    const auto question = rest.find('?');
    request.path = std::string(rest.substr(0, question));
    if (request.path.empty()) request.path.push_back('/');
    if (question != std::string_view::npos) request.params = ParseQuery(rest.substr(question + 1));
    return request;
}

const std::string* FindParam(const QueryParams& params, std::string_view name) {
    for (const auto& [key, value] : params)
        if (key == name) return &value;
    return nullptr;
}

}  // namespace zem::sim
