#include "platform/ui/errors/message_sink.h"

#include <cstdio>

#include "platform/ui/errors/error_manager.h"

namespace zem::ui {
namespace {

class ConsoleMessageSink : public MessageSink {
  public:
    unsigned Show(const MessageRequest& request) override {
        // One write per message, so lines from several threads do not interleave.
        const std::string line = request.caption + ": " + request.text + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        return request.defaultButton;
    }
};

}  // namespace

std::shared_ptr<MessageSink> ConsoleSink() {
    static const std::shared_ptr<MessageSink> sink = std::make_shared<ConsoleMessageSink>();
    return sink;
}

unsigned Message(std::string_view text, std::string_view caption, Icon icon, unsigned buttons,
                 unsigned defaultButton, int charset) {
    const MessageRequest request{std::string(text), std::string(caption), icon,
                                 buttons,           defaultButton,        charset};
    return ErrorManager::Global().Sink()->Show(request);
}

}  // namespace zem::ui
