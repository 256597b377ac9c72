#pragma once
// The message boxes the program shows, read and answered through their widgets as a user does.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <chrono>
#include <optional>
#include <thread>

#include "program_windows.h"

namespace zem::test {

namespace message_detail {
// On the GUI thread: the message box showing now, if any.
inline QMessageBox* ShowingBox() {
    for (QWidget* w : QApplication::allWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
    return nullptr;
}
}  // namespace message_detail

// The text of the message box that shows within the wait; nullopt when none shows.
inline std::optional<QString> WaitForMessage() {
    std::optional<QString> text;
    const auto end = std::chrono::steady_clock::now() + kWindowWait;
    while (!text && std::chrono::steady_clock::now() < end) {
        Qt().Inspect(0, [&](ui::qt::WindowView*) {
            if (QMessageBox* box = message_detail::ShowingBox()) text = box->text();
        });
        if (!text) std::this_thread::sleep_for(20ms);
    }
    return text;
}

// The title of the message box showing now as the desktop puts it in the title bar: Qt hands
// the desktop the program's name instead of an empty title.
inline QString DesktopTitleOfMessage() {
    QString title;
    Qt().Inspect(0, [&](ui::qt::WindowView*) {
        if (QMessageBox* box = message_detail::ShowingBox())
            title = box->windowTitle().isEmpty() ? QCoreApplication::applicationName()
                                                 : box->windowTitle().trimmed();
    });
    return title;
}

// Clicks the message box's button with this text, its mnemonic aside ("OK" clicks "&OK").
inline bool AnswerMessage(const QString& button) {
    bool done = false;
    Qt().Inspect(0, [&](ui::qt::WindowView*) {
        QMessageBox* box = message_detail::ShowingBox();
        if (!box) return;
        for (QAbstractButton* b : box->buttons())
            if (QString(b->text()).remove(QLatin1Char('&')) == button) {
                QTest::mouseClick(b, ::Qt::LeftButton, {}, b->rect().center());
                done = true;
                return;
            }
        for (QAbstractButton* b : box->buttons())
            ADD_FAILURE() << "the box offers " << b->text().toStdString();
    });
    return done;
}

}  // namespace zem::test
