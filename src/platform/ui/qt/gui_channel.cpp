#include "platform/ui/qt/gui_channel.h"

namespace zem::ui::qt {

GuiChannel::GuiChannel() : context_(std::make_unique<QObject>()) {}

GuiChannel::~GuiChannel() {
    Close();
}

void GuiChannel::Close() {
    std::lock_guard lock(mutex_);
    open_ = false;
    // Dropping the queued work destroys it, and with it any result it still owed.
    QCoreApplication::removePostedEvents(context_.get());
}

}  // namespace zem::ui::qt
