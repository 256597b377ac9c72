#include "research/procedures/research_procedures.h"

#include "research/querylist/browse_queries.h"
#include "research/tree/browse_tree.h"
#include "research/updater/build_catalog.h"
#include "research/querylist/new_query.h"
#include "shell/procedures.h"

namespace zem::research {

void RegisterResearchProcedures() {
    shell::RegisterProcedure(shell::kBrowseTree, &BrowseTree);
    shell::RegisterProcedure("BuildCatalog", &BuildCatalog);
    shell::RegisterProcedure(shell::kBrowseQueries, &BrowseQueries);
    shell::RegisterProcedure(shell::kNewQuery, &NewQuery);
}

}  // namespace zem::research
