#include "platform/runtime/threads.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace zem::runtime {
namespace {

using namespace std::chrono_literals;

// Hooks can't be removed, so one recorder is registered for the whole process and every test
// reads the events of the threads it started, keyed by the number each hook saw.
class Recorder {
  public:
    static Recorder& Get() {
        static Recorder& recorder = Install();
        return recorder;
    }

    void Log(std::string event) {
        std::lock_guard lock(mutex_);
        Thread& thread = threads_[CurrentThread()];
        thread.events.push_back(std::move(event));
        thread.osThreads.insert(std::this_thread::get_id());
    }

    std::vector<std::string> Events(ThreadNo number) {
        std::lock_guard lock(mutex_);
        return threads_[number].events;
    }

    std::set<std::thread::id> OsThreads(ThreadNo number) {
        std::lock_guard lock(mutex_);
        return threads_[number].osThreads;
    }

    // The procedure of a thread asks for a slow last end hook, to show Join waiting for it.
    static void SlowEndOnThisThread() { t_slowEnd = true; }

  private:
    struct Thread {
        std::vector<std::string> events;
        std::set<std::thread::id> osThreads;
    };

    static Recorder& Install() {
        static Recorder recorder;
        AddThreadHooks([] { recorder.Log("start first"); },
                       [] {
                           if (t_slowEnd) std::this_thread::sleep_for(100ms);
                           recorder.Log("end first");
                       });
        AddThreadHooks([] { recorder.Log("start second"); }, [] { recorder.Log("end second"); });
        return recorder;
    }

    static thread_local bool t_slowEnd;
    std::mutex mutex_;
    std::map<ThreadNo, Thread> threads_;
};

thread_local bool Recorder::t_slowEnd = false;

const std::vector<std::string> kWithProcedure{"start first", "start second", "procedure",
                                              "end second", "end first"};

class ThreadsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { Recorder::Get(); }
};

TEST_F(ThreadsTest, HooksRunOnTheNewThreadAroundTheProcedure) {
    const ThreadNo number = Start([] { Recorder::Get().Log("procedure"); });
    ASSERT_GT(number, 0);
    Join(number);

    EXPECT_EQ(Recorder::Get().Events(number), kWithProcedure);
    const std::set<std::thread::id> osThreads = Recorder::Get().OsThreads(number);
    ASSERT_EQ(osThreads.size(), 1u);
    EXPECT_NE(*osThreads.begin(), std::this_thread::get_id());
}

TEST_F(ThreadsTest, HooksRunForAnEmptyProcedure) {
    const ThreadNo number = Start(Procedure{});
    Join(number);
    EXPECT_EQ(Recorder::Get().Events(number),
              (std::vector<std::string>{"start first", "start second", "end second", "end first"}));
}

TEST_F(ThreadsTest, JoinWaitsForTheEndHooks) {
    const ThreadNo number = Start([] {
        Recorder::SlowEndOnThisThread();
        Recorder::Get().Log("procedure");
    });
    Join(number);
    EXPECT_EQ(Recorder::Get().Events(number), kWithProcedure);
}

TEST_F(ThreadsTest, JoinReleasesWhatTheProcedureCaptured) {
    auto captured = std::make_shared<int>(1);
    std::weak_ptr<int> watch = captured;
    const ThreadNo number = Start([held = std::move(captured)] {});
    Join(number);
    EXPECT_TRUE(watch.expired());
}

TEST_F(ThreadsTest, NumbersFollowStartOrderAndAreNeverReused) {
    EXPECT_EQ(CurrentThread(), 0) << "the test's own thread was not started by the framework";

    std::vector<ThreadNo> started;
    std::vector<std::future<ThreadNo>> seen;
    for (int i = 0; i < 5; ++i) {
        auto promise = std::make_shared<std::promise<ThreadNo>>();
        seen.push_back(promise->get_future());
        started.push_back(Start([promise] { promise->set_value(CurrentThread()); }));
    }
    for (std::size_t i = 0; i < started.size(); ++i) {
        EXPECT_EQ(seen[i].get(), started[i]);
        if (i > 0) {
            EXPECT_EQ(started[i], started[i - 1] + 1);
        }
    }
    for (const ThreadNo number : started) Join(number);

    // Every earlier thread has ended; the next one still gets a new number.
    const ThreadNo next = Start([] {});
    Join(next);
    EXPECT_EQ(next, started.back() + 1);
}

TEST_F(ThreadsTest, ConcurrentStartsFromFrameworkThreads) {
    constexpr int kStarters = 4;
    constexpr int kChildren = 25;
    std::mutex mutex;
    std::vector<ThreadNo> returned;
    std::set<ThreadNo> seenByProcedures;

    std::vector<ThreadNo> starters;
    for (int s = 0; s < kStarters; ++s) {
        starters.push_back(Start([&] {
            std::vector<ThreadNo> mine;
            for (int c = 0; c < kChildren; ++c) {
                mine.push_back(Start([&] {
                    Recorder::Get().Log("procedure");
                    std::lock_guard lock(mutex);
                    seenByProcedures.insert(CurrentThread());
                }));
            }
            for (const ThreadNo child : mine) Join(child);
            std::lock_guard lock(mutex);
            returned.insert(returned.end(), mine.begin(), mine.end());
        }));
    }
    for (const ThreadNo starter : starters) Join(starter);

    ASSERT_EQ(returned.size(), static_cast<std::size_t>(kStarters * kChildren));
    const std::set<ThreadNo> distinct(returned.begin(), returned.end());
    EXPECT_EQ(distinct.size(), returned.size());
    EXPECT_EQ(distinct, seenByProcedures);
    for (const ThreadNo starter : starters) EXPECT_FALSE(distinct.contains(starter));
    for (const ThreadNo child : returned) {
        EXPECT_EQ(Recorder::Get().Events(child), kWithProcedure) << "thread " << child;
    }
}

TEST_F(ThreadsTest, RunningThreadsCountsUntilTheThreadEnds) {
    const int before = RunningThreads();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    const ThreadNo number = Start([released] { released.wait(); });
    EXPECT_EQ(RunningThreads(), before + 1);
    release.set_value();
    Join(number);
    EXPECT_EQ(RunningThreads(), before);
}

TEST_F(ThreadsTest, JoinAnswersAtOnceWhenThereIsNothingToWaitFor) {
    const ThreadNo ended = Start([] {});
    Join(ended);
    for (const ThreadNo number : {ended, ThreadNo{0}, ThreadNo{-1}, ThreadNo{1'000'000}}) {
        Join(number);  // returning at all is the check
    }
    const ThreadNo self = Start([] { Join(CurrentThread()); });
    Join(self);
    SUCCEED();
}

class StackTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(StackTest, ThreadGetsAtLeastTheMinimumStack) {
    const std::size_t requested = GetParam();
    std::promise<std::size_t> size;
    auto answer = size.get_future();
    const ThreadNo number = Start(
        [&size] {
            pthread_attr_t attributes;
            std::size_t stack = 0;
            if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
                pthread_attr_getstacksize(&attributes, &stack);
                pthread_attr_destroy(&attributes);
            }
            size.set_value(stack);
        },
        requested);
    ASSERT_GT(number, 0);
    const std::size_t stack = answer.get();
    Join(number);
    EXPECT_GE(stack, std::max(requested, kMinimumStack));
}

INSTANTIATE_TEST_SUITE_P(Requests, StackTest,
                         ::testing::Values(std::size_t{0}, std::size_t{16384}, kMinimumStack,
                                           std::size_t{8u * 1024 * 1024 + 1}));

}  // namespace
}  // namespace zem::runtime
