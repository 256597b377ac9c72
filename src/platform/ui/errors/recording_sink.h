#pragma once
// A message sink for tests: keeps every message shown and answers them from preset answers.
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/ui/errors/message_sink.h"

namespace zem::ui {

class RecordingSink : public MessageSink {
  public:
    // Records the request and answers the oldest preset answer, or the default button when
    // none is left.
    unsigned Show(const MessageRequest& request) override;

    // Queues the answer to a coming message; answers are used in the order given.
    void AnswerNext(unsigned button);

    std::vector<MessageRequest> Requests() const;
    std::size_t Count() const;
    // The latest message; nullopt when nothing was shown.
    std::optional<MessageRequest> Last() const;
    // Forgets the messages shown and the answers not used yet.
    void Clear();

  private:
    mutable std::mutex mutex_;
    std::vector<MessageRequest> requests_;
    std::deque<unsigned> answers_;
};

}  // namespace zem::ui
