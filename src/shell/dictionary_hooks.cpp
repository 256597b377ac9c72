#include "shell/dictionary_hooks.h"

#include <mutex>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "platform/runtime/threads.h"

namespace zem::shell {

void DictionaryModuleInit() {
    if (runtime::CurrentThread() != 1) data::InitDictionary(data::ZembrolaFile());
}

void DictionaryModuleExit() {
    if (data::HasDictionary()) data::KillDictionary();
}

void InstallDictionaryHooks() {
    static std::once_flag once;
    std::call_once(once,
                   [] { runtime::AddThreadHooks(&DictionaryModuleInit, &DictionaryModuleExit); });
}

}  // namespace zem::shell
