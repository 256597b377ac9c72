#include "research/research_procedures.h"

#include "research/browse_tree.h"
#include "research/build_catalog.h"
#include "shell/procedures.h"

namespace zem::research {

void RegisterResearchProcedures() {
    shell::RegisterProcedure(shell::kBrowseTree, &BrowseTree);
    shell::RegisterProcedure("BuildCatalog", &BuildCatalog);
}

}  // namespace zem::research
