#include "research/jobs/service_refusal.h"

#include "web/service_error_code.h"

namespace zem::research {

std::string ServiceRefusal(std::span<char> reply, std::int32_t status) {
    constexpr std::int32_t kOk = 200;
    const std::string code = web::ServiceErrorCode(reply);
    if (web::IsThrottled(code))
        return "the service throttled the requests: HTTP " + std::to_string(status);
    if (!code.empty()) return "the service refused the request: " + code;
    if (status != kOk) return "the service answered HTTP " + std::to_string(status);
    return {};
}

}  // namespace zem::research
