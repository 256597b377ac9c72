#include "platform/win/system_parameters.h"

#include <gtest/gtest.h>

namespace zem::win {
namespace {

class SystemParametersTest : public ::testing::Test {
  protected:
    void TearDown() override { SetDesktopDragFullWindowsForTest(true); }
};

long ReadDragSetting() {
    long value = -1;
    EXPECT_TRUE(SystemParametersInfo(SPI_GETDRAGFULLWINDOWS, 0, &value, 0));
    return value;
}

TEST_F(SystemParametersTest, ReadsTheStartValue) {
    for (const bool on : {true, false}) {
        SetDesktopDragFullWindowsForTest(on);
        EXPECT_EQ(ReadDragSetting(), on ? 1 : 0);
        EXPECT_EQ(DesktopDragFullWindows(), on);
    }
}

TEST_F(SystemParametersTest, ShellSwitchesDraggingOffAndBackOn) {
    SetDesktopDragFullWindowsForTest(true);
    long dummy = 0;
    // What the shell does at start and at the end.
    EXPECT_TRUE(SystemParametersInfo(SPI_SETDRAGFULLWINDOWS, 0, &dummy,
                                     SPIF_UPDATEINIFILE | SPIF_SENDCHANGE));
    EXPECT_EQ(ReadDragSetting(), 0);
    EXPECT_FALSE(DesktopDragFullWindows());
    EXPECT_TRUE(SystemParametersInfo(SPI_SETDRAGFULLWINDOWS, 1, &dummy, 3));
    EXPECT_EQ(ReadDragSetting(), 1);
    EXPECT_EQ(dummy, 0);  // the buffer of a SET is left alone
    // Any non-zero param means on; the buffer may be missing.
    EXPECT_TRUE(SystemParametersInfo(SPI_SETDRAGFULLWINDOWS, 0, nullptr, 0));
    EXPECT_TRUE(SystemParametersInfo(SPI_SETDRAGFULLWINDOWS, 7, nullptr, 0));
    EXPECT_TRUE(DesktopDragFullWindows());
}

TEST_F(SystemParametersTest, RefusesUnknownActionsAndAMissingBuffer) {
    SetDesktopDragFullWindowsForTest(false);
    long value = 42;
    for (const unsigned action : {0u, 36u, 39u, 0x1000u}) {
        EXPECT_FALSE(SystemParametersInfo(action, 1, &value, 0)) << action;
    }
    EXPECT_EQ(value, 42);
    EXPECT_FALSE(SystemParametersInfo(SPI_GETDRAGFULLWINDOWS, 0, nullptr, 0));
    EXPECT_FALSE(DesktopDragFullWindows());
}

}  // namespace
}  // namespace zem::win
