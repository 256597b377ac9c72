#pragma once
// Pages shaped like the ones the tokenizer reads in the field, generated the same on every run.
#include <cstddef>
#include <string>

namespace zem::bench {

// An ItemSearch reply (response group Large) of about targetSize bytes.
std::string ItemSearchReply(std::size_t targetSize);
// A search result page with sponsored results and ordinary results, of about targetSize bytes.
std::string ResultPage(std::size_t targetSize);

}  // namespace zem::bench
