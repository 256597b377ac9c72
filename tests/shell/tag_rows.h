#pragma once
// Tag rows as stored. Reads, and the writes that stand for other code, go through table objects
// of their own, so this thread's dictionary buffers and cursors stay exactly as the code under
// test left them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_file_setup.h"
#include "data/records.h"
#include "data/tables.h"
#include "platform/store/errors.h"
#include "platform/store/table.h"

namespace zem::test {

struct TagRow {
    std::int32_t usr = 0;
    std::int16_t tbl = 0;
    std::int32_t ptr = 0;  // TagFile_ rows
    std::string pos;       // TagFilePos_ rows, blanks cut
    std::string val;       // all ten characters
    friend bool operator==(const TagRow&, const TagRow&) = default;
    friend std::ostream& operator<<(std::ostream& out, const TagRow& r) {
        return out << "{usr " << r.usr << ", tbl " << r.tbl << ", ptr " << r.ptr << ", pos '"
                   << r.pos << "', val '" << r.val << "'}";
    }
};

inline std::string Cut(const char* text, std::size_t size) {
    std::string s(text, size);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

inline void SetText(char* field, std::size_t size, std::string_view text) {
    std::memset(field, ' ', size);
    std::memcpy(field, text.data(), std::min(size, text.size()));
}

// Every row of TagFile_ or TagFilePos_ in insertion order, read on the calling thread's
// connection.
inline std::vector<TagRow> StoredRows(data::TableId id) {
    std::vector<TagRow> rows;
    if (id == data::TableId::TagFile_) {
        data::TagFileRecord record{};
        store::Table table(*data::ZembrolaFile(), data::Def(id), &record);
        EXPECT_EQ(table.Open(), store::NoError);
        table.SetFile();
        while (table.Next() == store::NoError)
            rows.push_back({record.USR, record.TBL, record.PTR, "",
                            std::string(record.VAL, sizeof record.VAL)});
    } else {
        data::TagFilePosRecord record{};
        store::Table table(*data::ZembrolaFile(), data::Def(id), &record);
        EXPECT_EQ(table.Open(), store::NoError);
        table.SetFile();
        while (table.Next() == store::NoError)
            rows.push_back({record.USR, record.TBL, 0, Cut(record.POS, sizeof record.POS),
                            std::string(record.VAL, sizeof record.VAL)});
    }
    return rows;
}

inline std::vector<TagRow> TagFileRows() {
    return StoredRows(data::TableId::TagFile_);
}

// A TagFile_ row written as other code (or an older program) would have left it.
inline void AddTagFileRow(std::int32_t usr, std::int16_t tbl, std::int32_t ptr,
                          std::string_view val = "x") {
    data::TagFileRecord record{};
    store::Table table(*data::ZembrolaFile(), data::Def(data::TableId::TagFile_), &record);
    ASSERT_EQ(table.Open(), store::NoError);
    record.USR = usr;
    record.TBL = tbl;
    record.PTR = ptr;
    SetText(record.VAL, sizeof record.VAL, val);
    ASSERT_EQ(table.Add(), store::NoError) << store::ErrorText();
}

}  // namespace zem::test
