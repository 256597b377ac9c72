#pragma once
// Internet handles over libcurl, in the shape the page loader needs: an internet handle holds
// the agent, the access type (preconfigured, direct or a named proxy with its bypass list) and
// the proxy credentials; requests are opened on it (request.h). An internet handle and the
// requests opened on it are used by one thread at a time.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace zem::net {

// The failure of the last call on a handle. Codes are libcurl's CURLcode values (never 0 for a
// failure); our own failures use the libcurl codes that mean the same.
struct Error {
    int code = 0;
    std::string text;

    void Clear() {
        code = 0;
        text.clear();
    }
};

inline constexpr int kErrorNotOpen = 2;       // CURLE_FAILED_INIT: the handle is not open
inline constexpr int kErrorTimedOut = 28;     // CURLE_OPERATION_TIMEDOUT: connect timeout, stall
inline constexpr int kErrorAborted = 42;      // CURLE_ABORTED_BY_CALLBACK: the abort flag was set
inline constexpr int kErrorBadArgument = 43;  // CURLE_BAD_FUNCTION_ARGUMENT: no URL, bad settings

enum class AccessType : int {
    Preconfigured =
        0,       // the environment's http_proxy, https_proxy, no_proxy, as libcurl reads them
    Direct = 1,  // no proxy at all, whatever the environment says
    Proxy = 3,   // the named proxy, except for the hosts of the bypass list
};

// A request fails when its connection is not made within `connect`, or when it receives no byte
// for `stall` while it is waited on.
struct Timeouts {
    std::chrono::milliseconds connect;
    std::chrono::milliseconds stall;
};
inline constexpr std::chrono::milliseconds kConnectTimeout = std::chrono::seconds(15);
inline constexpr std::chrono::milliseconds kStallTimeout = std::chrono::seconds(30);

// The timeouts that internet handles take when they open; tests shorten them. Any thread.
void SetDefaultTimeouts(Timeouts timeouts);
Timeouts DefaultTimeouts();

class Request;

class Internet {
  public:
    Internet() = default;
    ~Internet();
    Internet(const Internet&) = delete;
    Internet& operator=(const Internet&) = delete;

    // Opens the handle (closing it first when open). proxy is a WinINet-style list: "host:port",
    // or entries like "http=host:port" separated by ';' or blanks (the http entry, else the first
    // plain one, is used). bypass lists hosts separated by ';', ',' or blanks; "*.example.com"
    // means example.com and its subdomains, "<local>" has no libcurl equivalent and is dropped.
    // Both are used only with AccessType::Proxy, which needs a proxy. Answers false with
    // LastError() set on failure.
    bool Open(std::string_view agent, AccessType access, std::string_view proxy = {},
              std::string_view bypass = {});
    // Proxy credentials sent with every request opened afterwards (Basic, preemptively). Need an
    // open handle.
    bool SetProxyUserName(std::string_view user);
    bool SetProxyPassword(std::string_view password);
    // Closes the handle and every request still open on it. Answers true.
    bool Close();
    bool IsOpen() const { return open_; }

    // The timeouts of the requests opened from now on; Open takes DefaultTimeouts().
    void SetTimeouts(Timeouts timeouts) { timeouts_ = timeouts; }
    Timeouts GetTimeouts() const { return timeouts_; }

    const Error& LastError() const { return error_; }

  private:
    friend class Request;
    void Forget(Request* request);

    bool open_ = false;
    std::string agent_;
    AccessType access_ = AccessType::Preconfigured;
    std::string proxy_;    // libcurl's form: "host:port"
    std::string noProxy_;  // libcurl's form: comma-separated
    bool hasUser_ = false;
    bool hasPassword_ = false;
    std::string user_;
    std::string password_;
    Timeouts timeouts_ = {kConnectTimeout, kStallTimeout};
    Error error_;
    std::vector<Request*> requests_;  // open on this handle, closed with it
};

}  // namespace zem::net
