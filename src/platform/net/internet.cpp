#include "platform/net/internet.h"

#include <algorithm>
#include <atomic>
#include <cctype>

#include "platform/net/curl_handles.h"
#include "platform/net/request.h"

namespace zem::net {
namespace {

std::atomic<long long> g_connectMs{kConnectTimeout.count()};
std::atomic<long long> g_stallMs{kStallTimeout.count()};

bool IsSeparator(char c) {
    return c == ';' || c == ',' || c == ' ' || c == '\t';
}

template <typename Fn>
void ForEachEntry(std::string_view list, Fn&& fn) {
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && IsSeparator(list[i])) ++i;
        std::size_t end = i;
        while (end < list.size() && !IsSeparator(list[end])) ++end;
        if (end > i) fn(list.substr(i, end - i));
        i = end;
    }
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

// WinINet's proxy list to the one proxy libcurl takes: the "http=" entry, else the first entry
// without a scheme selector.
std::string ProxyOf(std::string_view list) {
    std::string plain;
    std::string http;
    ForEachEntry(list, [&](std::string_view entry) {
        if (StartsWithNoCase(entry, "http=")) {
            if (http.empty()) http = entry.substr(5);
        } else if (entry.find('=') == std::string_view::npos && plain.empty()) {
            plain = entry;
        }
    });
    return http.empty() ? plain : http;
}

// WinINet's bypass list to libcurl's no-proxy list.
std::string NoProxyOf(std::string_view list) {
    std::string out;
    ForEachEntry(list, [&](std::string_view entry) {
        if (entry == "<local>") return;
        if (entry.size() > 2 && entry.substr(0, 2) == "*.") entry.remove_prefix(2);
        if (!out.empty()) out += ',';
        out += entry;
    });
    return out;
}

}  // namespace

void SetDefaultTimeouts(Timeouts timeouts) {
    g_connectMs.store(timeouts.connect.count());
    g_stallMs.store(timeouts.stall.count());
}

Timeouts DefaultTimeouts() {
    return {std::chrono::milliseconds(g_connectMs.load()),
            std::chrono::milliseconds(g_stallMs.load())};
}

Internet::~Internet() {
    Close();
}

bool Internet::Open(std::string_view agent, AccessType access, std::string_view proxy,
                    std::string_view bypass) {
    Close();
    error_.Clear();
    if (const int init = GlobalInit(); init != 0) {
        error_ = {init, "libcurl could not be initialised"};
        return false;
    }
    if (access != AccessType::Preconfigured && access != AccessType::Direct &&
        access != AccessType::Proxy) {
        error_ = {kErrorBadArgument,
                  "Unknown access type " + std::to_string(static_cast<int>(access))};
        return false;
    }
    proxy_.clear();
    noProxy_.clear();
    if (access == AccessType::Proxy) {
        proxy_ = ProxyOf(proxy);
        if (proxy_.empty()) {
            error_ = {kErrorBadArgument, "Proxy access needs a proxy name"};
            return false;
        }
        noProxy_ = NoProxyOf(bypass);
    }
    agent_ = agent;
    access_ = access;
    hasUser_ = hasPassword_ = false;
    user_.clear();
    password_.clear();
    timeouts_ = DefaultTimeouts();
    open_ = true;
    return true;
}

bool Internet::SetProxyUserName(std::string_view user) {
    error_.Clear();
    if (!open_) {
        error_ = {kErrorNotOpen, "The internet handle is not open"};
        return false;
    }
    user_ = user;
    hasUser_ = true;
    return true;
}

bool Internet::SetProxyPassword(std::string_view password) {
    error_.Clear();
    if (!open_) {
        error_ = {kErrorNotOpen, "The internet handle is not open"};
        return false;
    }
    password_ = password;
    hasPassword_ = true;
    return true;
}

bool Internet::Close() {
    // Request::Close forgets itself here, so take the list first.
    std::vector<Request*> open;
    open.swap(requests_);
    for (Request* request : open) {
        request->owner_ = nullptr;
        request->Close();
    }
    open_ = false;
    return true;
}

void Internet::Forget(Request* request) {
    requests_.erase(std::remove(requests_.begin(), requests_.end(), request), requests_.end());
}

}  // namespace zem::net
