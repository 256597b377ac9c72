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
                SetClipboardText(texts[t], 0);
                const std::string seen = ClipboardText(0);
                if (seen != texts[0] && seen != texts[1]) ++torn;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(torn.load(), 0);
    const std::string last = ClipboardText(0);
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
    SetClipboardText(text, 0);
    EXPECT_EQ(ClipboardText(0), text);
    SetClipboardText("", 0);
    EXPECT_EQ(ClipboardText(0), "");
}

// What a reader in one character set gets of a text copied in another: the same characters
// where its character set has them, "?" where it does not.
TEST_F(ClipboardTest, InProcessClipboardHandsTextOnInTheReadersCharset) {
    struct Case {
        const char* what;
        std::string text;
        int copiedIn;
        int readIn;
        std::string read;
    };
    // "JP春 ロボット" in Shift-JIS.
    const std::string japanese =
        "JP\x8Ft \x83\x8D\x83{\x83"
        "b\x83g";
    const Case cases[] = {
        {"the same charset", japanese, 128, 128, japanese},
        {"Shift-JIS read as 1252", japanese, 128, 0, "JP? ????"},
        {"1252 read as Shift-JIS", "Caf\xE9 5\xA5", 0, 128, "Caf? 5\x81\x8F"},
        {"ASCII", "plain\ttext\r\n", 0, 128, "plain\ttext\r\n"},
        {"an unknown charset reads as 1252", "Caf\xE9", 0, 1, "Caf\xE9"},
        {"1251 goes as it is", "\xCF\xF0", 204, 0, "\xCF\xF0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetClipboardText(c.text, c.copiedIn);
        EXPECT_EQ(ClipboardText(c.readIn), c.read);
        EXPECT_EQ(ClipboardText(c.copiedIn), c.text);  // the copy itself is kept
    }
}

TEST_F(ClipboardTest, InProcessClipboardFromTwoThreads) {
    CopyFromTwoThreads();
}

// Stands in for the display server's clipboard.
struct DesktopClipboard {
    std::mutex mutex;
    std::string text;
    int charset = -1;  // of the last text set
    int readIn = -1;   // the charset of the last read
    int sets = 0;

    ClipboardBackend Backend() {
        return {[this](const std::string& value, int in) {
                    std::lock_guard lock(mutex);
                    text = value;
                    charset = in;
                    ++sets;
                },
                [this](int in) {
                    std::lock_guard lock(mutex);
                    readIn = in;
                    return text;
                }};
    }
};

TEST_F(ClipboardTest, InstalledBackendIsUsedUntilRemoved) {
    SetClipboardText("kept in process", 0);
    DesktopClipboard desktop;
    desktop.text = "from another program";
    SetClipboardBackend(desktop.Backend());
    EXPECT_EQ(ClipboardText(128), "from another program");
    EXPECT_EQ(desktop.readIn, 128);
    // The backend gets the caller's charset with the bytes.
    SetClipboardText("keywords", 128);
    EXPECT_EQ(desktop.text, "keywords");
    EXPECT_EQ(desktop.charset, 128);
    EXPECT_EQ(ClipboardText(0), "keywords");
    EXPECT_EQ(desktop.readIn, 0);

    CopyFromTwoThreads();
    EXPECT_EQ(desktop.sets, 1 + 2 * kRounds);

    // A backend missing either function is no backend.
    SetClipboardBackend({desktop.Backend().set, {}});
    EXPECT_EQ(ClipboardText(0), "kept in process");
    SetClipboardBackend(desktop.Backend());
    SetClipboardBackend({});
    EXPECT_EQ(ClipboardText(0), "kept in process");
}

TEST_F(ClipboardTest, BackendMayRemoveItselfWhileRunning) {
    // The backend is called without the clipboard's lock and is kept alive for the call.
    SetClipboardText("", 0);
    DesktopClipboard desktop;
    SetClipboardBackend({[&desktop](const std::string& value, int charset) {
                             desktop.Backend().set(value, charset);
                             SetClipboardBackend({});
                         },
                         [&desktop](int charset) { return desktop.Backend().get(charset); }});
    SetClipboardText("once", 0);
    EXPECT_EQ(desktop.text, "once");
    EXPECT_EQ(ClipboardText(0), "");
}

}  // namespace
}  // namespace zem::win
