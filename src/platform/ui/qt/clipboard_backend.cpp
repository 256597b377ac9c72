#include "platform/ui/qt/clipboard_backend.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/ui/qt/gui_channel.h"
#include "platform/ui/qt/text_codec.h"
#include "platform/win/clipboard.h"

namespace zem::ui::qt {
namespace {

constexpr int kClipboardCharset = 0;  // code page 1252

}  // namespace

ClipboardBridge::ClipboardBridge() : channel_(std::make_shared<GuiChannel>()) {}

ClipboardBridge::~ClipboardBridge() {
    Uninstall();
}

void ClipboardBridge::Install() {
    const std::shared_ptr<GuiChannel> channel = channel_;
    win::ClipboardBackend backend;
    backend.set = [channel](const std::string& text) {
        channel->Call<bool>(
            [text] {
                QGuiApplication::clipboard()->setText(Decode(text, kClipboardCharset));
                return true;
            },
            false);
    };
    backend.get = [channel] {
        return channel->Call<std::string>(
            [] { return Encode(QGuiApplication::clipboard()->text(), kClipboardCharset); },
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
