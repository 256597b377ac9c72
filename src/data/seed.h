#pragma once
// What a new data file starts with: every table created, the six stores and a few user agents.
#include "platform/store/data_file.h"

namespace zem::data {

// Creates the tables and adds the first rows on this thread's connection; run it inside one
// unit so a failure leaves nothing behind. Answers a store Error.
int SeedNewFile(store::DataFile& file);

}  // namespace zem::data
