#pragma once
// Where message boxes go. The display shows them; without one they go to a sink that a test
// reads and answers, or to the console.
#include <memory>
#include <string>
#include <string_view>

namespace zem::ui {

enum class Icon { None, Exclamation, Question, Hand, Asterisk };

// Buttons as bits; an answer is one of them.
enum Button : unsigned {
    ButtonOk = 1,
    ButtonYes = 2,
    ButtonNo = 4,
    ButtonAbort = 8,
    ButtonRetry = 16,
    ButtonIgnore = 32,
    ButtonCancel = 64,
    ButtonHelp = 128,
};

struct MessageRequest {
    std::string text;
    std::string caption;
    Icon icon = Icon::None;
    unsigned buttons = ButtonOk;
    unsigned defaultButton = ButtonOk;
    int charset = -1;  // of text and caption; -1: the window's
};

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Shows the message and answers the button chosen. Called from any thread.
    virtual unsigned Show(const MessageRequest& request) = 0;
};

// Writes messages to standard error and answers the default button.
std::shared_ptr<MessageSink> ConsoleSink();

// Shows a message through the error manager's sink (the framework's MESSAGE).
// charset: of text and caption (-1: the window's).
unsigned Message(std::string_view text, std::string_view caption = "Message",
                 Icon icon = Icon::None, unsigned buttons = ButtonOk,
                 unsigned defaultButton = ButtonOk, int charset = -1);

}  // namespace zem::ui
