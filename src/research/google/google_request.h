#pragma once
// The search engine's result page for an item: its keywords searched as one phrase in the
// country of the query's store, asked by plain concatenation in a fixed key order.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/runtime/code_pages.h"

namespace zem::research {

// The keywords, written in the code page of their store, as one phrase in double quotes,
// encoded for the query string: digital camera gives %22digital+camera%22. The quoted text is
// cut to 1023 bytes, as the keywords field holds, where a character ends, before it is encoded.
std::string EncodedPhrase(std::string_view keywords, runtime::CodePage codePage);

// "http://<the store's search host>/search?hl=en&safe=off&q=<phrase>&btnG=Search&gl=<country>":
// always in English and without safe search, whatever the store. Empty for a value that is no
// store's SiteFlag.
std::string ResultPageUrl(std::int32_t siteFlag, std::string_view encodedPhrase);

}  // namespace zem::research
