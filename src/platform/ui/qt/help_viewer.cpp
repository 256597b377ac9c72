#include "platform/ui/qt/help_viewer.h"

#include "platform/ui/qt/gui_channel.h"
#include "platform/ui/qt/help_window.h"
#include "platform/ui/qt/text_codec.h"

namespace zem::ui::qt {

QtHelpViewer::QtHelpViewer() : channel_(std::make_unique<GuiChannel>()) {}

QtHelpViewer::~QtHelpViewer() {
    Close();
}

void QtHelpViewer::Show(const HelpRequest& request) {
    channel_->Post([this, request] { ShowOnGui(request); });
}

void QtHelpViewer::ShowOnGui(const HelpRequest& request) {
    if (!window_) window_ = std::make_unique<HelpWindow>();
    switch (request.kind) {
        case HelpKind::Topic:
            window_->ShowTopic(Decode(request.topic, 0));
            break;
        case HelpKind::Contents:
            window_->ShowContents();
            break;
        case HelpKind::Search:
            window_->ShowSearch(Decode(request.search, 0));
            break;
        case HelpKind::HelpOnHelp:
            window_->ShowTopic(request.topic.empty() ? QStringLiteral("HowToUseHelp.htm")
                                                     : Decode(request.topic, 0));
            break;
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void QtHelpViewer::Close() {
    channel_->Close();
    window_.reset();
}

std::optional<std::filesystem::path> QtHelpViewer::ShownPage() {
    return channel_->Call<std::optional<std::filesystem::path>>(
        [this]() -> std::optional<std::filesystem::path> {
            if (!window_ || !window_->isVisible()) return std::nullopt;
            return std::filesystem::path(window_->Page().toLocalFile().toStdString());
        },
        std::nullopt);
}

std::vector<std::string> QtHelpViewer::ListedTopics() {
    return channel_->Call<std::vector<std::string>>(
        [this] {
            std::vector<std::string> topics;
            if (window_)
                for (const QString& topic : window_->Hits()) topics.push_back(Encode(topic, 0));
            return topics;
        },
        {});
}

}  // namespace zem::ui::qt
