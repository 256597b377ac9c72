#include "platform/net/request.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "platform/net/curl_handles.h"

namespace zem::net {

static_assert(kErrorNotOpen == CURLE_FAILED_INIT);
static_assert(kErrorTimedOut == CURLE_OPERATION_TIMEDOUT);
static_assert(kErrorAborted == CURLE_ABORTED_BY_CALLBACK);
static_assert(kErrorBadArgument == CURLE_BAD_FUNCTION_ARGUMENT);

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A wait polls the sockets in slices this long, so an abort is seen within one slice.
constexpr milliseconds kPollSlice{50};
// Past this many bytes waiting for the reader, the transfer pauses until the reader catches up.
constexpr std::size_t kMaxBuffered = 1u << 20;

std::string DurationText(milliseconds d) {
    if (d.count() % 1000 == 0) return std::to_string(d.count() / 1000) + " s";
    return std::to_string(d.count()) + " ms";
}

bool HeaderIs(std::string_view line, std::string_view name) {
    if (line.size() <= name.size() || line[name.size()] != ':') return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != name[i]) return false;
    }
    return true;
}

}  // namespace

struct Request::Transfer {
    EasyHandle easy;
    MultiHandle multi;
    bool attached = false;  // easy is in multi
    char errorBuffer[CURL_ERROR_SIZE] = {};
    std::string url;

    std::string buffer;  // received, not yet read: buffer[consumed..]
    std::size_t consumed = 0;
    bool paused = false;

    bool headersDone = false;
    bool sawLocation = false;
    bool done = false;    // libcurl finished the transfer (result says how)
    bool failed = false;  // failure recorded in error
    CURLcode result = CURLE_OK;
    Error error;

    Clock::time_point lastProgress;
    milliseconds stall{};
    const std::atomic<bool>* abort = nullptr;

    std::size_t Buffered() const { return buffer.size() - consumed; }

    void Detach() {
        if (attached) curl_multi_remove_handle(multi.get(), easy.get());
        attached = false;
    }

    void Fail(int code, std::string text) {
        failed = true;
        error = {code, std::move(text)};
        Detach();
    }

    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const std::size_t n = size * count;
        t->lastProgress = Clock::now();
        t->headersDone = true;
        if (t->Buffered() >= kMaxBuffered) {
            t->paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        if (t->consumed > 0 && t->consumed >= t->buffer.size() / 2) {
            t->buffer.erase(0, t->consumed);
            t->consumed = 0;
        }
        t->buffer.append(data, n);
        return n;
    }

    // A header block ends with an empty line; the final response's block ends the open. Blocks
    // of interim (1xx) responses and of redirects that libcurl follows do not.
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const std::size_t n = size * count;
        const std::string_view line(data, n);
        t->lastProgress = Clock::now();
        if (HeaderIs(line, "location")) t->sawLocation = true;
        if (line == "\r\n" || line == "\n") {
            long code = 0;
            curl_easy_getinfo(t->easy.get(), CURLINFO_RESPONSE_CODE, &code);
            const bool interim = code >= 100 && code < 200;
            const bool followed = code >= 300 && code < 400 && t->sawLocation;
            if (!interim && !followed) t->headersDone = true;
            t->sawLocation = false;
        }
        return n;
    }

    // Drives the transfer until ready() holds, it ends or fails, or the deadline passes.
    template <typename Ready>
    void Pump(Clock::time_point deadline, Ready ready) {
        for (;;) {
            if (failed || done) return;
            int running = 0;
            const CURLMcode mc = curl_multi_perform(multi.get(), &running);
            if (mc != CURLM_OK) {
                Fail(CURLE_RECV_ERROR, curl_multi_strerror(mc));
                return;
            }
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
                if (message->msg != CURLMSG_DONE) continue;
                done = true;
                result = message->data.result;
            }
            if (done) {
                if (result != CURLE_OK) {
                    Fail(result, errorBuffer[0] ? std::string(errorBuffer)
                                                : std::string(curl_easy_strerror(result)));
                } else {
                    Detach();
                }
                return;
            }
            if (ready()) return;
            if (abort && abort->load()) {
                Fail(kErrorAborted, "The request was aborted");
                return;
            }
            const Clock::time_point now = Clock::now();
            const Clock::time_point stallAt = lastProgress + stall;
            if (now >= stallAt) {
                Fail(kErrorTimedOut,
                     "No data received for " + DurationText(stall) + " from " + url);
                return;
            }
            if (now >= deadline) return;
            const auto slice =
                std::min({std::chrono::duration_cast<milliseconds>(deadline - now),
                          std::chrono::duration_cast<milliseconds>(stallAt - now), kPollSlice});
            curl_multi_poll(multi.get(), nullptr, 0,
                            static_cast<int>(std::max<long long>(1, slice.count())), nullptr);
        }
    }
};

bool IsTransientFailure(int code) {
    switch (code) {
        case CURLE_PARTIAL_FILE:        // the body stopped short of its length
        case CURLE_GOT_NOTHING:         // closed without a reply
        case CURLE_SEND_ERROR:          // reset while sending
        case CURLE_RECV_ERROR:          // reset while receiving
        case CURLE_OPERATION_TIMEDOUT:  // no connection in time, or stalled
            return true;
        default:
            return false;
    }
}

Request::Request() = default;

Request::~Request() {
    Close();
}

bool Request::IsOpen() const {
    return transfer_ != nullptr;
}

int Request::StatusCode() const {
    if (!transfer_) return 0;
    long code = 0;
    curl_easy_getinfo(transfer_->easy.get(), CURLINFO_RESPONSE_CODE, &code);
    return static_cast<int>(code);
}

void Request::Close() {
    if (owner_) owner_->Forget(this);
    owner_ = nullptr;
    if (transfer_) transfer_->Detach();
    transfer_.reset();
}

bool Request::Open(Internet& internet, std::string_view url, const std::atomic<bool>* abort) {
    Close();
    error_.Clear();
    if (!internet.IsOpen()) {
        error_ = {kErrorNotOpen, "The internet handle is not open"};
        return false;
    }
    if (url.empty()) {
        error_ = {kErrorBadArgument, "No URL to open"};
        return false;
    }
    if (const int init = GlobalInit(); init != 0) {
        error_ = {init, "libcurl could not be initialised"};
        return false;
    }
    auto t = std::make_unique<Transfer>();
    t->easy.reset(curl_easy_init());
    t->multi.reset(curl_multi_init());
    if (!t->easy || !t->multi) {
        error_ = {CURLE_OUT_OF_MEMORY, "libcurl could not create a handle"};
        return false;
    }
    t->url = url;
    t->abort = abort;
    const Timeouts timeouts = internet.GetTimeouts();
    t->stall = timeouts.stall;

    CURL* e = t->easy.get();
    curl_easy_setopt(e, CURLOPT_URL, t->url.c_str());
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t->errorBuffer);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, t.get());
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, t.get());
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (!internet.agent_.empty()) curl_easy_setopt(e, CURLOPT_USERAGENT, internet.agent_.c_str());
    switch (internet.access_) {
        case AccessType::Preconfigured:
            break;  // libcurl reads the environment's proxy variables itself
        case AccessType::Direct:
            curl_easy_setopt(e, CURLOPT_PROXY, "");
            break;
        case AccessType::Proxy:
            curl_easy_setopt(e, CURLOPT_PROXY, internet.proxy_.c_str());
            curl_easy_setopt(e, CURLOPT_NOPROXY, internet.noProxy_.c_str());
            break;
    }
    // Basic, libcurl's default, made explicit: the proxy's credentials go with the first
    // request. A round trip to learn the proxy's method first would send every request twice
    // (each copy costs the service's rate limit a request), and OnHeader would take the
    // proxy's 407 for the final reply.
    curl_easy_setopt(e, CURLOPT_PROXYAUTH, CURLAUTH_BASIC);
    if (internet.hasUser_) curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, internet.user_.c_str());
    if (internet.hasPassword_)
        curl_easy_setopt(e, CURLOPT_PROXYPASSWORD, internet.password_.c_str());

    if (curl_multi_add_handle(t->multi.get(), e) != CURLM_OK) {
        error_ = {CURLE_FAILED_INIT, "libcurl could not start the request"};
        return false;
    }
    t->attached = true;
    t->lastProgress = Clock::now();
    t->Pump(Clock::time_point::max(), [&] { return t->headersDone; });
    // Once the headers are in, the request is open: a failure after them (a cut body) is
    // reported to the reader after the bytes that did arrive.
    if (t->failed && !t->headersDone) {
        error_ = t->error;
        return false;
    }
    transfer_ = std::move(t);
    owner_ = &internet;
    internet.requests_.push_back(this);
    return true;
}

Availability Request::DataAvailable(std::chrono::milliseconds wait, std::size_t* bytes) {
    if (bytes) *bytes = 0;
    if (!transfer_) {
        error_ = {kErrorNotOpen, "The request is not open"};
        return Availability::Failed;
    }
    Transfer& t = *transfer_;
    t.Pump(Clock::now() + wait, [&] { return t.Buffered() > 0; });
    if (t.Buffered() > 0) {
        if (bytes) *bytes = t.Buffered();
        return Availability::Ready;
    }
    if (t.failed) {
        error_ = t.error;
        return Availability::Failed;
    }
    return t.done ? Availability::Ready : Availability::Pending;
}

Availability Request::Read(std::span<char> into, std::size_t& read,
                           std::chrono::milliseconds wait) {
    read = 0;
    const Availability available = DataAvailable(wait);
    if (available != Availability::Ready) return available;
    Transfer& t = *transfer_;
    read = std::min(into.size(), t.Buffered());
    if (read > 0) std::memcpy(into.data(), t.buffer.data() + t.consumed, read);
    t.consumed += read;
    if (t.consumed == t.buffer.size()) {
        t.buffer.clear();
        t.consumed = 0;
    }
    if (t.paused && t.Buffered() < kMaxBuffered / 2) {
        t.paused = false;
        // The waiting bytes may be delivered from inside this call.
        curl_easy_pause(t.easy.get(), CURLPAUSE_CONT);
        t.lastProgress = Clock::now();
    }
    return Availability::Ready;
}

}  // namespace zem::net
