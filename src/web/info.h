#pragma once
// INFO: the connection settings a job hands to HTTP::Pager.Start, a packed group of
// 1283 bytes. The texts are CSTRING(256): at most 255 bytes and a NUL (data::SetCString writes
// them, cut to fit).
#include <cstdint>

namespace zem::HTTP {

#pragma pack(push, 1)
struct INFO {
    char USERAGENT[256];       // user agent of the internet handle
    char PROXY[256];           // proxy server list ("host:port")
    char USER[256];            // proxy user name
    char PASSWORD[256];        // proxy password
    char BYPASS[256];          // proxy bypass list
    std::uint8_t USEPROXY;     // non-zero: go through PROXY (when it is not empty)
    std::uint8_t USEACCOUNT;   // non-zero: send USER (and PASSWORD) as proxy credentials
    std::uint8_t USEPASSWORD;  // non-zero: send PASSWORD
};
#pragma pack(pop)

static_assert(sizeof(INFO) == 1283);

}  // namespace zem::HTTP
