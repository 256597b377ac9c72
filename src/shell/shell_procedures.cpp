#include "shell/shell_procedures.h"

#include "shell/configure_application.h"
#include "shell/procedures.h"

namespace zem::shell {

void RegisterShellProcedures() {
    RegisterProcedure(kConfigureApplication, &ConfigureApplication);
}

}  // namespace zem::shell
