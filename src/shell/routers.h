#pragma once
// Routers open the Japanese or the non-Japanese variant of a window, as Japanese mode stands at
// the moment they run; each returns when the variant's window has closed.
#include "shell/japanese_mode.h"

namespace zem::shell {

template <typename A, typename J>
void Route(A&& aVariant, J&& jVariant) {
    if (JPMode.load() != 0)
        jVariant();
    else
        aVariant();
}

}  // namespace zem::shell
