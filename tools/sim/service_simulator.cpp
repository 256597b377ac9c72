#include "service_simulator.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "connection_drop.h"
#include "proxy_auth.h"
#include "service_reply.h"
#include "web/stores.h"

namespace zem::sim {
namespace {

constexpr std::size_t kRequestLogLimit = 10'000;
constexpr std::string_view kText = "text/plain; charset=UTF-8";

bool IsServiceHost(std::string_view host) {
    for (const web::StoreInfo& store : web::Stores())
        if (store.serviceHost == host) return true;
    return false;
}

}  // namespace

struct ServiceSimulator::State {
    State(ContentSettings content, Modes initial)
        : services(content), seed(content.seed), modes(std::move(initial)) {}

    httplib::Server::HandlerResponse Handle(const httplib::Request& request,
                                            httplib::Response& response);
    void AnswerControl(const ProxyRequest& request, httplib::Response& response);
    void Send(httplib::Response& response, Reply reply, const Modes& applied);
    // Waits up to `duration`, or until Stop; true when Stop began.
    bool WaitForStop(std::chrono::milliseconds duration);
    void WaitForStop();

    const SimulatedServices services;
    const std::uint64_t seed;
    std::uint64_t serviceRequests = 0;  // the throttle rate's count
    mutable std::mutex mutex;
    std::condition_variable stopped;
    Modes modes;
    std::deque<std::string> requests;
    bool stopping = false;

    httplib::Server server;
    std::thread thread;
    bool started = false;  // a server is started once; Stop is for good
    std::atomic<bool> listenEnded = false;
    int port = 0;
};

bool ServiceSimulator::State::WaitForStop(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex);
    return stopped.wait_for(lock, duration, [&] { return stopping; });
}

void ServiceSimulator::State::WaitForStop() {
    std::unique_lock lock(mutex);
    stopped.wait(lock, [&] { return stopping; });
}

void ServiceSimulator::State::Send(httplib::Response& response, Reply reply, const Modes& applied) {
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers) response.set_header(name, value);
    auto body = std::make_shared<const std::string>(std::move(reply.body));
    const std::size_t size = body->size();
    std::size_t limit = size;
    if (applied.cut) {
        limit = std::min(*applied.cut, size);
    } else if (applied.stall) {
        limit = size / 2;
    }
    const bool hang = applied.stall;
    // A provider with a length keeps the announced Content-Length whatever is sent, and the
    // server never compresses it, so the bytes on the wire are exactly the body's.
    response.set_content_provider(
        size, reply.contentType,
        [this, body, limit, hang](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            if (offset < limit) return sink.write(body->data() + offset, limit - offset);
            if (hang) WaitForStop();
            return false;
        });
}

void ServiceSimulator::State::AnswerControl(const ProxyRequest& request,
                                            httplib::Response& response) {
    std::lock_guard lock(mutex);
    if (request.path == "/mode") {
        if (const std::string error = ApplyModeParams(modes, request.params); !error.empty()) {
            response.status = 400;
            response.set_content(error + "\n", std::string(kText));
            return;
        }
        response.set_content(DescribeModes(modes) + "\n", std::string(kText));
    } else if (request.path == "/requests") {
        std::string text;
        for (const std::string& line : requests) text += line + "\n";
        if (FindParam(request.params, "clear")) requests.clear();
        response.set_content(text, std::string(kText));
    } else {
        response.status = 404;
        response.set_content("The control host knows /mode and /requests.\n", std::string(kText));
    }
}

httplib::Server::HandlerResponse ServiceSimulator::State::Handle(const httplib::Request& request,
                                                                 httplib::Response& response) {
    std::optional<ProxyRequest> parsed =
        ParseProxyTarget(request.target, request.get_header_value("Host"));
    if (!parsed) {
        Send(response, StatusReply(400, "Bad Request", "The request names no host."), {});
        return httplib::Server::HandlerResponse::Handled;
    }
    parsed->userAgent = request.get_header_value("User-Agent");
    if (parsed->host == kControlHost) {
        AnswerControl(*parsed, response);
        return httplib::Server::HandlerResponse::Handled;
    }

    Modes current;
    {
        std::lock_guard lock(mutex);
        current = TakeRequestModes(modes);
        if (IsServiceHost(parsed->host) && current.fail == Failure::None &&
            current.throttleRate > 0 && IsThrottled(seed, serviceRequests++, current.throttleRate))
            current.fail = Failure::Throttle;
        if (requests.size() >= kRequestLogLimit) requests.pop_front();
        requests.push_back(request.method + " " + request.target);
    }
    // In the order of a slow, strict proxy: every answer waits, then credentials are asked for,
    // then the failure modes take the reply.
    if (current.delayMs > 0) WaitForStop(std::chrono::milliseconds(current.delayMs));
    if (!current.proxyAuth.empty() &&
        !IsAuthorized(request.get_header_value("Proxy-Authorization"), current.proxyAuth)) {
        Reply reply = StatusReply(407, "Proxy Authentication Required",
                                  "The simulator wants Basic proxy credentials.");
        reply.headers.emplace_back("Proxy-Authenticate", "Basic realm=\"service-sim\"");
        Send(response, std::move(reply), {});
        return httplib::Server::HandlerResponse::Handled;
    }
    if (current.fail == Failure::Drop) {
        DropConnection(request.local_addr, request.local_port, request.remote_addr,
                       request.remote_port);
        return httplib::Server::HandlerResponse::Handled;
    }
    Reply reply;
    if (current.fail == Failure::Status500) {
        reply = StatusReply(500, "Internal Server Error", "The simulator was told to fail.");
    } else if (current.fail == Failure::Throttle) {
        reply = {503, "text/xml;charset=UTF-8", ThrottledReply(*parsed), {}};
    } else {
        reply = services.Answer(*parsed);
    }
    Send(response, std::move(reply), current);
    return httplib::Server::HandlerResponse::Handled;
}

ServiceSimulator::ServiceSimulator(ContentSettings content, Modes modes)
    : state_(std::make_unique<State>(content, std::move(modes))) {
    // Every request is answered before routing: proxy targets are absolute URLs, which the
    // server's path patterns were never meant to match.
    state_->server.set_pre_routing_handler(
        [state = state_.get()](const httplib::Request& request, httplib::Response& response) {
            return state->Handle(request, response);
        });
}

ServiceSimulator::~ServiceSimulator() {
    Stop();
}

int ServiceSimulator::Start(int port) {
    if (state_->started || port < 0) return 0;
    state_->started = true;
    const int bound = port == 0 ? state_->server.bind_to_any_port("127.0.0.1")
                                : (state_->server.bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0) return 0;
    state_->port = bound;
    // The socket listens from here on, so clients may connect before the thread runs. Stop is
    // only heard once the accept loop runs, so Start returns after it began.
    state_->thread = std::thread([state = state_.get()] {
        state->server.listen_after_bind();
        state->listenEnded = true;
    });
    while (!state_->server.is_running() && !state_->listenEnded)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return bound;
}

void ServiceSimulator::Stop() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->stopped.notify_all();
    if (state_->thread.joinable()) {
        state_->server.stop();
        state_->thread.join();
    }
}

int ServiceSimulator::Port() const {
    return state_->port;
}

void ServiceSimulator::SetModes(const Modes& modes) {
    std::lock_guard lock(state_->mutex);
    state_->modes = modes;
}

Modes ServiceSimulator::CurrentModes() const {
    std::lock_guard lock(state_->mutex);
    return state_->modes;
}

std::vector<std::string> ServiceSimulator::Requests() const {
    std::lock_guard lock(state_->mutex);
    return {state_->requests.begin(), state_->requests.end()};
}

}  // namespace zem::sim
