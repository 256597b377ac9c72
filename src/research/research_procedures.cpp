#include "research/research_procedures.h"

#include "research/browse_queries.h"
#include "research/browse_tree.h"
#include "research/build_catalog.h"
#include "research/new_query.h"
#include "shell/procedures.h"

namespace zem::research {

void RegisterResearchProcedures() {
    shell::RegisterProcedure(shell::kBrowseTree, &BrowseTree);
    shell::RegisterProcedure("BuildCatalog", &BuildCatalog);
    shell::RegisterProcedure(shell::kBrowseQueries, &BrowseQueries);
    shell::RegisterProcedure(shell::kNewQuery, &NewQuery);
}

}  // namespace zem::research
