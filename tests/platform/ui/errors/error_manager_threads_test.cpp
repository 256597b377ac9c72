#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <latch>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/errors/error_manager.h"
#include "platform/ui/errors/recording_sink.h"

namespace zem::ui {
namespace {

constexpr int kContextMessage = 901;
constexpr int kThreads = 6;
constexpr int kRounds = 200;

std::string Expected(int thread) {
    const std::string n = std::to_string(thread);
    return "Proc" + n + " Field" + n + " File" + n + " Error" + n + " " + n;
}

class ErrorManagerThreadsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        manager().Init();
        const std::array entries{ErrorEntry{kContextMessage, Notify, "Context",
                                            "%Procedure %Field %File %ErrorText %ErrorCode"}};
        manager().AddErrors(entries);
        manager().SetSink(sink_);
    }
    void TearDown() override { manager().SetSink(nullptr); }

    static ErrorManager& manager() { return ErrorManager::Global(); }

    std::shared_ptr<RecordingSink> sink_ = std::make_shared<RecordingSink>();
};

TEST_F(ErrorManagerThreadsTest, EachThreadFormatsWithItsOwnContext) {
    manager().SetField("MainField");
    std::latch allSet(kThreads);
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::string> firstSeen(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // A new thread starts with an empty context, whatever other threads set.
            firstSeen[t] = manager().FormatText(kContextMessage);
            const std::string n = std::to_string(t);
            manager().SetProcedureName("Proc" + n);
            manager().SetField("Field" + n);
            manager().SetFile("File" + n);
            manager().SetErrorText("Error" + n, t);
            allSet.arrive_and_wait();
            for (int round = 0; round < kRounds; ++round) {
                if (manager().FormatText(kContextMessage) != Expected(t)) ++mismatches[t];
                manager().Throw(kContextMessage);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(firstSeen[t], "    0") << "thread " << t;
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
    }
    std::map<std::string, int> shown;
    for (const MessageRequest& request : sink_->Requests()) ++shown[request.text];
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(kThreads));
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(shown[Expected(t)], kRounds);
    EXPECT_EQ(manager().FormatText(msg::FieldOutOfRange, "1 to 9"),
              "The value of MainField must be in range 1 to 9.");
    manager().SetField("");
}

TEST_F(ErrorManagerThreadsTest, TableAndSinkMayChangeWhileThreadsThrow) {
    auto second = std::make_shared<RecordingSink>();
    std::atomic<bool> stop = false;
    std::vector<std::thread> throwers;
    std::atomic<int> thrown = 0;
    for (int t = 0; t < kThreads; ++t) {
        throwers.emplace_back([&] {
            for (int round = 0; round < kRounds; ++round) {
                // The entry is replaced concurrently, but always with a Notify one.
                EXPECT_EQ(manager().Throw(kContextMessage), Notify);
                Message("plain", "Message");
                thrown += 2;
            }
        });
    }
    std::thread changer([&] {
        for (int round = 0; !stop; ++round) {
            const std::string caption = "Caption " + std::to_string(round);
            const std::array entries{ErrorEntry{kContextMessage, Notify, caption, "changed"}};
            manager().AddErrors(entries);
            manager().SetSink(round % 2 == 0 ? std::shared_ptr<MessageSink>(second) : sink_);
        }
    });
    for (std::thread& thread : throwers) thread.join();
    stop = true;
    changer.join();

    EXPECT_EQ(sink_->Count() + second->Count(), static_cast<std::size_t>(thrown.load()));
}

}  // namespace
}  // namespace zem::ui
