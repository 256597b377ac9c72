#include "web/http_loader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "data/text_fields.h"

namespace zem::HTTP {
namespace {

std::atomic<int> g_liveLoaders{0};

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

template <std::size_t N>
void Clear(char (&field)[N]) {
    std::memset(field, 0, N);
}

}  // namespace

void LoaderThread(ThreadParams params) {
    // The worker's own block: the pager's copy may be gone by now.
    ThreadParams own = std::move(params);
    if (!own.LOADER) return;
    own.LOADER->Serve();
    own.LOADER.reset();  // disposes the loader: the pager let go of it when it set Kill
}

Loader::Loader() {
    ++g_liveLoaders;
    // C++ allocation throws; the system's code carries on without the object, and so do we.
    try {
        HINTERNET = std::make_unique<Internet>();
    } catch (const std::bad_alloc&) {
        SetError(-1, kNoObject);
    }
    try {
        HCONNECT = std::make_unique<Connection>();
    } catch (const std::bad_alloc&) {
        SetError(-1, kNoObject);
    }
    M_STATE = Idle;
}

Loader::~Loader() {
    --g_liveLoaders;
}

int Loader::LiveCount() {
    return g_liveLoaders.load();
}

void Loader::SetError(std::int32_t code, std::string_view text) {
    M_ERRORCODE = code;
    data::SetCString(M_ERROR, text);
}

std::string Loader::Url() const {
    return HCONNECT ? HCONNECT->M_URL : std::string();
}

std::uint8_t Loader::State() const {
    std::lock_guard lock(C);
    return M_STATE;
}

bool Loader::ClaimWorker() {
    std::lock_guard lock(C);
    if (workerClaimed_) return false;
    workerClaimed_ = true;
    return true;
}

void Loader::ReleaseWorker() {
    std::lock_guard lock(C);
    workerClaimed_ = false;
}

int Loader::Prepare(std::string_view url, INFO& info) {
    if (!HINTERNET || !HCONNECT) return 0;
    std::int32_t access = Internet::kPreconfigured;
    if (info.USEPROXY != 0 && !IsBlank(data::CStringOf(info.PROXY))) {
        access = Internet::kProxy;
        if (info.USEACCOUNT == 0) {
            Clear(info.USER);
            Clear(info.PASSWORD);
        }
        if (info.USEPASSWORD == 0) Clear(info.PASSWORD);
    } else {
        access = info.USEPROXY != 0 ? Internet::kDirect : Internet::kPreconfigured;
        Clear(info.PROXY);
        Clear(info.USER);
        Clear(info.PASSWORD);
        Clear(info.BYPASS);
    }
    if (!HINTERNET->SetParameters(data::CStringOf(info.USERAGENT), access,
                                  data::CStringOf(info.PROXY), data::CStringOf(info.USER),
                                  data::CStringOf(info.PASSWORD), data::CStringOf(info.BYPASS),
                                  0)) {
        SetError(HINTERNET->M_ERRORCODE, data::CStringOf(HINTERNET->M_ERROR));
        return 0;
    }
    if (!HCONNECT->SetRequest(url, kNoCookies)) {
        SetError(HCONNECT->M_ERRORCODE, data::CStringOf(HCONNECT->M_ERROR));
        return 0;
    }
    return 1;
}

Loader::Take Loader::TakeRequest(std::string_view url, INFO& info, std::int32_t& code,
                                 char (&text)[256]) {
    {
        std::lock_guard lock(C);
        if (M_STATE != Idle) return Take::Busy;
        if (!Prepare(url, info)) {
            code = M_ERRORCODE;
            data::SetCString(text, data::CStringOf(M_ERROR));
            SetError(0, {});
            return Take::Failed;
        }
        M_STATE = Connect;
        M_STATUS = 0;
        ++serial_;
    }
    changed_.notify_all();
    return Take::Taken;
}

std::size_t Loader::Fetch(std::span<char> page) {
    if (!page.empty()) page[0] = '\0';
    std::size_t total = 0;
    // A failed request is collected as 0 bytes with its error, never as a partial page.
    if (M_ERRORCODE == 0) {
        const std::size_t capacity = page.empty() ? 0 : page.size() - 1;
        std::size_t at = 0;
        for (const PageChunk& chunk : M_QUEUE) {
            const auto len = static_cast<std::size_t>(chunk.LEN);
            const std::size_t n = std::min(len, capacity - at);
            std::memcpy(page.data() + at, chunk.BUF, n);
            at += n;
            total += len;
        }
        if (!page.empty()) page[at] = '\0';
    }
    LOG.WriteLog("Fetched " + std::to_string(total) + " on " + Url());
    return total;
}

void Loader::Disconnect() {
    if (HCONNECT) HCONNECT->Close();
    if (HINTERNET) HINTERNET->Close();
    M_QUEUE.clear();
    LOG.WriteLog("Disconnected on " + Url());
}

std::size_t Loader::Collect(std::span<char> page, std::int32_t& code, char (&text)[256],
                            std::int32_t& status) {
    std::size_t total = 0;
    {
        std::lock_guard lock(C);
        total = Fetch(page);
        code = M_ERRORCODE;
        status = M_STATUS;
        M_STATUS = 0;
        data::SetCString(text, data::CStringOf(M_ERROR));
        SetError(0, {});
        Disconnect();
        // Collected before the worker finished: its current wait ends and it drops the request.
        if (M_STATE == Connect || M_STATE == Read) abort_ = true;
        M_STATE = Idle;
        ++serial_;
    }
    changed_.notify_all();
    return total;
}

void Loader::Stop() {
    {
        std::lock_guard lock(C);
        M_STATE = Kill;
        abort_ = true;
    }
    changed_.notify_all();
}

void Loader::ReadStep(std::unique_lock<std::mutex>& lock, Connection& request,
                      std::uint64_t serial) {
    const std::string url = request.M_URL;
    for (;;) {
        lock.unlock();
        PageChunk chunk;
        std::size_t n = 0;
        const int answer = request.Read(std::span<char>(chunk.BUF, kChunkSize), n, kReadWait);
        chunk.BUF[n] = '\0';
        lock.lock();
        if (!Current(serial)) return;
        if (answer == Connection::kPending) {
            LOG.WriteLog("Waiting read on " + url);
            if (changed_.wait_for(lock, kPendingPause, [&] { return !Current(serial); })) return;
            continue;
        }
        if (answer == Connection::kFailed) {
            SetError(request.M_ERRORCODE, data::CStringOf(request.M_ERROR));
            LOG.WriteLog("Error found on " + url);
            M_STATE = Done;
            return;
        }
        if (n == 0) {
            M_STATE = Done;  // the page is complete
            return;
        }
        chunk.ID = static_cast<std::int32_t>(M_QUEUE.size());
        chunk.LEN = static_cast<std::int32_t>(n);
        M_QUEUE.push_back(chunk);
        LOG.WriteLog("Loaded " + std::to_string(n) + " on " + url);
        return;
    }
}

void Loader::Serve() {
    // The live request belongs to this thread alone; the loader's HINTERNET and HCONNECT only
    // hold what Prepare stored.
    Internet live;
    Connection request;
    std::uint64_t served = 0;  // serial of the request open in `live`, 0 for none
    std::unique_lock lock(C);
    const auto closeLive = [&] {
        lock.unlock();
        request.Close();
        live.Close();
        lock.lock();
        served = 0;
    };
    for (;;) {
        if (M_STATE == Kill) break;
        const std::uint64_t serial = serial_;
        if (served != 0 && served != serial) {
            closeLive();  // collected, or replaced, while it was open
            continue;
        }
        if (M_STATE == Connect) {
            if (!HINTERNET || !HCONNECT) {
                M_STATE = Done;
            } else {
                live.SetParameters(*HINTERNET);
                request.SetRequest(HCONNECT->M_URL, HCONNECT->M_FLAGS);
                abort_ = false;
                LOG.WriteLog("Prepare connect: " + request.M_URL);
                lock.unlock();
                std::int32_t code = 0;
                std::string text;
                bool opened = live.Open() != 0;
                if (!opened) {
                    code = live.M_ERRORCODE;
                    text = data::CStringOf(live.M_ERROR);
                } else if (request.Open(live, &abort_) == 0) {
                    opened = false;
                    code = request.M_ERRORCODE;
                    text = data::CStringOf(request.M_ERROR);
                    live.Close();
                }
                lock.lock();
                if (M_STATE == Kill) break;
                const bool current = Current(serial);
                if (current && opened) {
                    LOG.WriteLog("Connected: " + request.M_URL);
                    M_STATUS = request.M_STATUS;
                    M_STATE = Read;
                    served = serial;
                } else {
                    if (current) {
                        SetError(code, text);
                        M_STATE = Done;
                    }
                    closeLive();
                }
            }
        } else if (M_STATE == Read) {
            if (served == serial) {
                ReadStep(lock, request, serial);
                if (M_STATE == Kill) break;
                if (Current(serial) && M_STATE == Done) closeLive();
            } else {
                M_STATE = Done;  // no live request to read: nothing more will come
            }
        }
        changed_.wait_for(lock, kCycle, [&] { return M_STATE == Kill || serial_ != serial; });
    }
    lock.unlock();
    request.Close();
    live.Close();
}

}  // namespace zem::HTTP
