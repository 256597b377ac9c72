#pragma once
// A new query without a list: primes a Queries record on the calling thread and runs the query
// form to insert it. When the form does not complete, the reserved query number is given back,
// so nothing of the unfinished query stays in Queries.
namespace zem::research {

void NewQuery();

}  // namespace zem::research
