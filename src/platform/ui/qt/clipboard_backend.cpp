#include "platform/ui/qt/clipboard_backend.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/ui/qt/gui_channel.h"
#include "platform/ui/qt/text_codec.h"
#include "platform/win/clipboard.h"

namespace zem::ui::qt {

ClipboardBridge::ClipboardBridge() : channel_(std::make_shared<GuiChannel>()) {}

ClipboardBridge::~ClipboardBridge() {
    Uninstall();
}

void ClipboardBridge::Install() {
    const std::shared_ptr<GuiChannel> channel = channel_;
    win::ClipboardBackend backend;
    // The desktop's clipboard holds characters: the caller's bytes are decoded on the way in
    // and encoded again for the reader on the way out.
    backend.set = [channel](const std::string& text, int charset) {
        channel->Call<bool>(
            [text, charset] {
                QGuiApplication::clipboard()->setText(Decode(text, charset));
                return true;
            },
            false);
    };
    backend.get = [channel](int charset) {
        return channel->Call<std::string>(
            [charset] { return Encode(QGuiApplication::clipboard()->text(), charset); },
            std::string());
    };
    win::SetClipboardBackend(std::move(backend));
}

void ClipboardBridge::Uninstall() {
    if (!channel_->IsOpen()) return;
    win::SetClipboardBackend({});
    channel_->Close();
}

}  // namespace zem::ui::qt
