#pragma once
// Keeps the proxy variables of the environment out of a test for its lifetime and puts back what
// was there: a request reaches only what the test configured (the loopback server, the service
// simulator as the proxy), even when the environment names a proxy or bypasses one for loopback.
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zem::test {

class ProxyEnvironment {
  public:
    static constexpr const char* kNames[] = {"http_proxy",  "HTTP_PROXY", "https_proxy",
                                             "HTTPS_PROXY", "all_proxy",  "ALL_PROXY",
                                             "no_proxy",    "NO_PROXY"};
    ProxyEnvironment() {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    ~ProxyEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    ProxyEnvironment(const ProxyEnvironment&) = delete;
    ProxyEnvironment& operator=(const ProxyEnvironment&) = delete;

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace zem::test
