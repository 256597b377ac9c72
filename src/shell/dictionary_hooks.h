#pragma once
// Every framework thread but the first builds its own dictionary when it starts and releases it
// when it ends; the first thread's dictionary comes from start-up.
namespace zem::shell {

void DictionaryModuleInit();
void DictionaryModuleExit();

// Registers the two as the framework's per-thread hooks (once, before threads start).
void InstallDictionaryHooks();

}  // namespace zem::shell
