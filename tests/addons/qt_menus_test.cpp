// The frame's drop-down menu drawn by the menu painter on the display server, offscreen: a
// screenshot of the open menu is checked pixel by pixel and saved as owner_drawn_menu.png.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <atomic>
#include <chrono>
#include <thread>

#include "addons/main_frame_addons.h"
#include "addons/xxp_wnd_class.h"
#include "platform/runtime/threads.h"
#include "platform/ui/window/layout.h"
#include "platform/ui/qt/qt_display.h"
#include "platform/ui/window/window.h"

namespace zem::addons {
namespace {

using namespace std::chrono_literals;

template <typename F>
auto OnGui(F check) {
    decltype(check()) result{};
    QMetaObject::invokeMethod(
        qApp, [&] { result = check(); }, Qt::BlockingQueuedConnection);
    return result;
}

ui::qt::QtDisplay& Display() {
    return *dynamic_cast<ui::qt::QtDisplay*>(ui::CurrentDisplay().get());
}

constexpr std::string_view kFrame = R"({"windows": {"W": {"type": "application",
    "caption": "Zembrola", "at": [0, 0, 500, 300], "controls": [
    {"kind": "menubar", "use": "?BAR", "controls": [
        {"kind": "menu", "use": "?EDIT", "text": "&Edit", "controls": [
            {"kind": "item", "use": "?CUT", "text": "Cu&t", "icon": "ASLCUT.ICO"},
            {"kind": "item", "use": "?COPY", "text": "&Copy", "icon": "ASLCOPY.ICO"},
            {"kind": "separator", "use": "?SEP"},
            {"kind": "item", "use": "?PASTE", "text": "&Paste", "icon": "ASLPASTE.ICO",
             "disable": true}]},
        {"kind": "menu", "use": "?HELP", "text": "&Help", "controls": [
            {"kind": "item", "use": "?ABOUT", "text": "&About"}]}]}]}}})";

bool Near(QRgb pixel, int r, int g, int b, int tolerance = 8) {
    return std::abs(qRed(pixel) - r) <= tolerance && std::abs(qGreen(pixel) - g) <= tolerance &&
           std::abs(qBlue(pixel) - b) <= tolerance;
}

struct Shot {
    QImage image;
    QRect cut, copy, paste, separator;
};

TEST(OwnerDrawnMenus, TheOpenDropDownShowsTheIconBarTheSelectionAndTheGreyedItem) {
    std::atomic<bool> done{false};
    std::atomic<bool> ready{false};
    const runtime::ThreadNo thread = runtime::Start([&] {
        ui::Window w;
        std::string error;
        auto layout = ui::ParseLayout(kFrame, "W", &error);
        ASSERT_TRUE(layout) << error;
        w.Load(std::move(*layout));
        ASSERT_TRUE(w.Open("Main"));
        auto painter = std::make_shared<xXPWndClass>();
        painter->Init(w);
        painter->ChangeStyle(ApplyFrameMenuStyle);
        for (const char* use : {"?CUT", "?COPY", "?PASTE"}) {
            const int feq = w.Feq(use);
            painter->AddItem(feq, w, w.Find(feq)->icon);
            w.SetIcon(feq, "");
        }
        win::SetOwnerDrawMenus(painter);
        ready = true;
        while (!done) std::this_thread::sleep_for(10ms);
        win::SetOwnerDrawMenus(nullptr);
        painter->Remove();
    });
    ASSERT_TRUE(Display().WaitForWindow("Main", 5s));
    while (!ready) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(200ms);  // the icon changes reach the widgets

    const Shot shot = OnGui([] {
        Shot s;
        QMainWindow* frame = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* main = qobject_cast<QMainWindow*>(top)) frame = main;
        if (!frame) return s;
        QMenu* edit = frame->menuBar()->actions().value(0)->menu();
        if (!edit) return s;
        frame->menuBar()->setActiveAction(edit->menuAction());  // opens the drop-down
        auto find = [&](const QString& text) -> QAction* {
            for (QAction* a : edit->actions())
                if (text.isEmpty() ? (a->isSeparator() && a->isVisible()) : a->text() == text)
                    return a;
            return nullptr;
        };
        edit->setActiveAction(find("&Copy"));  // selected
        QApplication::processEvents();
        s.cut = edit->actionGeometry(find("Cu&t"));
        s.copy = edit->actionGeometry(find("&Copy"));
        s.separator = edit->actionGeometry(find(QString()));
        s.paste = edit->actionGeometry(find("&Paste"));
        s.image = edit->grab().toImage();
        s.image.save("owner_drawn_menu.png");
        frame->grab().toImage().save("owner_drawn_frame.png");
        edit->hide();
        return s;
    });
    done = true;
    runtime::Join(thread);
    ASSERT_FALSE(shot.image.isNull());
    const QImage& img = shot.image;

    // The border in the shadow colour, the icon bar in the menu colour, the menu white.
    EXPECT_TRUE(Near(img.pixel(0, img.height() / 2), 172, 168, 153));
    const int cutMiddle = shot.cut.center().y();
    EXPECT_TRUE(Near(img.pixel(shot.cut.left() + 21, cutMiddle), 236, 233, 216)) << "icon bar";
    EXPECT_TRUE(Near(img.pixel(shot.cut.right() - 2, cutMiddle), 255, 255, 255)) << "menu";
    // The selection rectangle: light inside, dark border.
    EXPECT_TRUE(Near(img.pixel(shot.copy.left(), shot.copy.center().y()), 0, 0, 128));
    EXPECT_TRUE(Near(img.pixel(shot.copy.right() - 3, shot.copy.center().y()), 191, 191, 223));
    EXPECT_TRUE(Near(img.pixel(shot.copy.left() + 20, shot.copy.top() + 1), 191, 191, 223))
        << "the selection covers the icon bar too";
    // The separator: a one-pixel line in the menu colour, from after the icon bar and indent.
    const int line = shot.separator.top() + 1;
    EXPECT_EQ(shot.separator.height(), 3);
    EXPECT_TRUE(Near(img.pixel(shot.separator.left() + 40, line), 236, 233, 216));
    EXPECT_TRUE(Near(img.pixel(shot.separator.left() + 40, line - 1), 255, 255, 255));
    // The disabled item's text is grey: its darkest pixel is the grey, where an enabled item's
    // text is black.
    auto darkest = [&](const QRect& r) {
        int dark = 255;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left() + 27; x <= r.right(); ++x)
                dark = std::min(dark, qGray(img.pixel(x, y)));
        return dark;
    };
    EXPECT_NEAR(darkest(shot.paste), 128, 12);
    EXPECT_LT(darkest(shot.cut), 60);
    // The icons sit in the icon bar: something that is neither bar nor menu colour there.
    int iconPixels = 0;
    for (int y = shot.cut.top() + 2; y < shot.cut.top() + 18; ++y)
        for (int x = shot.cut.left() + 2; x < shot.cut.left() + 18; ++x)
            if (!Near(img.pixel(x, y), 236, 233, 216)) ++iconPixels;
    EXPECT_GT(iconPixels, 10);
}

}  // namespace
}  // namespace zem::addons
