#pragma once
// A filtered walk over a table through its record buffer, with deletion of the current row.
// The filter is a condition over the table's fields, written PREFIX:NAME:
//   TF_:Usr=0 AND TF_:Tbl=5      SIT:NAME<>'Amazon US' OR (SIT:ID>=8 AND NOT SIT:ISACTIVE)
// Operators: = <> < > <= >=, AND, OR, NOT, parentheses; numbers and quoted texts. A bare field
// is true when it is non-zero (texts: non-blank). Texts compare without regard to case.
#include <memory>
#include <string>
#include <string_view>

#include "platform/store/table.h"

namespace zem::store {

struct ViewQuery;

class View {
  public:
    View(Table& table, std::string_view filter);
    ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    [[nodiscard]] int Open();  // InvalidFilter when the filter text can't be read
    [[nodiscard]] int Next();  // fills the table's buffer; RecordNotAvailable at the end
    [[nodiscard]] int Delete();
    void Close();

  private:
    Table& table_;
    std::string filter_;
    std::unique_ptr<ViewQuery> query_;
    Position last_ = 0;
    bool open_ = false;
};

}  // namespace zem::store
