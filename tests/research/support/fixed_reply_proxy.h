#pragma once
// A loopback proxy that answers every request with one reply the test gives, for replies the
// simulator does not make: a reply larger than a job's page buffer, one cut short without the
// connection telling, one holding a stray tag.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <thread>
#include <utility>

namespace zem::test {

class FixedReplyProxy {
  public:
    explicit FixedReplyProxy(std::string body, int status = 200,
                             std::string contentType = "text/xml;charset=UTF-8")
        : body_(std::move(body)), status_(status), contentType_(std::move(contentType)) {
        // Proxy targets are absolute URLs: answered before any routing.
        server_.set_pre_routing_handler([this](const httplib::Request&, httplib::Response& r) {
            ++requests_;
            r.status = status_;
            r.set_content(body_, contentType_);
            return httplib::Server::HandlerResponse::Handled;
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~FixedReplyProxy() {
        server_.stop();
        thread_.join();
    }
    FixedReplyProxy(const FixedReplyProxy&) = delete;
    FixedReplyProxy& operator=(const FixedReplyProxy&) = delete;

    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::size_t Requests() const { return requests_.load(); }

  private:
    std::string body_;
    int status_;
    std::string contentType_;
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<std::size_t> requests_{0};
};

}  // namespace zem::test
