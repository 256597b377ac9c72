#pragma once
// The catalog tree window: the Nodes rows of the active stores as a tree under "AMAZON root",
// each labelled with the catalogs that point at its browse node. The user expands and
// contracts entries, renames a node in the node form, deletes a node with its sub-levels and
// starts the catalog update. Opened with the select request, it also lets the user choose a
// node: the response is then completed and the thread's Nodes buffer holds the node.
namespace zem::research {

// Opens BrowseTreeJ in Japanese mode, BrowseTreeA otherwise; returns when the window closed.
void BrowseTree();

// The two differ in the window's character set (0 and Shift-JIS), two tool tips, the procedure
// name the error manager and the INI file know them by, and the node form they open.
void BrowseTreeA();
void BrowseTreeJ();

}  // namespace zem::research
