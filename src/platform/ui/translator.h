#pragma once
// The framework's translator and fuzzy matcher: process-wide objects the program initialises at
// start-up and releases at shut-down. The translator turns the framework's own texts into the
// user's language (the program ships in English, so it hands texts back unchanged); the fuzzy
// matcher keeps the numbered options the locators read.
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace zem::ui {

class Translator {
  public:
    static Translator& Global();
    void Init();
    void Kill();
    bool Active() const;
    std::string Translate(std::string_view text) const;

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
    int Option(int option) const;  // 0 when never set

  private:
    mutable std::mutex mutex_;
    bool active_ = false;
    std::map<int, int> options_;
};

}  // namespace zem::ui
