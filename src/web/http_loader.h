#pragma once
// HTTP::Loader: one request at a time, fetched by a worker thread of its own (LoaderThread), its
// state and its queue of received chunks behind one lock. The worker does every
// blocking network call outside the lock and takes it only to publish a state, a chunk or an
// error, so the pager's calls on the window's thread never wait for the network.
//
// Ownership: the pager and the worker share the loader (std::shared_ptr). The pager's
// destructor sets Kill and lets go; the worker then ends and the last owner disposes it.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "web/http_connection.h"
#include "web/http_internet.h"
#include "web/info.h"
#include "web/log_writer.h"

namespace zem::HTTP {

// One record of the chunk queue: up to 4096 bytes of the page and a NUL.
struct PageChunk {
    std::int32_t ID = 0;   // 0 for the first chunk, then 1, 2, ... in arrival order
    std::int32_t LEN = 0;  // bytes held in BUF
    char BUF[4097] = {};
};

class Loader;

// What the pager hands a new worker thread, by value.
struct ThreadParams {
    INFO info{};
    std::shared_ptr<Loader> LOADER;
};

// The worker: serves params.LOADER until it is told Kill, then lets go of it.
void LoaderThread(ThreadParams params);

class Loader {
  public:
    // M_STATE values (the system's Loader:Idle ... Loader:Kill).
    static constexpr std::uint8_t Idle = 1;     // no request; Pager.Connect may take the loader
    static constexpr std::uint8_t Connect = 2;  // a URL was handed over; the worker is to open it
    static constexpr std::uint8_t Read = 3;     // the request is open; the worker reads chunks
    static constexpr std::uint8_t Done = 4;     // page complete or request failed; collect it
    static constexpr std::uint8_t Kill = 5;     // the pager is gone; the worker ends

    // The worker's cycle: one step, then this pause (one chunk per cycle at most).
    static constexpr std::chrono::milliseconds kCycle{200};
    // After a read that found nothing yet: "Waiting read on", this pause, then read again.
    static constexpr std::chrono::milliseconds kPendingPause{100};
    // How long one read waits for data before it counts as pending. The request's stall limit
    // (net::Timeouts) ends a dead request as a failure.
    static constexpr std::chrono::milliseconds kReadWait{1000};
    static constexpr std::size_t kChunkSize = 4096;
    // Request flags: INTERNET_FLAG_NO_COOKIES (libcurl keeps no cookies anyway).
    static constexpr std::int32_t kNoCookies = 0x80000;
    // The stack the system asks for its worker. std::thread gives the system's default (8 MiB
    // on Linux), so this is a minimum that is always met.
    static constexpr std::size_t kStackSize = 16384;

    // The text of an object the loader could not create.
    static constexpr const char* kNoObject = "Invalid memory allocation";

    Loader();
    virtual ~Loader();
    Loader(const Loader&) = delete;
    Loader& operator=(const Loader&) = delete;

    // --- The pager's side (the window's thread). Each call takes the lock briefly. ---

    std::uint8_t State() const;

    enum class Take { Taken, Busy, Failed };
    // When idle: Prepare with url and info (info's unused fields are cleared, as the system does
    // on the pager's own INFO), then state Connect: Taken. Not idle: Busy, nothing changed. A
    // failed Prepare: Failed, the loader's error moved into code and text.
    Take TakeRequest(std::string_view url, INFO& info, std::int32_t& code, char (&text)[256]);

    // Fetch into page, move the loader's error into code and text and the reply's HTTP status
    // into status (0 when no reply came), Disconnect, state Idle. Answers the page's byte count
    // (0 for a failed request).
    std::size_t Collect(std::span<char> page, std::int32_t& code, char (&text)[256],
                        std::int32_t& status);

    // State Kill: the worker ends after its current step (a wait in progress is cut short).
    void Stop();

    // Marks the loader as served by a worker; false when it already was.
    bool ClaimWorker();
    void ReleaseWorker();

    // --- The worker's side. ---

    // The worker's loop; returns when the state is Kill.
    void Serve();

    // Loaders alive in the process (created and not yet disposed); for tests.
    static int LiveCount();

  private:
    int Prepare(std::string_view url, INFO& info);
    std::size_t Fetch(std::span<char> page);
    void Disconnect();
    std::string Url() const;
    void SetError(std::int32_t code, std::string_view text);
    // One read step of the live request; returns with the lock held.
    void ReadStep(std::unique_lock<std::mutex>& lock, Connection& request, std::uint64_t serial);
    bool Current(std::uint64_t serial) const { return M_STATE != Kill && serial_ == serial; }

    LogWriter LOG;
    // The prepared request: its parameters, set by Prepare. The worker opens a copy of its own.
    std::unique_ptr<Internet> HINTERNET;
    std::unique_ptr<Connection> HCONNECT;
    mutable std::mutex C;
    std::condition_variable changed_;  // the pager changed the state or the request
    std::int32_t M_ERRORCODE = 0;
    char M_ERROR[256] = {};
    std::uint8_t M_STATE = Idle;
    std::int32_t M_STATUS = 0;  // the HTTP status of the request's reply; 0 until it came
    std::deque<PageChunk> M_QUEUE;

    std::uint64_t serial_ = 0;        // counts hand-overs and collections: a stale step sees it
    std::atomic<bool> abort_{false};  // cuts the worker's current wait short
    bool workerClaimed_ = false;
};

}  // namespace zem::HTTP
