#pragma once
// Lists, tree lists and drop lists: columns, rows and the chosen row from the control's model.
// Rows are rebuilt only when they changed, so a list that only moves its selection keeps its
// scroll position.
#include <QComboBox>
#include <QTreeWidget>

#include "platform/ui/qt/window_view.h"

namespace zem::ui::qt {

QTreeWidget* MakeListWidget(QWidget* parent, ControlKind kind);
// before: the model the widget shows now; nullptr when it shows nothing yet.
void ApplyList(QTreeWidget* list, ControlView& control, const Control* before, int charset);
// The row an item stands for, from 1; 0 for none.
int RowOf(const QTreeWidgetItem* item);

void ApplyDropList(QComboBox* box, const Control& model, const Control* before, int charset);

}  // namespace zem::ui::qt
