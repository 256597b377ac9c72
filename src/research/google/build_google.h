#pragma once
// The competition check: the "Check Competition" window, run by the query form on its own
// thread. For every tagged item of the query it asks the search engine of the store's country
// for the item's keywords as one phrase, and stores in the item's Goods row how many ordinary
// results lead elsewhere than the store (GOO:ADS) and whether a sponsored result shows the
// store's own domain (GOO:AFFILATIVE, never cleared once set).
#include <cstdint>

namespace zem::research {

// Works on the calling thread's record buffers: the Queries record of the query (QUE:ID names
// the tag set, QUE:SITE the store). Sets QUE:BUILDDATE and QUE:BUILDTIME when the window
// opens; tags of items that no longer exist are dropped; the Goods buffer holds the row
// handled last. Answers 0 when every tagged item was checked, 3 when the settings could not be
// read, an item vanished, a page or a row update failed, or the user cancelled; the items
// checked so far keep their new counts.
std::uint8_t BuildGoogle();

}  // namespace zem::research
