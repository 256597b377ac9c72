// The frame, the about box and the program's end, through the frame's menus and buttons.
#include <gtest/gtest.h>

#include <filesystem>

#include "program_windows.h"

namespace zem::test {
namespace {

using FrameWindow = ProgramWindowsTest;

TEST_F(FrameWindow, AboutOpensFromTheHelpMenuCoversTheFrameAndClosesWithItsButton) {
    StartProgram();
    ASSERT_TRUE(Click(frame, "?HELPABOUT"));
    const auto about = WaitForWindow("AboutForm");
    ASSERT_TRUE(about);
    EXPECT_EQ(Shown(*about, "?CLOSE"), "&Close");
    EXPECT_EQ(Qt().WindowEnabled(frame), false);
    EXPECT_TRUE(Shot(frame, "frame"));
    EXPECT_TRUE(Shot(*about, "about"));
    ASSERT_TRUE(Click(*about, "?CLOSE"));
    ASSERT_TRUE(WaitForClose(*about));
    EXPECT_EQ(Qt().WindowEnabled(frame), true);
    EXPECT_EQ(Quit(), 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "quorel.ini"));
}

}  // namespace
}  // namespace zem::test
