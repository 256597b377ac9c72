#pragma once
// Clears no_proxy for its lifetime and puts back what was there: a job must reach the service
// simulator through the configured proxy even when the environment bypasses it for loopback.
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace zem::test {

class NoProxyCleared {
  public:
    NoProxyCleared() {
        for (const char* name : {"no_proxy", "NO_PROXY"}) {
            if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
            ::unsetenv(name);
        }
    }
    ~NoProxyCleared() {
        for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
    }
    NoProxyCleared(const NoProxyCleared&) = delete;
    NoProxyCleared& operator=(const NoProxyCleared&) = delete;

  private:
    std::vector<std::pair<std::string, std::string>> saved_;
};

}  // namespace zem::test
