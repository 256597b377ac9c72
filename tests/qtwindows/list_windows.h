#pragma once
// Windows with lists and trees, read and worked through their widgets: headers, cells, where a
// row shows, double clicks and the right button's pop-up menus.
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/qt/window_view.h"
#include "program_windows.h"

namespace zem::test {

class ListWindowsTest : public ProgramWindowsTest {
  protected:
    // Headers and the rows' texts, column by column, as the list shows them (every row of a
    // tree, in display order).
    std::vector<QString> Headers(ui::WindowId w, std::string_view use) {
        std::vector<QString> headers;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list || list->isHeaderHidden()) return;
            for (int i = 0; i < list->columnCount(); ++i)
                headers.push_back(list->headerItem()->text(i));
        });
        return headers;
    }
    std::vector<std::vector<QString>> Cells(ui::WindowId w, std::string_view use) {
        std::vector<std::vector<QString>> rows;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list) return;
            for (QTreeWidgetItemIterator it(list); *it; ++it) {
                std::vector<QString> row;
                for (int c = 0; c < list->columnCount(); ++c) row.push_back((*it)->text(c));
                rows.push_back(row);
            }
        });
        return rows;
    }
    // One column's texts, from the top.
    std::vector<QString> Column(ui::WindowId w, std::string_view use, int column) {
        std::vector<QString> texts;
        for (const std::vector<QString>& row : Cells(w, use))
            texts.push_back(row.at(static_cast<std::size_t>(column)));
        return texts;
    }
    // The row (from 0, in display order) whose column shows text; -1 when none does.
    int RowOf(ui::WindowId w, std::string_view use, const QString& text, int column) {
        const std::vector<QString> texts = Column(w, use, column);
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (texts[i] == text) return static_cast<int>(i);
        return -1;
    }
    // The row the list has as its current one (from 0); -1 when none.
    int CurrentRow(ui::WindowId w, std::string_view use) {
        int current = -1;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list || !list->currentItem()) return;
            int at = 0;
            for (QTreeWidgetItemIterator it(list); *it; ++it, ++at)
                if (*it == list->currentItem()) current = at;
        });
        return current;
    }

    // Where row r (from 0, display order) shows column c: the cell's rectangle in the viewport,
    // the row scrolled into view as a user would (up or down, not sideways).
    QRect CellRect(ui::WindowId w, std::string_view use, int r, int c) {
        QRect rect;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list) return;
            int at = 0;
            for (QTreeWidgetItemIterator it(list); *it; ++it, ++at) {
                if (at != r) continue;
                const int sideways = list->horizontalScrollBar()->value();
                list->scrollToItem(*it);
                list->horizontalScrollBar()->setValue(sideways);
                rect = list->visualItemRect(*it);
                rect.setLeft(list->header()->sectionViewportPosition(c));
                rect.setWidth(list->header()->sectionSize(c));
            }
        });
        return rect;
    }
    // Where a cell's text shows: the first and last pixel columns (from the cell's left edge)
    // that stand out from the cell's background, and the cell's width; {-1, -1} when none does.
    struct Ink {
        int left = -1, right = -1, width = 0;
    };
    Ink InkOf(ui::WindowId w, std::string_view use, int r, int c) {
        const QRect cell = CellRect(w, use, r, c);
        Ink ink;
        ink.width = cell.width();
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list || cell.isEmpty()) return;
            const QImage image = list->viewport()->grab(cell).toImage();
            std::map<QRgb, int> counts;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];
            const QRgb background =
                std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                    return a.second < b.second;
                })->first;
            for (int x = 0; x < image.width(); ++x)
                for (int y = 0; y < image.height(); ++y)
                    if (std::abs(qGray(image.pixel(x, y)) - qGray(background)) > 60) {
                        if (ink.left < 0) ink.left = x;
                        ink.right = x;
                    }
        });
        return ink;
    }
    QPoint CellPoint(ui::WindowId w, std::string_view use, int r, int c) {
        return CellRect(w, use, r, c).center();
    }
    // The middle of a header section, in the header's own coordinates.
    QPoint HeaderPoint(ui::WindowId w, std::string_view use, int c) {
        QPoint at;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list) return;
            QHeaderView* header = list->header();
            at = QPoint(header->sectionViewportPosition(c) + header->sectionSize(c) / 2,
                        header->height() / 2);
        });
        return at;
    }
    bool ClickHeader(ui::WindowId w, std::string_view use, int c) {
        const QPoint at = HeaderPoint(w, use, c);
        const bool done = WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list || list->isHeaderHidden()) return;
            QTest::mouseClick(list->header()->viewport(), ::Qt::LeftButton, {}, at);
        });
        Settle();
        return done;
    }
    // Drags the right-hand edge of column c's header by dx pixels, as a user widens or narrows
    // the column; false when the column's width did not change.
    bool DragColumnEdge(ui::WindowId w, std::string_view use, int c, int dx) {
        bool changed = false;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            if (!list || list->isHeaderHidden()) return;
            QHeaderView* header = list->header();
            const int before = header->sectionSize(c);
            const QPoint edge(header->sectionViewportPosition(c) + before - 1,
                              header->height() / 2);
            QWidget* target = header->viewport();
            QTest::mouseMove(target, edge);
            QTest::mousePress(target, ::Qt::LeftButton, {}, edge);
            QTest::mouseMove(target, edge + QPoint(dx / 2, 0));
            QTest::mouseMove(target, edge + QPoint(dx, 0));
            QTest::mouseRelease(target, ::Qt::LeftButton, {}, edge + QPoint(dx, 0));
            changed = header->sectionSize(c) != before;
        });
        Settle();
        return changed;
    }
    bool DoubleClick(ui::WindowId w, std::string_view use, QPoint at) {
        const bool done = WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QAbstractItemView*>(widget);
            if (!list) return;
            QTest::mouseDClick(list->viewport(), ::Qt::LeftButton, {}, at);
        });
        Settle();
        return done;
    }

    // Whether every column of the list shows its widest text uncut (icon columns aside).
    bool NothingCut(ui::WindowId w, std::string_view use) {
        bool whole = true;
        WithWidget(w, use, [&](QWidget* widget) {
            auto* list = qobject_cast<QTreeWidget*>(widget);
            const QFontMetrics metrics(list->font());
            const QFontMetrics headerMetrics(list->header()->font());
            for (int c = 0; c < list->columnCount(); ++c) {
                const int room = list->header()->sectionSize(c);
                const QString header = list->headerItem()->text(c);
                if (headerMetrics.horizontalAdvance(header) > room) {
                    ADD_FAILURE() << "header cut: " << header.toStdString() << " in " << room;
                    whole = false;
                }
                for (QTreeWidgetItemIterator it(list); *it; ++it) {
                    const QString text = (*it)->text(c);
                    if (metrics.horizontalAdvance(text) > room) {
                        ADD_FAILURE() << "cut: " << text.toStdString() << " in column " << c;
                        whole = false;
                    }
                }
            }
        });
        return whole;
    }

    std::vector<QString> PopupTexts(ui::WindowId w) {
        std::vector<QString> texts;
        for (const auto& [text, enabled] : PopupItems(w)) texts.push_back(text);
        return texts;
    }

    // The window's caption as the desktop shows it.
    QString Caption(ui::WindowId w) {
        QString caption;
        WithView(w, [&](ui::qt::WindowView& view) {
            if (view.top) caption = view.top->windowTitle();
        });
        return caption;
    }
};

}  // namespace zem::test
