#pragma once
// Registers the top-level procedures of catalog and product research with the frame.
namespace zem::research {

void RegisterResearchProcedures();

}  // namespace zem::research
