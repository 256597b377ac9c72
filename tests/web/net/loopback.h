#pragma once
// Loopback HTTP servers for the network tests, started and stopped by the test itself: an
// origin server with pages that behave well or badly, a forward proxy that forwards what it is
// asked (absolute-form targets) to the origin and can demand credentials, a server that drops
// every connection without answering, and a port that refuses connections. Everything listens
// on 127.0.0.1 only, on ports the system chooses.
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace zem::test {

// The bytes of a test page of n bytes: a pattern that shows where a cut fell.
inline std::string PageOf(std::size_t n) {
    std::string page(n, ' ');
    for (std::size_t i = 0; i < n; ++i) page[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return page;
}

// What a server saw of one request.
struct SeenRequest {
    std::string target;              // as sent: "/page?size=5" or "http://host:port/page?size=5"
    std::string proxyAuthorization;  // empty when the header was absent
    std::string userAgent;
};

class LoopbackServer {
  public:
    // Handlers that hold their answer wait at most this long for Release().
    static constexpr std::chrono::seconds kMaxHold{20};

    LoopbackServer() = default;
    ~LoopbackServer() { Stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    httplib::Server& Http() { return server_; }

    void Start() {
        server_.set_keep_alive_timeout(1);
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    void Stop() {
        Release();
        if (thread_.joinable()) {
            server_.stop();
            thread_.join();
        }
    }

    int Port() const { return port_; }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::string Url(std::string_view path) const { return Base() + std::string(path); }

    // Blocks a handler until Release() or kMaxHold; answers whether it was released.
    bool Hold() {
        std::unique_lock lock(mutex_);
        return released_cv_.wait_for(lock, kMaxHold, [this] { return released_; });
    }
    void Release() {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        released_cv_.notify_all();
    }

    void Record(const httplib::Request& request) {
        std::lock_guard lock(mutex_);
        seen_.push_back({request.target, request.get_header_value("Proxy-Authorization"),
                         request.get_header_value("User-Agent")});
    }
    std::vector<SeenRequest> Seen() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }

  private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable released_cv_;
    bool released_ = false;
    std::vector<SeenRequest> seen_;
};

// The origin server:
//   /page?size=N    N bytes of PageOf(N)
//   /status/404     a 404 whose body is "no such page"
//   /redirect       302 to /page?size=10
//   /stall          headers (Content-Length 100000) and 100 bytes, then nothing until released
//   /stall-headers  nothing at all until released
//   /cut            Content-Length 20000, 5000 bytes, then the connection is closed
//   /drop           chunked: 5000 bytes, then the connection is closed
class OriginServer : public LoopbackServer {
  public:
    OriginServer() {
        auto& http = Http();
        http.Get("/page", [this](const httplib::Request& req, httplib::Response& res) {
            Record(req);
            const std::size_t size = std::stoul(req.get_param_value("size"));
            res.set_content(PageOf(size), "text/html");
        });
        http.Get("/status/404", [this](const httplib::Request& req, httplib::Response& res) {
            Record(req);
            res.status = 404;
            res.set_content("no such page", "text/html");
        });
        http.Get("/redirect", [this](const httplib::Request& req, httplib::Response& res) {
            Record(req);
            res.set_redirect("/page?size=10");
        });
        http.Get("/stall", [this](const httplib::Request& req, httplib::Response& res) {
            Record(req);
            res.set_content_provider(
                100000, "text/html",
                [this](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    if (offset == 0) {
                        const std::string first = PageOf(100);
                        sink.write(first.data(), first.size());
                        return true;
                    }
                    Hold();
                    return false;
                });
        });
        http.Get("/stall-headers", [this](const httplib::Request& req, httplib::Response& res) {
            Record(req);
            Hold();
            res.set_content("late", "text/html");
        });
        http.Get("/cut", [this](const httplib::Request& req, httplib::Response& res) {
            Record(req);
            res.set_content_provider(20000, "text/html",
                                     [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                         if (offset > 0) return false;
                                         const std::string part = PageOf(5000);
                                         sink.write(part.data(), part.size());
                                         return true;
                                     });
        });
        http.Get("/drop", [this](const httplib::Request& req, httplib::Response& res) {
            Record(req);
            res.set_chunked_content_provider("text/html",
                                             [](std::size_t offset, httplib::DataSink& sink) {
                                                 if (offset > 0) return false;
                                                 const std::string part = PageOf(5000);
                                                 sink.write(part.data(), part.size());
                                                 return true;
                                             });
        });
        Start();
    }
    ~OriginServer() { Stop(); }
};

// A forward proxy: requests arrive with absolute-form targets and are forwarded to the origin
// they name. With RequireCredentials(header), a request whose Proxy-Authorization differs gets a
// 407 whose body is kDeniedPage.
class ProxyServer : public LoopbackServer {
  public:
    static constexpr const char* kDeniedPage = "<html>proxy authentication required</html>";

    ProxyServer() {
        Http().Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            Record(req);
            const std::string required = Required();
            if (!required.empty() && req.get_header_value("Proxy-Authorization") != required) {
                res.status = 407;
                res.set_header("Proxy-Authenticate", "Basic realm=\"test\"");
                res.set_content(kDeniedPage, "text/html");
                return;
            }
            const std::string& target = req.target;
            const std::string scheme = "http://";
            if (target.compare(0, scheme.size(), scheme) != 0) {
                res.status = 400;
                res.set_content("not a proxy request", "text/plain");
                return;
            }
            const std::size_t slash = target.find('/', scheme.size());
            const std::string host = target.substr(0, slash);
            const std::string path = slash == std::string::npos ? "/" : target.substr(slash);
            httplib::Client origin(host);
            if (auto answer = origin.Get(path)) {
                res.status = answer->status;
                res.set_content(answer->body, "text/html");
            } else {
                res.status = 502;
                res.set_content("origin unreachable", "text/plain");
            }
        });
        Start();
    }

    ~ProxyServer() { Stop(); }

    void RequireCredentials(std::string header) {
        std::lock_guard lock(authMutex_);
        required_ = std::move(header);
    }

  private:
    std::string Required() {
        std::lock_guard lock(authMutex_);
        return required_;
    }

    std::mutex authMutex_;
    std::string required_;
};

// Accepts connections, reads what arrives and closes them without a word.
class DroppingServer {
  public:
    DroppingServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd_, 16);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            while (!stop_) {
                pollfd p{fd_, POLLIN, 0};
                if (::poll(&p, 1, 20) <= 0) continue;
                const int client = ::accept(fd_, nullptr, nullptr);
                if (client < 0) continue;
                pollfd c{client, POLLIN, 0};
                if (::poll(&c, 1, 1000) > 0) {
                    char buffer[4096];
                    [[maybe_unused]] const ssize_t n = ::read(client, buffer, sizeof buffer);
                }
                ::close(client);
                ++dropped_;
            }
        });
    }
    ~DroppingServer() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    DroppingServer(const DroppingServer&) = delete;
    DroppingServer& operator=(const DroppingServer&) = delete;

    std::string Url(std::string_view path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
    }
    int Dropped() const { return dropped_; }

  private:
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> dropped_{0};
    std::thread thread_;
};

// A loopback port where nothing listens: connections to it are refused.
inline int RefusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// "Basic " + base64("user:password"), for the few credentials the tests use.
inline std::string BasicCredentials(std::string_view user, std::string_view password) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string in = std::string(user) + ":" + std::string(password);
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < in.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(in[i]) << 16) |
                           (static_cast<unsigned char>(in[i + 1]) << 8) |
                           static_cast<unsigned char>(in[i + 2]);
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += kDigits[(v >> 6) & 63];
        out += kDigits[v & 63];
    }
    if (in.size() - i == 1) {
        const unsigned v = static_cast<unsigned char>(in[i]) << 16;
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += "==";
    } else if (in.size() - i == 2) {
        const unsigned v = (static_cast<unsigned char>(in[i]) << 16) |
                           (static_cast<unsigned char>(in[i + 1]) << 8);
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += kDigits[(v >> 6) & 63];
        out += '=';
    }
    return "Basic " + out;
}

}  // namespace zem::test
