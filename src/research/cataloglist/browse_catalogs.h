#pragma once
// The list of catalogs with each catalog's parent. In select mode the chosen catalog stays in
// the thread's Catalogs buffer.
namespace zem::research {

void BrowseCatalogs();

}  // namespace zem::research
