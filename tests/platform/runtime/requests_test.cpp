#include "platform/runtime/requests.h"

#include <gtest/gtest.h>

#include <barrier>
#include <thread>
#include <vector>

#include "platform/runtime/framework_thread.h"

namespace zem::runtime {
namespace {

TEST(RequestsTest, EachThreadKeepsItsOwnRequestAndResponse) {
    SetGlobalRequest(request::kView);
    SetGlobalResponse(response::kCancelled);

    const std::vector<std::pair<int, int>> pairs{{request::kInsert, response::kCompleted},
                                                 {request::kChange, response::kCancelled},
                                                 {request::kDelete, response::kCompleted},
                                                 {request::kSelect, response::kCancelled}};
    // All threads set theirs before any reads back, so a shared value would show.
    std::barrier together(static_cast<std::ptrdiff_t>(pairs.size()));
    std::vector<ThreadNo> threads;
    for (const auto& [request, response] : pairs) {
        threads.push_back(Start([&together, request, response] {
            EXPECT_EQ(GlobalRequest(), request::kNone) << "a new thread starts with none";
            EXPECT_EQ(GlobalResponse(), response::kNone);
            SetGlobalRequest(request);
            SetGlobalResponse(response);
            together.arrive_and_wait();
            EXPECT_EQ(GlobalRequest(), request);
            EXPECT_EQ(GlobalResponse(), response);
        }));
    }
    for (const ThreadNo thread : threads) Join(thread);

    EXPECT_EQ(GlobalRequest(), request::kView);
    EXPECT_EQ(GlobalResponse(), response::kCancelled);
    SetGlobalRequest(request::kNone);
    SetGlobalResponse(response::kNone);
}

}  // namespace
}  // namespace zem::runtime
