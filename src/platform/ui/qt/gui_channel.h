#pragma once
// The way from any thread to the GUI thread: work is queued to an object living there and runs
// in the GUI's event loop, in the order it was handed over. The channel can be closed (at
// shut-down): work handed over later is refused, and work still queued is dropped, which
// answers its fallback.
#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/ui/qt/gui_call.h"

namespace zem::ui::qt {

class GuiChannel {
  public:
    GuiChannel();  // on the GUI thread
    ~GuiChannel();
    GuiChannel(const GuiChannel&) = delete;
    GuiChannel& operator=(const GuiChannel&) = delete;

    bool OnGuiThread() const { return QThread::currentThread() == context_->thread(); }
    QObject* Context() const { return context_.get(); }

    // Queues work and returns at once; false when the channel is closed.
    template <typename F>
    bool Post(F work) {
        std::lock_guard lock(mutex_);
        if (!open_) return false;
        QMetaObject::invokeMethod(context_.get(), std::move(work), Qt::QueuedConnection);
        return true;
    }

    // Runs work on the GUI thread and waits for its result (at once when called there).
    template <typename T, typename F>
    T Call(F work, T fallback) {
        if (OnGuiThread()) return IsOpen() ? work() : fallback;
        auto pending = std::make_shared<PendingResult<T>>(std::move(fallback));
        std::future<T> result = pending->Future();
        Post([pending, work = std::move(work)]() mutable { pending->Set(work()); });
        pending.reset();  // refused or dropped work lets the last owner answer the fallback
        return result.get();
    }

    bool IsOpen() const {
        std::lock_guard lock(mutex_);
        return open_;
    }
    // On the GUI thread.
    void Close();

  private:
    mutable std::mutex mutex_;
    bool open_ = true;
    std::unique_ptr<QObject> context_;
};

}  // namespace zem::ui::qt
