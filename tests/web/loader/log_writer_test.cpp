// The log writer: one whole line per call, cut at 256 bytes, appended by many threads at once,
// silent when the file can't be written.
#include "web/log_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace zem::HTTP {
namespace {

class LogWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.Path());
    }
    void TearDown() override { std::filesystem::current_path(home_); }

    static std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        std::ifstream in(LogWriter::kFileName);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    test::TempDir dir_;
    std::filesystem::path home_;
};

TEST_F(LogWriterTest, CreatesTheFileAndAppendsLines) {
    const LogWriter log;
    log.WriteLog("Prepare connect: http://a/");
    LogWriter().WriteLog("Connected: http://a/");
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{"Prepare connect: http://a/", "Connected: http://a/"}));
}

TEST_F(LogWriterTest, CutsLinesAt256Bytes) {
    const std::string longText = "Prepare connect: http://a/" + std::string(400, 'x');
    LogWriter().WriteLog(longText);
    LogWriter().WriteLog(std::string(256, 'y'));
    LogWriter().WriteLog("");
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], longText.substr(0, 256));
    EXPECT_EQ(lines[1], std::string(256, 'y'));
    EXPECT_EQ(lines[2], "");
}

TEST_F(LogWriterTest, AFailedWriteIsSilent) {
    // A directory where the file should be: the open fails, nothing is thrown or written.
    std::filesystem::create_directory(LogWriter::kFileName);
    EXPECT_NO_THROW(LogWriter().WriteLog("lost"));
    EXPECT_TRUE(std::filesystem::is_directory(LogWriter::kFileName));
}

TEST_F(LogWriterTest, ManyThreadsWriteWholeLines) {
    constexpr int kThreads = 8;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            const LogWriter log;  // each loader has its own writer
            for (int i = 0; i < kLines; ++i)
                log.WriteLog("Loaded " + std::to_string(i) + " on http://host/" +
                             std::to_string(t) + std::string(100, 'p'));
        });
    }
    for (auto& thread : threads) thread.join();
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
    std::map<int, int> next;  // per thread, the next line number expected
    for (const std::string& line : lines) {
        const auto on = line.find(" on http://host/");
        ASSERT_NE(on, std::string::npos) << line;
        const int i = std::stoi(line.substr(7, on - 7));
        const std::string rest = line.substr(on + 16);
        const int t = std::stoi(rest);
        EXPECT_EQ(rest, std::to_string(t) + std::string(100, 'p'));
        EXPECT_EQ(i, next[t]++) << "lines of one writer keep their order";
    }
}

}  // namespace
}  // namespace zem::HTTP
