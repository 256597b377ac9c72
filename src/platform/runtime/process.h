#pragma once
// Ending the program while window and loader threads may still run: what the program saved is on
// disk, standard streams are flushed, and the process ends at once with the code, without
// destructors running under threads that still use what they would destroy.
namespace zem::runtime {

[[noreturn]] void EndProcess(int code);

}  // namespace zem::runtime
