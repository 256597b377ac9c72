#pragma once
// The node form: renames the Nodes row in the calling thread's Nodes buffer (the caller has
// read the row), or, asked to delete, confirms and deletes it without opening. The request
// comes from the thread's global request and the response goes to its global response; each
// runs on the caller's thread and returns when it is done.
namespace zem::research {

// The two differ in the procedure name the error manager and the INI file know them by, and in
// the character set the name is shown in (code page 1252, Shift-JIS).
void UpdateNodeA();
void UpdateNodeJ();

}  // namespace zem::research
