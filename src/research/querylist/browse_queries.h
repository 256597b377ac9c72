#pragma once
// The query list: the saved queries by date, by name, or those of one catalog or one browse
// node, each opened in the query form to be changed or deleted, and new ones added there.
namespace zem::research {

// Opens BrowseQueriesJ in Japanese mode, BrowseQueriesA otherwise; returns when the window
// closed.
void BrowseQueries();

// The two differ only in the window's character set (0 and Shift-JIS) and the procedure name
// the error manager and the INI file know them by.
void BrowseQueriesA();
void BrowseQueriesJ();

}  // namespace zem::research
