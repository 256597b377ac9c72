#include "platform/win/clipboard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zem::win {
namespace {

constexpr int kRounds = 2000;

// Two threads each copy their own texts and read the clipboard back; every read must be a
// whole text one of them wrote, never a mix.
void CopyFromTwoThreads() {
    const std::vector<std::string> texts = {
        std::string(300, 'a') + "\tkeyword\r\n",
        std::string("Caf\xE9 \x80 5\xA5 ") + std::string(500, 'b'),
    };
    std::latch start(2);
    std::atomic<int> torn{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            for (int round = 0; round < kRounds; ++round) {
                SetClipboardText(texts[t]);
                const std::string seen = ClipboardText();
                if (seen != texts[0] && seen != texts[1]) ++torn;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(torn.load(), 0);
    const std::string last = ClipboardText();
    EXPECT_TRUE(last == texts[0] || last == texts[1]);
}

class ClipboardTest : public ::testing::Test {
  protected:
    void SetUp() override { SetClipboardBackend({}); }
    void TearDown() override { SetClipboardBackend({}); }
};

TEST_F(ClipboardTest, InProcessClipboardKeepsBytesAsTheyAre) {
    // Code page bytes, a NUL and line ends go through unchanged.
    constexpr char kBytes[] = "Price \x80 12\0,50\r\n\xA3";
    const std::string text(kBytes, sizeof kBytes - 1);
    SetClipboardText(text);
    EXPECT_EQ(ClipboardText(), text);
    SetClipboardText("");
    EXPECT_EQ(ClipboardText(), "");
}

TEST_F(ClipboardTest, InProcessClipboardFromTwoThreads) {
    CopyFromTwoThreads();
}

// Stands in for the display server's clipboard.
struct DesktopClipboard {
    std::mutex mutex;
    std::string text;
    int sets = 0;

    ClipboardBackend Backend() {
        return {[this](const std::string& value) {
                    std::lock_guard lock(mutex);
                    text = value;
                    ++sets;
                },
                [this] {
                    std::lock_guard lock(mutex);
                    return text;
                }};
    }
};

TEST_F(ClipboardTest, InstalledBackendIsUsedUntilRemoved) {
    SetClipboardText("kept in process");
    DesktopClipboard desktop;
    desktop.text = "from another program";
    SetClipboardBackend(desktop.Backend());
    EXPECT_EQ(ClipboardText(), "from another program");
    SetClipboardText("keywords");
    EXPECT_EQ(desktop.text, "keywords");
    EXPECT_EQ(ClipboardText(), "keywords");

    CopyFromTwoThreads();
    EXPECT_EQ(desktop.sets, 1 + 2 * kRounds);

    // A backend missing either function is no backend.
    SetClipboardBackend({desktop.Backend().set, {}});
    EXPECT_EQ(ClipboardText(), "kept in process");
    SetClipboardBackend(desktop.Backend());
    SetClipboardBackend({});
    EXPECT_EQ(ClipboardText(), "kept in process");
}

TEST_F(ClipboardTest, BackendMayRemoveItselfWhileRunning) {
    // The backend is called without the clipboard's lock and is kept alive for the call.
    SetClipboardText("");
    DesktopClipboard desktop;
    SetClipboardBackend({[&desktop](const std::string& value) {
                             desktop.Backend().set(value);
                             SetClipboardBackend({});
                         },
                         [&desktop] { return desktop.Backend().get(); }});
    SetClipboardText("once");
    EXPECT_EQ(desktop.text, "once");
    EXPECT_EQ(ClipboardText(), "");
}

}  // namespace
}  // namespace zem::win
