#include "platform/ui/help/help.h"

#include <gtest/gtest.h>

#include <latch>
#include <memory>
#include <thread>
#include <vector>

#include "platform/ui/help/recording_help_viewer.h"

namespace zem::ui {
namespace {

class HelpTest : public ::testing::Test {
  protected:
    void SetUp() override { SetHelpViewer(viewer_); }
    void TearDown() override { SetHelpViewer(nullptr); }

    std::shared_ptr<RecordingHelpViewer> viewer_ = std::make_shared<RecordingHelpViewer>();
};

void ExpectRequest(const HelpRequest& r, HelpKind kind, const char* topic, const char* search) {
    EXPECT_EQ(r.file, "zembrola.chm");
    EXPECT_EQ(r.kind, kind);
    EXPECT_EQ(r.topic, topic);
    EXPECT_EQ(r.search, search);
}

TEST_F(HelpTest, EachShowSendsItsRequest) {
    Help help;
    help.Init("zembrola.chm");
    help.SetTopic("MainFrame.htm");
    EXPECT_EQ(help.Topic(), "MainFrame.htm");
    EXPECT_TRUE(help.ShowTopic());
    help.ShowContents();
    help.ShowSearch("keyword ads");
    help.ShowSearch();
    help.ShowHelpOnHelp();

    const std::vector<HelpRequest> requests = viewer_->Requests();
    ASSERT_EQ(requests.size(), 5u);
    ExpectRequest(requests[0], HelpKind::Topic, "MainFrame.htm", "");
    ExpectRequest(requests[1], HelpKind::Contents, "", "");
    ExpectRequest(requests[2], HelpKind::Search, "", "keyword ads");
    ExpectRequest(requests[3], HelpKind::Search, "", "");
    ExpectRequest(requests[4], HelpKind::HelpOnHelp, "", "");
}

TEST_F(HelpTest, ShowsNothingWithoutATopicOrAfterKill) {
    Help help;
    EXPECT_FALSE(help.ShowTopic());  // not initialised
    help.ShowContents();
    help.Init("zembrola.chm");
    EXPECT_FALSE(help.ShowTopic());  // the splash has no topic
    help.SetTopic("About.htm");
    help.Init("zembrola.chm");  // a new binding starts without one
    EXPECT_EQ(help.Topic(), "");
    EXPECT_FALSE(help.ShowTopic());
    help.SetTopic("About.htm");
    help.Kill();
    EXPECT_FALSE(help.ShowTopic());
    help.ShowSearch("x");
    help.ShowHelpOnHelp();
    EXPECT_TRUE(viewer_->Requests().empty());
}

TEST_F(HelpTest, WithoutAViewerRequestsGoNowhere) {
    SetHelpViewer(nullptr);
    ASSERT_TRUE(CurrentHelpViewer());
    Help help;
    help.Init("zembrola.chm");
    help.SetTopic("BuildList.htm");
    EXPECT_TRUE(help.ShowTopic());
    EXPECT_FALSE(viewer_->Last());
}

// Window threads ask for help while the display server replaces the viewer.
TEST_F(HelpTest, ViewerCanBeReplacedWhileWindowsAskForHelp) {
    constexpr int kThreads = 4, kRounds = 500;
    auto second = std::make_shared<RecordingHelpViewer>();
    std::latch start(kThreads + 1);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&start] {
            Help help;
            help.Init("zembrola.chm");
            help.SetTopic("UpdateSite.htm");
            start.arrive_and_wait();
            for (int round = 0; round < kRounds; ++round) help.ShowTopic();
        });
    }
    threads.emplace_back([&] {
        start.arrive_and_wait();
        for (int round = 0; round < kRounds; ++round) {
            SetHelpViewer(round % 2 ? viewer_ : second);
        }
    });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(viewer_->Requests().size() + second->Requests().size(),
              static_cast<std::size_t>(kThreads * kRounds));
    ASSERT_TRUE(viewer_->Last() || second->Last());
}

}  // namespace
}  // namespace zem::ui
