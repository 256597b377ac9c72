#include "platform/ui/errors/recording_sink.h"

namespace zem::ui {

unsigned RecordingSink::Show(const MessageRequest& request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    if (answers_.empty()) return request.defaultButton;
    const unsigned answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void RecordingSink::AnswerNext(unsigned button) {
    std::lock_guard lock(mutex_);
    answers_.push_back(button);
}

std::vector<MessageRequest> RecordingSink::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t RecordingSink::Count() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

std::optional<MessageRequest> RecordingSink::Last() const {
    std::lock_guard lock(mutex_);
    if (requests_.empty()) return std::nullopt;
    return requests_.back();
}

void RecordingSink::Clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
    answers_.clear();
}

}  // namespace zem::ui
