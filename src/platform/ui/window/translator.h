#pragma once
// The framework's translator and fuzzy matcher: process-wide objects the program initialises at
// start-up and releases at shut-down. The program ships in English and nothing in it matches
// fuzzily, so each is only its switched-on state (the matcher with its options): what start-up
// and shut-down set, kept so that their order stays visible and testable.
#include <map>
#include <mutex>

namespace zem::ui {

class Translator {
  public:
    static Translator& Global();
    void Init();
    void Kill();
    bool Active() const;

  private:
    mutable std::mutex mutex_;
    bool active_ = false;
};

class FuzzyMatcher {
  public:
    static FuzzyMatcher& Global();
    void Init();
    void Kill();
    bool Active() const;
    // Option 1: ignore case (1) or not (0); option 2: match in word order only (1) or anywhere.
    void SetOption(int option, int value);
    // 0 when never set. No locator reads the options; start-up's settings are checked here.
    int Option(int option) const;

  private:
    mutable std::mutex mutex_;
    bool active_ = false;
    std::map<int, int> options_;
};

}  // namespace zem::ui
