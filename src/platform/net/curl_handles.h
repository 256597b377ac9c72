#pragma once
// RAII owners of libcurl's handles. The handle types are declared the way curl.h declares them
// for its users, so curl.h stays out of our headers.
#include <memory>

typedef void CURL;
typedef void CURLM;

namespace zem::net {

struct EasyCleanup {
    void operator()(CURL* easy) const noexcept;
};
struct MultiCleanup {
    void operator()(CURLM* multi) const noexcept;
};

using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;
using MultiHandle = std::unique_ptr<CURLM, MultiCleanup>;

// libcurl's process-wide initialisation, done once whichever thread asks first. Answers 0 or
// libcurl's error code.
int GlobalInit();

}  // namespace zem::net
