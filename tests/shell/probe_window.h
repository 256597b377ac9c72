#pragma once
// A stand-in for the windows later modules add: a procedure that opens a small window under a
// procedure name and records the controls accepted on it until its close box is pressed.
#include <mutex>
#include <string>
#include <vector>

#include "platform/runtime/threads.h"
#include "platform/ui/window/layout.h"
#include "platform/ui/window/window_manager.h"

namespace zem::test {

class ProbeLog {
  public:
    void Add(const std::string& procedure, int control, runtime::ThreadNo thread) {
        std::lock_guard lock(mutex_);
        entries_.push_back({procedure, control, thread});
    }
    struct Entry {
        std::string procedure;
        int control;
        runtime::ThreadNo thread;
        friend bool operator==(const Entry&, const Entry&) = default;
    };
    std::vector<Entry> Entries() const {
        std::lock_guard lock(mutex_);
        return entries_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

inline constexpr const char* kProbeLayout = R"({"windows": {"W": {
    "type": "mdi", "caption": "Probe", "at": [10, 10, 200, 100],
    "controls": [{"kind": "button", "use": "?PROBE", "text": "Probe", "at": [4, 4, 60, 20]}]}}})";

// Runs the probe window on the calling thread.
inline void RunProbe(const std::string& procedure, ProbeLog* log) {
    class Probe final : public ui::WindowManager {
      public:
        Probe(std::string procedure, ProbeLog* log) : procedure_(std::move(procedure)), log_(log) {}
        ui::Level Init() override {
            WindowManager::Init();
            auto layout = ui::ParseLayout(kProbeLayout, "W");
            if (!layout) return ui::Fatal;
            window_.Load(std::move(*layout));
            return window_.Open(procedure_) ? ui::Benign : ui::Fatal;
        }
        ui::Level TakeAccepted() override {
            log_->Add(procedure_, Field(), runtime::CurrentThread());
            return WindowManager::TakeAccepted();
        }

      private:
        std::string procedure_;
        ProbeLog* log_;
    };
    Probe probe(procedure, log);
    probe.Run();
}

}  // namespace zem::test
