#pragma once
// HTTP::Pager: a job window's handle on the page loader. It owns one loader served
// by one worker thread, so one request is in flight at a time. All calls are made on the job
// window's thread and none of them waits for the network.
//
// Calling order: construct; Start(INFO); per page Connect(url) -> index 1 (0: not taken, see
// M_ERRORCODE); GetState(index) on each timer tick until it answers Loader::Done; GetPage(index,
// buffer) (0 bytes with M_ERRORCODE set: the request failed); then the next Connect; at the end
// the destructor, which does not wait: the worker ends and disposes the loader.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "web/http_loader.h"
#include "web/info.h"

namespace zem::HTTP {

class Pager {
  public:
    static constexpr int kLoaders = 1;

    // Creates the loader. A loader that can't be created: M_ERRORCODE and M_ERROR
    // ("HTTP::Pager:" + the runtime's text) tell why, and the pager has no loader.
    Pager();
    // Sets every loader to Loader::Kill and lets go of it; never waits.
    virtual ~Pager();
    Pager(const Pager&) = delete;
    Pager& operator=(const Pager&) = delete;

    // Copies info into the pager and starts each loader's worker thread with its own copy.
    // Answers 1 (also when there is no loader; a second Start starts no second worker), or 0
    // with M_ERRORCODE / M_ERROR set when a thread can't be started.
    int Start(const INFO& info);

    // Hands url to the first idle loader: answers its index (1). Answers 0 when no loader is
    // idle (the pager's error unchanged) or when the request can't be prepared (the pager's
    // error then holds the loader's). No extra headers, no cookies.
    int Connect(std::string_view url);

    // The loader's state (Loader::Idle ... Loader::Kill); 0 for an index that has no loader.
    std::uint8_t GetState(int index) const;

    // Collects the loader's page into `page`: at most page.size() - 1 bytes and a NUL. Answers
    // the page's full byte count (which may exceed what fits), 0 for a failed request or an
    // index without a loader. The pager's M_ERRORCODE and M_ERROR become the loader's (0 and
    // empty after a good page), M_STATUS the reply's HTTP status; the loader goes back to Idle.
    std::size_t GetPage(int index, std::span<char> page);

    // How many loaders are not idle; a missing loader counts as busy.
    int Busy() const;

    // The settings of the last Start, with the fields the last Connect did not use cleared.
    const INFO& Info() const { return info_; }

    std::int32_t M_ERRORCODE = 0;  // code of the last failure, 0 = none
    char M_ERROR[256] = {};        // its text, NUL-terminated
    // The HTTP status of the page GetPage collected last (a proxy's 407, a server's 503 come
    // with a body like any page); 0 when no reply came.
    std::int32_t M_STATUS = 0;

  private:
    Loader* LoaderAt(int index) const;

    std::array<std::shared_ptr<Loader>, kLoaders> LOADERS;
    INFO info_{};
};

}  // namespace zem::HTTP
