#include "shell/dictionary_hooks.h"

#include <gtest/gtest.h>

#include <latch>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "data/dictionary.h"
#include "platform/runtime/threads.h"
#include "shell_fixture.h"

namespace zem::test {
namespace {

using runtime::ThreadNo;

// Whether a thread had a dictionary right before the dictionary hooks start it and right after
// they end it. Hooks can't be removed, so the observer is registered once per process, before
// the dictionary hooks: its start runs before theirs and its end after theirs.
class Observer {
  public:
    static Observer& Get() {
        static Observer& observer = Install();
        return observer;
    }
    bool Before(ThreadNo n) {
        std::lock_guard lock(mutex_);
        return before_.at(n);
    }
    bool After(ThreadNo n) {
        std::lock_guard lock(mutex_);
        return after_.at(n);
    }

  private:
    static Observer& Install() {
        static Observer observer;
        runtime::AddThreadHooks([] { observer.Record(observer.before_); },
                                [] { observer.Record(observer.after_); });
        shell::InstallDictionaryHooks();
        return observer;
    }
    void Record(std::map<ThreadNo, bool>& into) {
        const bool has = data::HasDictionary();
        std::lock_guard lock(mutex_);
        into[runtime::CurrentThread()] = has;
    }
    std::mutex mutex_;
    std::map<ThreadNo, bool> before_;
    std::map<ThreadNo, bool> after_;
};

// What a thread's procedure found.
struct Seen {
    ThreadNo number = 0;
    bool hasDictionary = false;
    const data::Dictionary* dictionary = nullptr;
    bool overTheDataFile = false;
    bool readsSites = false;
    bool keptItsOwnBuffer = false;
};

// Runs the probe on count threads that are all alive at once, so no two can share a dictionary
// by reusing one that has gone.
std::vector<Seen> Probe(int count) {
    std::vector<Seen> seen(static_cast<std::size_t>(count));
    std::latch together(count);
    std::vector<ThreadNo> numbers;
    for (Seen& s : seen) {
        numbers.push_back(runtime::Start([&s, &together] {
            s.number = runtime::CurrentThread();
            s.hasDictionary = data::HasDictionary();
            if (s.hasDictionary) {
                data::Dictionary& d = data::Dict();
                s.dictionary = &d;
                s.overTheDataFile = d.file == data::ZembrolaFile();
                d.QUE.ID = s.number;
                d.SIT.ID = 1;
                s.readsSites =
                    data::Access(data::TableId::Sites).Fetch(data::SIT_KeyId) == ui::Benign &&
                    std::string(d.SIT.NAME, 9) == "Amazon US";
            }
            together.arrive_and_wait();
            if (s.hasDictionary) s.keptItsOwnBuffer = data::Dict().QUE.ID == s.number;
        }));
        EXPECT_NE(numbers.back(), 0);
    }
    for (ThreadNo n : numbers) runtime::Join(n);
    return seen;
}

class DictionaryHooksTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        Observer::Get();
    }
};

TEST_F(DictionaryHooksTest, OtherThreadsHaveTheirOwnDictionaryOnlyWhileTheyRun) {
    const auto seen = Probe(4);
    std::vector<const data::Dictionary*> dictionaries{&data::Dict()};
    for (const Seen& s : seen) {
        SCOPED_TRACE("thread " + std::to_string(s.number));
        EXPECT_FALSE(Observer::Get().Before(s.number));
        EXPECT_FALSE(Observer::Get().After(s.number));
        if (s.number == 1) {
            EXPECT_FALSE(s.hasDictionary);
            continue;
        }
        ASSERT_TRUE(s.hasDictionary);
        EXPECT_TRUE(s.overTheDataFile);
        EXPECT_TRUE(s.readsSites);
        EXPECT_TRUE(s.keptItsOwnBuffer);
        for (const data::Dictionary* other : dictionaries) EXPECT_NE(s.dictionary, other);
        dictionaries.push_back(s.dictionary);
    }
}

TEST_F(DictionaryHooksTest, ThreadOneGetsNoDictionaryFromTheHook) {
    const auto seen = Probe(1);
    if (seen[0].number != 1) GTEST_SKIP() << "thread 1 already ran in this process";
    EXPECT_FALSE(seen[0].hasDictionary);
    EXPECT_FALSE(Observer::Get().After(1));
}

TEST_F(DictionaryHooksTest, WithoutADataFileAThreadGetsNoDictionary) {
    data::CloseZembrolaFile();
    for (const Seen& s : Probe(2)) {
        EXPECT_FALSE(s.hasDictionary) << "thread " << s.number;
    }
}

}  // namespace
}  // namespace zem::test
