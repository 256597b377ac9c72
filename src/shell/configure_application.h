#pragma once
// The program's set-up: the HTTP settings and the catalog depth of the configuration record, and
// the stores with their active switch under the Japanese-mode rule. Everything the window
// changes in Sites is one transaction that its end commits or rolls back.
namespace zem::shell {

// Refuses while counted windows are open; makes sure the configuration record exists and runs
// UpdateSysInfo on it.
void ConfigureApplication();

// The configuration form; the request comes from the thread's global request.
void UpdateSysInfo();

// Asks, then switches the active flag of the store in this thread's Sites buffer.
void ToggleSiteActive();

}  // namespace zem::shell
