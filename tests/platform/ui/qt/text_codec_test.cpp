#include "platform/ui/qt/text_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zem::ui::qt {
namespace {

struct Case {
    int charset;
    std::string bytes;
    const char* utf8;
};

TEST(QtTextCodecTest, DecodesAndEncodesByCharacterSet) {
    const std::vector<Case> cases{
        {0, "plain", "plain"},
        {0, "\x80 \x9F \xE9", "\u20AC \u0178 \u00E9"},
        {0, "\x81\x8D\x8F\x90\x9D", "\u0081\u008D\u008F\u0090\u009D"},  // undefined in 1252
        {128, "\x82\xA0", "\u3042"},
        {128, "\x93\xFA\x96\x7B", "\u65E5\u672C"},
        {128, "ab\xB1", "ab\uFF71"},  // half-width katakana
        {204, "\xCF\xEE\xE4\xF2\xE2\xE5\xF0\xE4\xE8\xF2\xE5",
         "\u041F\u043E\u0434\u0442\u0432\u0435\u0440\u0434\u0438\u0442\u0435"},
        {204, "OK \xB8", "OK \u0451"},
        {1, "\xE9", "\u00E9"},  // other character sets are taken as 1252
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(Decode(c.bytes, c.charset), QString::fromUtf8(c.utf8));
        EXPECT_EQ(Encode(QString::fromUtf8(c.utf8), c.charset), c.bytes);
    }
}

TEST(QtTextCodecTest, CharactersOutsideTheCharacterSetBecomeQuestionMarks) {
    EXPECT_EQ(Encode(QString::fromUtf8("a\u3042b"), 0), "a?b");
    EXPECT_EQ(Encode(QString::fromUtf8("x\U0001F600y"), 0), "x?y");
    EXPECT_EQ(Encode(QString::fromUtf8("\u00E9\u3042"), 128), "?\x82\xA0");
    EXPECT_EQ(Decode("", 128), QString());
    EXPECT_EQ(Encode(QString(), 0), "");
}

TEST(QtTextCodecTest, ATextCutInsideACharacterLeavesNothingForTheNext) {
    // The first text ends on a lead byte; the next one reads as it would alone.
    for (int round = 0; round < 2; ++round) {
        Decode("ab\x82", 128);
        EXPECT_EQ(Decode("\xB1", 128), QString::fromUtf8("\uFF71"));
        EXPECT_EQ(Decode("\xCF", 204), QString::fromUtf8("\u041F"));
    }
}

TEST(QtTextCodecTest, ControlFontCharsetOverridesTheWindows) {
    EXPECT_EQ(ControlCharset(-1, 128), 128);
    EXPECT_EQ(ControlCharset(0, 128), 0);
    EXPECT_EQ(ControlCharset(128, 0), 128);
}

}  // namespace
}  // namespace zem::ui::qt
