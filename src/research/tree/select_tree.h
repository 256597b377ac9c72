#pragma once
// The node picker: the catalog tree without editing, limited to the store and the catalog
// branch of the query in the calling thread's Queries buffer, opened fully expanded on the
// query's node. Runs on the caller's thread (the query form's). On completion the response is
// completed and the chosen node is in the thread's aNodes buffer (ANO:ID 0 when its row could
// not be read) and in its Nodes buffer; otherwise the response is cancelled.
#include <cstdint>

namespace zem::research {

// Opens SelectTreeJ in Japanese mode, SelectTreeA otherwise; returns when the window closed.
void SelectTree();

// The two differ in the window's character set (0 and Shift-JIS) and in the procedure name the
// error manager and the INI file know them by.
void SelectTreeA();
void SelectTreeJ();

// Whether the picker lists the Nodes row in this thread's buffer for the query in its Queries
// buffer: a root row of the query's store, or a row of that store that is, or hangs below, the
// browse node of the query's catalog. Reads Catalogs and aNodes through their buffers.
bool PickerListsNode();

}  // namespace zem::research
