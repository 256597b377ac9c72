#pragma once
// Holds a list of a window layout against the column table its procedure fills it with: the
// same columns in the same order, each with the table's header, picture and alignment.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>

#include "platform/ui/window/column_table.h"
#include "platform/ui/window/control.h"
#include "platform/ui/window/layout.h"

namespace zem::test {

template <class Row>
void ExpectColumnsOf(const ui::Control& list, std::span<const ui::ColumnSpec<Row>> table) {
    ASSERT_EQ(list.columns.size(), table.size()) << list.use;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const ui::ListColumn& shown = list.columns[i];
        const ui::ColumnSpec<Row>& declared = table[i];
        SCOPED_TRACE(list.use + " column " + std::to_string(i + 1));
        EXPECT_EQ(shown.header, declared.header);
        // A layout without a picture leaves the cells' texts to the table.
        if (!shown.picture.empty()) {
            EXPECT_EQ(shown.picture, declared.picture);
        }
        EXPECT_EQ(shown.align, declared.align);
    }
}

// The same for a list of a window layout, by resource, window and use name.
template <class Row>
void ExpectLayoutColumns(std::string_view resource, std::string_view window, std::string_view use,
                         std::span<const ui::ColumnSpec<Row>> table) {
    std::string error;
    const auto layout = ui::LoadLayout(resource, window, &error);
    ASSERT_TRUE(layout) << error;
    for (const ui::Control& c : layout->controls)
        if (c.use == use) return ExpectColumnsOf(c, table);
    ADD_FAILURE() << resource << " has no " << use;
}

}  // namespace zem::test
