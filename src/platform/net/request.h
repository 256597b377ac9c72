#pragma once
// One URL opened on an internet handle: libcurl's easy handle driven by a multi handle of its
// own, so that every wait is bounded. Bytes arrive into an internal buffer while the request is
// waited on; reads take them from there. HTTP error statuses are not failures: their body is the
// page. No cookies, no extra headers; redirects are followed.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "platform/net/internet.h"

namespace zem::net {

// What a request has for its reader: nothing yet (pending), data or the end of the page (ready;
// a read of 0 bytes then means the end), or a failure (LastError() says which).
enum class Availability : int { Failed = 0, Pending = 1, Ready = 2 };

// Whether a failure (an Error code) is one a later attempt of the same request may not meet:
// the connection was dropped, reset or cut, or went quiet. A host that can't be found, a
// refused connection or a bad argument fail the same way every time.
bool IsTransientFailure(int code);

class Request {
  public:
    Request();
    ~Request();
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    // Opens url on an open internet handle (closing this request first when open) and waits
    // until the response's headers are in, the connect timeout passes, the request stalls, or
    // *abort (when given) becomes true; abort stays watched by every later wait. Answers false
    // with LastError() set on failure; a refused connection fails at once.
    bool Open(Internet& internet, std::string_view url, const std::atomic<bool>* abort = nullptr);

    // Waits at most `wait` (0: just looks) for data, the end of the page or a failure. *bytes,
    // when given, receives the number of bytes ready.
    Availability DataAvailable(std::chrono::milliseconds wait = {}, std::size_t* bytes = nullptr);
    // DataAvailable with the same wait, then moves up to into.size() ready bytes into `into`.
    // Ready with read == 0 is the end of the page.
    Availability Read(std::span<char> into, std::size_t& read, std::chrono::milliseconds wait = {});

    // Ends the transfer and frees the handles. A request not open stays closed.
    void Close();
    bool IsOpen() const;

    // The response's HTTP status (0 before the headers are in).
    int StatusCode() const;
    const Error& LastError() const { return error_; }

  private:
    friend class Internet;
    struct Transfer;

    std::unique_ptr<Transfer> transfer_;
    Internet* owner_ = nullptr;
    Error error_;
};

}  // namespace zem::net
