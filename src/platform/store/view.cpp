#include "platform/store/view.h"

#include "platform/store/connection.h"
#include "platform/store/errors.h"
#include "platform/store/filter.h"
#include "platform/store/record_codec.h"

namespace zem::store {

struct ViewQuery {
    SqlCondition condition;
    std::string select;
};

View::View(Table& table, std::string_view filter) : table_(table), filter_(filter) {}
View::~View() = default;

int View::Open() {
    TableInfo* info = table_.Ready();
    if (!info) return ErrorCode();
    auto query = std::make_unique<ViewQuery>();
    std::string error;
    if (!TranslateFilter(filter_, table_.Def(), query->condition, error))
        return SetError(InvalidFilter, 0, error);
    // Each step starts after the last row read, so the walk as a whole reads each row once and
    // deleting the current row never disturbs it.
    query->select = "SELECT " + info->selectList + " FROM " + Quoted(info->sqlName) + " WHERE (" +
                    query->condition.where + ") AND rowid>? ORDER BY rowid LIMIT 1";
    query_ = std::move(query);
    last_ = 0;
    open_ = true;
    ClearError();
    return NoError;
}

int View::Next() {
    if (!open_) return SetError(FileNotOpen, 0, "the view is not open");
    TableInfo* info = table_.Ready();
    if (!info) return ErrorCode();
    Connection* conn = table_.conn_;
    if (int rc = conn->BeforeRead(*info); rc != NoError) return rc;
    Statement* st = conn->Prepare(query_->select);
    if (!st) return ErrorCode();
    int i = 1;
    for (const auto& p : query_->condition.params) {
        if (auto* n = std::get_if<long long>(&p))
            st->Bind(i++, static_cast<std::int64_t>(*n));
        else if (auto* d = std::get_if<double>(&p))
            st->Bind(i++, *d);
        else
            st->Bind(i++, std::string_view(std::get<std::string>(p)));
    }
    st->Bind(i, static_cast<std::int64_t>(last_));
    int rc = st->Step();
    if (rc == SQLITE_ROW) {
        last_ = st->Int(0);
        table_.current_ = last_;
        ReadRecord(*st, 1, table_.Def(), table_.Buffer().data());
        st->Reset();
        ClearError();
        return NoError;
    }
    st->Reset();
    if (rc != SQLITE_DONE) return conn->Fail(rc);
    return SetError(RecordNotAvailable);
}

int View::Delete() {
    if (!open_) return SetError(FileNotOpen, 0, "the view is not open");
    return table_.Delete();
}

void View::Close() {
    open_ = false;
    query_.reset();
}

}  // namespace zem::store
