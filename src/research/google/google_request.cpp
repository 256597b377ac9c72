#include "research/google/google_request.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "research/jobs/url_encode.h"
#include "web/stores.h"

namespace zem::research {
namespace {

// As wide as the keywords field the phrase comes from, its NUL included.
constexpr std::size_t kPhraseCapacity = 1024;

}  // namespace

std::string EncodedPhrase(std::string_view keywords, runtime::CodePage codePage) {
    // Quoted in a copy of its own: the caller's keywords stay as they are stored.
    std::array<char, kPhraseCapacity> phrase{};
    std::string quoted = "\"";
    quoted += keywords;
    quoted += '"';
    std::memcpy(phrase.data(), quoted.data(),
                runtime::FittingLength(quoted, phrase.size() - 1, codePage));
    return URLEncode(phrase, codePage);
}

std::string ResultPageUrl(std::int32_t siteFlag, std::string_view encodedPhrase) {
    const web::StoreInfo* store = web::StoreBySite(siteFlag);
    if (!store) return {};
    std::string url = "http://";
    url += store->searchHost;
    url += "/search?hl=en&safe=off&q=";
    url += encodedPhrase;
    url += "&btnG=Search&gl=";
    url += store->country;
    return url;
}

}  // namespace zem::research
