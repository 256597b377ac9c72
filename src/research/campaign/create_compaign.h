#pragma once
// The campaign window: turns the tagged items of the query in this thread's Queries buffer into
// the keyword lines and text-ad lines the AdWords editor imports, using the store in the
// thread's Sites buffer, and copies either text to the clipboard. It runs on the caller's thread
// (the query form's), returns when it closes, and leaves the caller's buffers, request and
// response as they were; the only thing it writes is the removal of tags whose item is gone.
namespace zem::research {

// Opens CreateCompaignJ in Japanese mode, CreateCompaignA otherwise.
void CreateCompaign();

// The two variants differ only in the window's character set (0 and Shift-JIS) and in the
// procedure name the error manager and the INI file know them by.
void CreateCompaignA();
void CreateCompaignJ();

}  // namespace zem::research
