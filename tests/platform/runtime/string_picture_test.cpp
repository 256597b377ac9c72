#include "platform/runtime/string_picture.h"

#include <gtest/gtest.h>

#include <ostream>

#include "platform/runtime/picture_kind.h"

namespace zem::runtime {
namespace {

struct StringCase {
    const char* text;
    const char* picture;
    const char* shown;
    const char* read;
};

std::ostream& operator<<(std::ostream& out, const StringCase& c) {
    return out << "\"" << c.text << "\" in \"" << c.picture << "\"";
}

class StringPictureTest : public ::testing::TestWithParam<StringCase> {};

TEST_P(StringPictureTest, CutsOrPadsToTheWidth) {
    const StringCase c = GetParam();
    EXPECT_EQ(FormatString(c.text, c.picture), c.shown);
    EXPECT_EQ(DeformatString(c.text, c.picture), c.read);
}

INSTANTIATE_TEST_SUITE_P(Pictures, StringPictureTest,
                         ::testing::Values(StringCase{"abc", "s5", "abc  ", "abc"},
                                           StringCase{"abcdefgh", "s5", "abcde", "abcde"},
                                           StringCase{"abc", "@S3", "abc", "abc"},
                                           StringCase{"", "s2", "  ", ""},
                                           StringCase{"ab  ", "s3", "ab ", "ab "},
                                           StringCase{"Sm\xE9gol", "s4", "Sm\xE9g", "Sm\xE9g"},
                                           // Pictures that can't be read leave the text alone.
                                           StringCase{"abc", "s0", "abc", "abc"},
                                           StringCase{"abc", "x5", "abc", "abc"},
                                           StringCase{"abc", "s70000", "abc", "abc"},
                                           StringCase{"abc", "s5x", "abc", "abc"}));

TEST(PictureKindTest, TheLetterAfterTheOptionalAtDecides) {
    EXPECT_EQ(KindOfPicture("@n_10.2"), PictureKind::Number);
    EXPECT_EQ(KindOfPicture("N8.2~ %~"), PictureKind::Number);
    EXPECT_EQ(KindOfPicture("s20"), PictureKind::String);
    EXPECT_EQ(KindOfPicture("@d17"), PictureKind::DateValue);
    EXPECT_EQ(KindOfPicture("T8"), PictureKind::TimeValue);
    EXPECT_EQ(KindOfPicture("@"), PictureKind::Unknown);
    EXPECT_EQ(KindOfPicture(""), PictureKind::Unknown);
    EXPECT_EQ(KindOfPicture("x5"), PictureKind::Unknown);
}

}  // namespace
}  // namespace zem::runtime
