#pragma once
// Why a reply of the E-Commerce Service holds no answer, in words a user can act on: the
// service asking the program to slow down, or refusing the request with its error code, or a
// server answering with an HTTP status other than 200.
#include <cstdint>
#include <span>
#include <string>

namespace zem::research {

// Reads the NUL-terminated reply in place, as any parse does. Empty when neither the reply nor
// its status says anything.
std::string ServiceRefusal(std::span<char> reply, std::int32_t status);

}  // namespace zem::research
