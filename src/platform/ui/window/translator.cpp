#include "platform/ui/window/translator.h"

namespace zem::ui {

Translator& Translator::Global() {
    static Translator* translator = new Translator;  // used until the process ends
    return *translator;
}

void Translator::Init() {
    std::lock_guard lock(mutex_);
    active_ = true;
}

void Translator::Kill() {
    std::lock_guard lock(mutex_);
    active_ = false;
}

bool Translator::Active() const {
    std::lock_guard lock(mutex_);
    return active_;
}

FuzzyMatcher& FuzzyMatcher::Global() {
    static FuzzyMatcher* matcher = new FuzzyMatcher;
    return *matcher;
}

void FuzzyMatcher::Init() {
    std::lock_guard lock(mutex_);
    active_ = true;
    options_.clear();
}

void FuzzyMatcher::Kill() {
    std::lock_guard lock(mutex_);
    active_ = false;
    options_.clear();
}

bool FuzzyMatcher::Active() const {
    std::lock_guard lock(mutex_);
    return active_;
}

void FuzzyMatcher::SetOption(int option, int value) {
    std::lock_guard lock(mutex_);
    options_[option] = value;
}

int FuzzyMatcher::Option(int option) const {
    std::lock_guard lock(mutex_);
    const auto it = options_.find(option);
    return it == options_.end() ? 0 : it->second;
}

}  // namespace zem::ui
