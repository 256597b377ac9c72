#pragma once
// Pages shaped like the ones the tokenizer reads in the field, generated the same on every run.
#include <cstddef>
#include <string>

namespace zem::bench {

enum class Store { US, JP };

// An ItemSearch reply (response group Large) of about targetSize bytes: the US store's in
// English, or the JP store's with Japanese titles, brands and features in UTF-8.
std::string ItemSearchReply(std::size_t targetSize, Store store = Store::US);
// A search result page with sponsored results and ordinary results, of about targetSize bytes.
std::string ResultPage(std::size_t targetSize);

}  // namespace zem::bench
