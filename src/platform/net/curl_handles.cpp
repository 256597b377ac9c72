#include "platform/net/curl_handles.h"

#include <curl/curl.h>

#include <mutex>

namespace zem::net {

void EasyCleanup::operator()(CURL* easy) const noexcept {
    curl_easy_cleanup(easy);
}
void MultiCleanup::operator()(CURLM* multi) const noexcept {
    curl_multi_cleanup(multi);
}

int GlobalInit() {
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result;
}

}  // namespace zem::net
