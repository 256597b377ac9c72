#pragma once
// HTTP::Internet: one internet handle with its agent and proxy settings. The
// settings are stored by SetParameters and used by Open; texts are owned copies, an empty text
// counts as not set.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/net/internet.h"

namespace zem::HTTP {

class Internet {
  public:
    // Access types as the system numbers them.
    static constexpr std::int32_t kPreconfigured = 0;
    static constexpr std::int32_t kDirect = 1;
    static constexpr std::int32_t kProxy = 3;

    Internet() = default;
    virtual ~Internet() = default;
    Internet(const Internet&) = delete;
    Internet& operator=(const Internet&) = delete;

    // Stores the handle's parameters, replacing the previous ones. Answers 1.
    int SetParameters(std::string_view agent, std::int32_t accessType, std::string_view proxyName,
                      std::string_view proxyUser, std::string_view proxyPass,
                      std::string_view proxyBypass, std::int32_t flags);
    // The same with another object's parameters (the worker's copy of a prepared request).
    int SetParameters(const Internet& other);

    // Opens the handle with the parameters; then sets the proxy user when one is set and, when
    // that succeeded, the proxy password when one is set. A failure fills M_ERRORCODE and
    // M_ERROR, closes the handle and answers 0; success answers 1.
    int Open();
    // Closes the handle and the requests opened on it. Answers 1.
    int Close();
    bool IsOpen() const { return M_HINTERNET.IsOpen(); }
    net::Internet& Handle() { return M_HINTERNET; }

    std::string M_AGENT;
    std::int32_t M_ACCESSTYPE = kPreconfigured;
    std::string M_PROXYNAME;
    std::string M_PROXYUSER;
    std::string M_PROXYPASS;
    std::string M_PROXYBYPASS;
    std::int32_t M_FLAGS = 0;
    std::int32_t M_ERRORCODE = 0;
    char M_ERROR[256] = {};

  private:
    void TakeError();

    net::Internet M_HINTERNET;
};

}  // namespace zem::HTTP
