#include "research/research_procedures.h"

#include "shell/procedures.h"

namespace zem::research {

void RegisterResearchProcedures() {}

}  // namespace zem::research
