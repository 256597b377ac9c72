#pragma once
// The answer of work handed to the GUI thread. When the work is dropped unrun (the display shut
// down and its queue was cleared) the result gets its fallback, so the waiting thread never
// hangs.
#include <future>
#include <utility>

namespace zem::ui::qt {

template <typename T>
class PendingResult {
  public:
    explicit PendingResult(T fallback) : fallback_(std::move(fallback)) {}
    ~PendingResult() { Set(std::move(fallback_)); }
    PendingResult(const PendingResult&) = delete;
    PendingResult& operator=(const PendingResult&) = delete;

    std::future<T> Future() { return promise_.get_future(); }
    // The first answer counts.
    void Set(T value) {
        if (done_) return;
        done_ = true;
        promise_.set_value(std::move(value));
    }
    bool Done() const { return done_; }

  private:
    std::promise<T> promise_;
    T fallback_;
    bool done_ = false;  // used on the GUI thread; the destructor runs after every other use
};

}  // namespace zem::ui::qt
