#include "research/querylist/new_query.h"

#include "data/dictionary.h"
#include "platform/runtime/requests.h"
#include "research/queryform/update_queries.h"

namespace zem::research {

void NewQuery() {
    data::TableManager& queries = data::Access(data::TableId::Queries);
    // Only the Open this procedure made is undone: a caller may hold the table open too.
    const bool opened = queries.Open() == ui::Benign;
    runtime::SetGlobalRequest(runtime::request::kInsert);
    if (queries.PrimeRecord() == ui::Benign) {
        // A refused form leaves the response as it finds it: a stale "completed" must not count.
        runtime::SetGlobalResponse(runtime::response::kNone);
        UpdateQueries();
        // A cancelled or refused form leaves the number free again.
        if (runtime::GlobalResponse() != runtime::response::kCompleted) queries.CancelAutoInc();
    }
    if (opened) queries.Close();
}

}  // namespace zem::research
