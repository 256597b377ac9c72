// The drop lists of the query form and the configuration, opened with the mouse while the
// frame's menu painter is set: each list opens as the desktop draws one, whatever the painter
// does to the menus. Each open list is saved as drop_list_<control>.png.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QTest>
#include <cstdlib>
#include <string>

#include "menu_pixels.h"
#include "platform/win/owner_draw.h"
#include "program_windows.h"
#include "research/queryform/queryform_fixture.h"

namespace zem::test {
namespace {

struct OpenList {
    bool opened = false;
    int rows = 0;
    int lineHeight = 0;
    QImage image;       // the open list's pop-up
    QRect firstRow;     // in the image
    QRect rowsArea;     // every row, in the image
    int textWidth = 0;  // of the first row's text
    QString toolTip;
};

// A pixel of text or line on a background: far from the background's colour.
bool Ink(QRgb pixel, QRgb background) {
    return std::abs(qGray(pixel) - qGray(background)) > 90;
}

void ExpectDesktopLook(const OpenList& list) {
    ASSERT_TRUE(list.opened) << "the click opened no list";
    ASSERT_GT(list.rows, 0);
    // Rows a line of text high, not the painter's squeezed menu rows.
    EXPECT_GE(list.firstRow.height(), list.lineHeight);
    // None of the painter's icon bar.
    int bar = 0;
    for (int y = 0; y < list.image.height(); ++y)
        for (int x = 0; x < list.image.width(); ++x)
            if (NearColour(list.image.pixel(x, y), 236, 233, 216, 4)) ++bar;
    EXPECT_EQ(bar, 0) << "pixels in the icon bar's colour";
    // The first row's text starts at its left, not centred.
    const QRgb rowBackground =
        list.image.pixel(list.firstRow.right() - 3, list.firstRow.center().y());
    int left = -1;
    for (int x = list.firstRow.left(); x <= list.firstRow.right() && left < 0; ++x)
        for (int y = list.firstRow.top(); y <= list.firstRow.bottom(); ++y)
            if (Ink(list.image.pixel(x, y), rowBackground)) {
                left = x;
                break;
            }
    ASSERT_GE(left, 0) << "the first row shows no text";
    const int centred = list.firstRow.left() + (list.firstRow.width() - list.textWidth) / 2;
    EXPECT_LT(left - list.firstRow.left(), 30);
    EXPECT_LT(left, centred - 10) << "the text is centred";
    // Nothing shows through below the rows (the drop list's own field, for one).
    int below = 0;
    const QRgb background = list.image.pixel(list.image.width() / 2, list.image.height() - 3);
    for (int y = list.rowsArea.bottom() + 1; y < list.image.height() - 2; ++y)
        for (int x = 2; x < list.image.width() - 2; ++x)
            if (Ink(list.image.pixel(x, y), background)) ++below;
    EXPECT_EQ(below, 0) << "text or lines below the rows";
}

class DropLists : public ProgramWindowsTest {
  protected:
    // Opens the drop list with a click, as a user does, and takes a picture of what opens.
    OpenList OpenDropList(ui::WindowId window, std::string_view use) {
        OpenList list;
        WithWidget(window, use, [&](QWidget* widget) {
            auto* box = qobject_cast<QComboBox*>(widget);
            if (!box) return;
            list.toolTip = box->toolTip();
            QTest::mouseClick(box, ::Qt::LeftButton, {}, box->rect().center());
        });
        Settle();
        WithWidget(window, use, [&](QWidget* widget) {
            auto* box = qobject_cast<QComboBox*>(widget);
            if (!box || !box->view()->isVisible()) return;
            list.opened = true;
            QAbstractItemView* view = box->view();
            QWidget* popup = view->window();
            list.rows = box->count();
            list.lineHeight = QFontMetrics(view->font()).height();
            list.image = popup->grab().toImage();
            const QPoint offset = view->viewport()->mapTo(popup, QPoint(0, 0));
            if (list.rows > 0) {
                list.firstRow = view->visualRect(box->model()->index(0, 0)).translated(offset);
                list.rowsArea = list.firstRow.united(
                    view->visualRect(box->model()->index(list.rows - 1, 0)).translated(offset));
                list.firstRow &= list.image.rect();
            list.rowsArea &= list.image.rect();
            list.textWidth = QFontMetrics(view->font()).horizontalAdvance(box->itemText(0));
            }
            list.image.save(QString::fromStdString(
                (ScreenshotDir() / ("drop_list_" + std::string(use.substr(1)) + ".png")).string()));
            QTest::keyClick(view, ::Qt::Key_Escape);
        });
        Settle();
        return list;
    }
};

TEST_F(DropLists, EveryDropListOpensAsTheDesktopDrawsOne) {
    Seed([] { QueryFormTest::Seed(); });  // stores with catalogs to offer
    StartProgram();
    ASSERT_TRUE(win::CurrentOwnerDrawMenus()) << "the frame's menu painter is set";
    const auto form = WaitForWindow("UpdateQueriesA");
    ASSERT_TRUE(form);
    for (const char* use : {"?SIT:NAME", "?CAT:NAME", "?BRA:NAME"}) {
        SCOPED_TRACE(use);
        const OpenList list = OpenDropList(*form, use);
        if (std::string_view(use) == "?BRA:NAME" && list.rows == 0) continue;  // no brands yet
        ExpectDesktopLook(list);
    }
    // The catalog list's hint is in Russian, the others' in English.
    EXPECT_EQ(OpenDropList(*form, "?CAT:NAME").toolTip, QString::fromUtf8("Наименование"));
    EXPECT_EQ(OpenDropList(*form, "?SIT:NAME").toolTip, "Name");
    LeaveNewQuery();

    ASSERT_TRUE(Click(frame, "?FILECONFIGURE"));
    const auto config = WaitForWindow("UpdateSysInfo");
    ASSERT_TRUE(config);
    {
        SCOPED_TRACE("?BRO:NAME");
        ExpectDesktopLook(OpenDropList(*config, "?BRO:NAME"));
    }
    ASSERT_TRUE(Click(*config, "?CANCEL"));
    ASSERT_TRUE(WaitForClose(*config));
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace zem::test
