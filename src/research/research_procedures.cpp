#include "research/research_procedures.h"

#include "research/browse_tree.h"
#include "shell/procedures.h"

namespace zem::research {

void RegisterResearchProcedures() {
    shell::RegisterProcedure(shell::kBrowseTree, &BrowseTree);
}

}  // namespace zem::research
