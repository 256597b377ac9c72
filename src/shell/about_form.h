#pragma once
// The about box, run on the caller's thread: the caller's window waits until it closes.
namespace zem::shell {

void AboutForm();

}  // namespace zem::shell
