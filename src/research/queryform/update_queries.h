#pragma once
// The query form's entry points. Each runs the form on the caller's thread over its record
// buffers: the thread's request (insert, change, delete, view) says what to do, and the
// thread's response tells the caller whether the query was saved (or deleted). The form
// refuses to open while another counted window (a catalog tree, a node picker, a query form)
// is open, and then leaves the response as it was.
namespace zem::research {

// Opens UpdateQueriesJ in Japanese mode, UpdateQueriesA otherwise.
void UpdateQueries();

// The two variants differ only in the window's character set (0 and Shift-JIS) and in the
// procedure name the error manager, the INI file and the list formats know them by.
void UpdateQueriesA();
void UpdateQueriesJ();

}  // namespace zem::research
