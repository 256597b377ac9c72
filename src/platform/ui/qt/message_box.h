#pragma once
// Message boxes for Display::Ask: the request's caption, text, icon and buttons, answered with
// the Button bit the user chose. They never run a nested event loop: the box is shown and the
// answer set when it finishes.
#include <QMessageBox>
#include <memory>

#include "platform/ui/errors/message_sink.h"
#include "platform/ui/qt/gui_call.h"

namespace zem::ui::qt {

// Shows the box window-modal to parent, or application-modal without one. Escape and the
// close box answer Cancel when it is offered, else No, else the default button. The box deletes
// itself when it closes; deleting it earlier answers the default button.
QMessageBox* ShowMessageBox(QWidget* parent, const MessageRequest& request, int charset,
                            std::shared_ptr<PendingResult<unsigned>> answer);

// Answers the box as the user would: clicks the button of that bit, or, when the box does not
// offer it, closes the box with that answer.
void AnswerMessageBox(QMessageBox* box, unsigned button);

// Answers the box as its close box does: Cancel when it offers it, else No, else its default.
void CloseMessageBox(QMessageBox* box);

}  // namespace zem::ui::qt
