#pragma once
// The store form: edits the Sites row in the calling thread's Sites buffer and, while the user
// types, previews the store's call-to-action phrases and default ad lines for a sample item.
// The request (insert, change, view) comes from the thread's global request; the response goes
// to its global response. Each runs on the caller's thread and returns when the form closes.
namespace zem::shell {

// Opens UpdateSiteJ in Japanese mode, UpdateSiteA otherwise.
void UpdateSite();

// The two variants differ only in the window's character set (0 and Shift-JIS) and in the
// procedure name the error manager and the INI file know them by.
void UpdateSiteA();
void UpdateSiteJ();

}  // namespace zem::shell
