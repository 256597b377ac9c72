#pragma once
// The error code an E-Commerce Service reply reports, if any: the text of the first "Code"
// inside an "Error" element. Replies that refuse the request as a whole (a client asking too
// fast is told "RequestThrottled") carry it directly under their root; replies to a request
// the service read carry it in their Request's Errors.
#include <span>
#include <string>
#include <string_view>

namespace zem::web {

// The code the service answers to a client that asks too fast.
inline constexpr std::string_view kRequestThrottled = "RequestThrottled";

// Reads the NUL-terminated reply in place (the tokenizer writes into it, as in any parse).
// Empty when the reply reports no error.
std::string ServiceErrorCode(std::span<char> reply);

// Whether code tells the client to slow down; the code may come with the service's prefix
// ("AWS.ECommerceService.RequestThrottled").
bool IsThrottled(std::string_view code);

}  // namespace zem::web
