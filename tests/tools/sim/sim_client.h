#pragma once
// Clients for the simulator's tests: an HTTP client that uses the simulator as its proxy, and a
// raw connection for the modes where the bytes on the wire are what counts.
#include <httplib.h>

#include <chrono>
#include <string>
#include <string_view>

namespace zem::test {

// GET of an absolute http:// URL through the proxy on 127.0.0.1:port; the URL goes out as
// written (no second encoding), as the program's loader sends it.
httplib::Result FetchThrough(int port, std::string_view url, const httplib::Headers& headers = {},
                             std::chrono::milliseconds readTimeout = std::chrono::seconds(5));

// The request line and headers a proxy client sends for the URL.
std::string ProxyRequestText(std::string_view url);

class RawConnection {
  public:
    explicit RawConnection(int port);  // connects to 127.0.0.1:port
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool Send(std::string_view bytes);
    // Reads until the peer closes or nothing arrives for `quiet`. True when the peer closed.
    bool ReadFor(std::chrono::milliseconds quiet);
    const std::string& Received() const { return received_; }

  private:
    int fd_ = -1;
    std::string received_;
};

struct RawReply {
    std::string head;  // status line and headers
    std::string body;
    bool complete = false;  // the blank line after the headers arrived
};

RawReply SplitReply(const std::string& bytes);
// The value of a header in `head` (name compared as written), empty when absent.
std::string HeaderOf(const RawReply& reply, std::string_view name);

}  // namespace zem::test
