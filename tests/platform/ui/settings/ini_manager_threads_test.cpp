#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/settings/ini_manager.h"
#include "support/temp_dir.h"

namespace zem::ui {
namespace {

constexpr int kWindowThreads = 4;
constexpr int kRounds = 300;
constexpr int kSaves = 40;

// Every window thread stores its own placement and settings while the shell saves and another
// program reads the file: each thread reads back a whole placement of its own, and the file on
// disk is always a complete one.
TEST(IniManagerThreadsTest, WindowsUpdateWhileTheFileIsSaved) {
    test::TempDir dir;
    const std::filesystem::path file = dir / "quorel.ini";
    IniManager ini;
    ini.Init(file);
    // The windows' sections first, then a last section that every complete file ends with.
    for (int t = 0; t < kWindowThreads; ++t) {
        ini.SaveWindow("Window" + std::to_string(t), {0, 0, 1, 1, false});
        ini.Update("Window" + std::to_string(t), "Sort", "0");
    }
    for (int i = 0; i < 200; ++i) ini.Update("Padding", "Key" + std::to_string(i), "value");
    ini.Update("End", "Complete", "yes");
    ASSERT_TRUE(ini.Save());

    std::latch start(kWindowThreads + 2);
    std::atomic<bool> saving{true};
    std::atomic<int> torn{0}, partialFiles{0}, failedSaves{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kWindowThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string procedure = "Window" + std::to_string(t);
            start.arrive_and_wait();
            for (int round = 1; round <= kRounds; ++round) {
                ini.SaveWindow(procedure, {round, round, round * 2, round * 3, round % 2 == 1});
                ini.Update(procedure, "Sort", std::to_string(round));
                const auto back = ini.FetchWindow(procedure);
                if (!back || back->x != round || back->y != round || back->width != round * 2 ||
                    back->height != round * 3 || back->maximized != (round % 2 == 1)) {
                    ++torn;
                }
                if (ini.Fetch(procedure, "sort") != std::to_string(round)) ++torn;
            }
        });
    }
    threads.emplace_back([&] {
        start.arrive_and_wait();
        for (int i = 0; i < kSaves; ++i) {
            if (!ini.Save()) ++failedSaves;
        }
        saving = false;
    });
    threads.emplace_back([&] {
        start.arrive_and_wait();
        while (saving) {
            std::ifstream in(file, std::ios::binary);
            const std::string text(std::istreambuf_iterator<char>(in), {});
            if (!text.ends_with("\n[End]\nComplete=yes\n")) ++partialFiles;
        }
    });
    for (auto& thread : threads) thread.join();

    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(partialFiles.load(), 0);
    EXPECT_EQ(failedSaves.load(), 0);

    // The last save holds each thread's last placement.
    ASSERT_TRUE(ini.Save());
    IniManager reread;
    reread.Init(file);
    for (int t = 0; t < kWindowThreads; ++t) {
        const auto placement = reread.FetchWindow("Window" + std::to_string(t));
        ASSERT_TRUE(placement);
        EXPECT_EQ(placement->x, kRounds);
    }
}

}  // namespace
}  // namespace zem::ui
