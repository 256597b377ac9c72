#pragma once
// Registers the top-level procedures of the shell with the frame.
namespace zem::shell {

void RegisterShellProcedures();

}  // namespace zem::shell
