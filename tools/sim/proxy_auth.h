#pragma once
// Basic proxy credentials as clients send them in Proxy-Authorization.
#include <string>
#include <string_view>

namespace zem::sim {

std::string Base64(std::string_view bytes);

// True when the header value is "Basic " with `credentials` ("user:password") in base64; the
// scheme name is compared without regard to case, as HTTP wants.
bool IsAuthorized(std::string_view headerValue, std::string_view credentials);

}  // namespace zem::sim
