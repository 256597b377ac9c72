// service-sim: the loopback stand-in for the E-Commerce Service and the search result pages.
#include <pthread.h>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "options.h"
#include "service_simulator.h"

namespace {

int Dump(const zem::sim::Options& options) {
    zem::sim::ProxyRequest request;
    if (const std::string error = zem::sim::DumpRequest(options, request); !error.empty()) {
        std::cerr << "service-sim: " << error << "\n";
        return 2;
    }
    const zem::sim::Reply reply = zem::sim::SimulatedServices(options.content).Answer(request);
    std::cout << reply.body;
    std::cout.flush();
    return std::cout ? 0 : 1;
}

int Serve(const zem::sim::Options& options) {
    // The signals are taken by sigwait below; blocked before any thread starts, so none of the
    // server's threads is picked to run a handler. A shell starts background jobs with SIGINT
    // ignored, and an ignored signal never reaches sigwait, so the defaults come back first.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    zem::sim::ServiceSimulator simulator(options.content, options.modes);
    const int port = simulator.Start(options.port);
    if (port == 0) {
        std::cerr << "service-sim: can't listen on 127.0.0.1:" << options.port << "\n";
        return 1;
    }
    std::cout << "listening on 127.0.0.1:" << port << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    simulator.Stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    zem::sim::Options options;
    if (const std::string error = zem::sim::ParseOptions(args, options); !error.empty()) {
        std::cerr << "service-sim: " << error << " (--help lists the options)\n";
        return 2;
    }
    if (options.help) {
        std::cout << zem::sim::UsageText();
        return 0;
    }
    return options.dump.empty() ? Serve(options) : Dump(options);
}
