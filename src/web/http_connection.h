#pragma once
// HTTP::Connection: one URL opened on an HTTP::Internet handle, with availability checks and
// reads. Answers of DataAvailable and Read: 0 failed (M_ERRORCODE, M_ERROR say
// why), 1 pending, 2 ready.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/net/request.h"

namespace zem::HTTP {

class Internet;

class Connection {
  public:
    static constexpr int kFailed = 0;
    static constexpr int kPending = 1;
    static constexpr int kReady = 2;

    Connection() = default;
    virtual ~Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Stores the URL and the flags of the next open; no extra headers. Answers 1.
    int SetRequest(std::string_view url, std::int32_t flags);
    int SetURL(std::string_view url);

    // Opens M_URL on the open internet handle and waits for the response's headers (bounded by
    // the handle's connect and stall timeouts, and by *abort when given). M_STATUS := 0 first,
    // then the HTTP status. Answers 1, or 0 with the error filled.
    int Open(Internet& internet, const std::atomic<bool>* abort = nullptr);
    // Waits at most `wait` for data or the end of the page.
    int DataAvailable(std::chrono::milliseconds wait);
    // Reads up to buffer.size() bytes; 2 with read == 0 is the end of the page.
    int Read(std::span<char> buffer, std::size_t& read, std::chrono::milliseconds wait);
    // Ends the request. Answers 1.
    int Close();

    std::string M_URL;
    std::string M_HEADERS;  // always empty in this system
    std::int32_t M_FLAGS = 0;
    std::int32_t M_STATUS = 0;
    char M_ERROR[256] = {};
    std::int32_t M_ERRORCODE = 0;

  private:
    void TakeError();
    static int Answer(net::Availability availability);

    net::Request M_HCONNECT;
};

}  // namespace zem::HTTP
