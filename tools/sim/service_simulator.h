#pragma once
// The simulator as a server: an HTTP forward proxy on 127.0.0.1 that answers the simulated
// services itself, applies the current modes, and can be switched while it runs, in process or
// through its control host.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "modes.h"
#include "simulated_services.h"

namespace zem::sim {

// Requests for this host are answered by the simulator itself, outside every mode:
// /mode?reset&auth=user:password&delay=MS&stall=0|1&fail=none|500|drop|throttle&cut=N|none
// &times=N|none answers the modes now in force; /requests lists the proxied requests ("METHOD
// target"), ?clear empties it.
inline constexpr std::string_view kControlHost = "sim.control";

class ServiceSimulator {
  public:
    explicit ServiceSimulator(ContentSettings content, Modes modes = {});
    ~ServiceSimulator();
    ServiceSimulator(const ServiceSimulator&) = delete;
    ServiceSimulator& operator=(const ServiceSimulator&) = delete;

    // Listens on 127.0.0.1:port (0: a free port) and serves on threads of its own. Answers the
    // port, or 0 when it can't listen or was started before (a simulator serves once).
    int Start(int port = 0);
    // Wakes stalled and delayed answers, closes every connection and waits for the threads.
    void Stop();
    int Port() const;

    void SetModes(const Modes& modes);
    Modes CurrentModes() const;
    std::vector<std::string> Requests() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace zem::sim
