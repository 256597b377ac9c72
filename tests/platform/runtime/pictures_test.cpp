#include "platform/runtime/pictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <optional>
#include <ostream>
#include <string>

namespace zem::runtime {
namespace {

struct FormatCase {
    double value;
    const char* picture;
    const char* shown;
};

std::ostream& operator<<(std::ostream& out, const FormatCase& c) {
    return out << std::setprecision(17) << c.value << " in \"" << c.picture << "\" -> \"" << c.shown
               << "\"";
}

class FormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, ShowsTheValueInThePicture) {
    EXPECT_EQ(FormatNumber(GetParam().value, GetParam().picture), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, FormatTest,
    ::testing::Values(
        // Fixed-width blank-filled pictures: no grouping, minus in front.
        FormatCase{1234.5, "n_10.2", "   1234.50"}, FormatCase{-1234.5, "n_10.2", "  -1234.50"},
        FormatCase{0, "n_6.2", "  0.00"}, FormatCase{5.5, "n_8.2", "    5.50"},
        FormatCase{19.99, "n_14.2", "         19.99"},
        FormatCase{1234567.5, "n_14.2", "    1234567.50"},
        FormatCase{1234.5, "@n_10.2", "   1234.50"},
        // The literal follows the number and is not counted in the width.
        FormatCase{17.95, "n_8.2~ %~", "   17.95 %"}, FormatCase{-3.2, "n_8.2~ %~", "   -3.20 %"},
        // Grouped pictures.
        FormatCase{1234567.891, "n14.2", "  1,234,567.89"},
        FormatCase{-1234567, "n-14", "    -1,234,567"}, FormatCase{999, "n-14", "           999"},
        FormatCase{999.99, "n10.2", "    999.99"}, FormatCase{-1000, "n10.2", " -1,000.00"},
        FormatCase{7, "n3", "  7"},
        // Zero fill goes between the sign and the digits.
        FormatCase{42, "n05", "00042"}, FormatCase{-42, "n06", "-00042"},
        FormatCase{3.5, "n06.2", "003.50"},
        // Too wide: shown whole.
        FormatCase{123456.78, "n_6.2", "123456.78"}, FormatCase{-123456.78, "n_6.2", "-123456.78"},
        FormatCase{1000, "n3", "1,000"}, FormatCase{1e21, "n_6", "1000000000000000000000"},
        FormatCase{999.995, "n_6.2", "1000.00"}, FormatCase{99999.5, "n6", "100,000"},
        // Rounding follows the decimal digits, half away from zero.
        FormatCase{0.125, "n_6.2", "  0.13"}, FormatCase{2.675, "n_6.2", "  2.68"},
        FormatCase{-2.675, "n_6.2", " -2.68"}, FormatCase{17.945, "n_8.2", "   17.95"},
        FormatCase{1.005, "n_6.2", "  1.01"}, FormatCase{0.005, "n_6.2", "  0.01"},
        FormatCase{0.0049, "n_6.2", "  0.00"}, FormatCase{9.995, "n_6.2", " 10.00"},
        FormatCase{0.1 + 0.2, "n_6.2", "  0.30"}, FormatCase{2.5, "n3", "  3"},
        FormatCase{-2.5, "n3", " -3"}, FormatCase{12.5, "n_6", "    13"},
        FormatCase{1.25, "n_6.1", "   1.3"},
        // Nothing negative is left to show.
        FormatCase{-0.0, "n_6.2", "  0.00"}, FormatCase{-0.004, "n_6.2", "  0.00"},
        FormatCase{-0.004, "n06.2", "000.00"}, FormatCase{-0.4, "n3", "  0"},
        // "B" blanks a value that shows as zero, literal included.
        FormatCase{0, "n_10B", "          "}, FormatCase{7, "@n_10B", "         7"},
        FormatCase{0, "n_3~Yes~B", "   "}, FormatCase{1, "n_3~Yes~B", "  1Yes"},
        FormatCase{1, "n3~Yes~B", "  1Yes"}, FormatCase{0.004, "n_6.2B", "      "},
        FormatCase{0.005, "n_6.2B", "  0.01"}, FormatCase{-0.0, "n3B", "   "},
        FormatCase{-12.5, "n-_7.2", " -12.50"},
        // A picture that can't be read still shows every digit.
        FormatCase{1234.5, "x12", "1234.5"}, FormatCase{-0.5, "n_10.2~ %", "-0.5"},
        FormatCase{-0.0, "", "0"}));

struct DeformatCase {
    const char* text;
    const char* picture;
    std::optional<double> value;
};

std::ostream& operator<<(std::ostream& out, const DeformatCase& c) {
    return out << "\"" << c.text << "\" in \"" << c.picture << "\"";
}

class DeformatTest : public ::testing::TestWithParam<DeformatCase> {};

TEST_P(DeformatTest, ReadsTheValueBack) {
    EXPECT_EQ(DeformatNumber(GetParam().text, GetParam().picture), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DeformatTest,
    ::testing::Values(
        DeformatCase{"   17.95 %", "n_8.2~ %~", 17.95}, DeformatCase{"17.95", "n_8.2~ %~", 17.95},
        DeformatCase{"  -3.20 % ", "n_8.2~ %~", -3.2},
        DeformatCase{"  1,234,567.89", "n14.2", 1234567.89},
        DeformatCase{"  -1234.50", "n_10.2", -1234.5}, DeformatCase{"-00042", "n06", -42},
        DeformatCase{"1,234", "n_10", 1234}, DeformatCase{"+5", "n3", 5},
        DeformatCase{".5", "n_6.2", 0.5}, DeformatCase{"7.", "n_6.2", 7},
        DeformatCase{"1.239", "n_6.2", 1.239}, DeformatCase{"-0.00", "n_6.2", 0.0},
        // A cleared field holds zero.
        DeformatCase{"", "n_10.2", 0.0}, DeformatCase{"    ", "n_10.2", 0.0},
        DeformatCase{"          ", "n_10B", 0.0}, DeformatCase{"  1Yes", "n_3~Yes~B", 1.0},
        // No number.
        DeformatCase{"abc", "n_10.2", std::nullopt}, DeformatCase{"12a", "n_10.2", std::nullopt},
        DeformatCase{"1.2.3", "n_10.2", std::nullopt}, DeformatCase{"-", "n_10.2", std::nullopt},
        DeformatCase{".", "n_10.2", std::nullopt}, DeformatCase{"1e5", "n_10.2", std::nullopt},
        DeformatCase{"--5", "n_10.2", std::nullopt}, DeformatCase{"- 5", "n_10.2", std::nullopt},
        DeformatCase{",123", "n14.2", std::nullopt}, DeformatCase{"12.3,4", "n14.2", std::nullopt},
        DeformatCase{"17.95 %", "n_8.2", std::nullopt},
        DeformatCase{"1 234", "n14.2", std::nullopt}));

TEST(DeformatTest, NegativeZeroComesBackAsPlainZero) {
    const std::optional<double> value = DeformatNumber("-0", "n3");
    ASSERT_TRUE(value);
    EXPECT_FALSE(std::signbit(*value));
}

class RoundTripTest : public ::testing::TestWithParam<const char*> {};

TEST_P(RoundTripTest, DeformatReadsWhatFormatWrote) {
    const char* picture = GetParam();
    for (const double value : {0.0, 1.0, -1.0, 17.95, -17.95, 0.01, -0.01, 2.5, 123456.78,
                               999999.99, -1234567.89, 1e12 + 0.25}) {
        const std::string shown = FormatNumber(value, picture);
        EXPECT_EQ(DeformatNumber(shown, picture), value) << '"' << shown << '"';
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, RoundTripTest,
                         ::testing::Values("n_10.2", "n_6.2", "n_8.2", "n_8.2~ %~", "n14.2",
                                           "n_14.2", "n010.2", "n-14.2", "n3.2"));

struct TrimCase {
    const char* text;
    const char* trimmed;
};

std::ostream& operator<<(std::ostream& out, const TrimCase& c) {
    return out << "\"" << c.text << "\"";
}

class TrimmedTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimmedTest, DropsOuterBlanksOnly) {
    EXPECT_EQ(Trimmed(GetParam().text), GetParam().trimmed);
}

INSTANTIATE_TEST_SUITE_P(Texts, TrimmedTest,
                         ::testing::Values(TrimCase{"   17.95 %", "17.95 %"},
                                           TrimCase{"  a b  ", "a b"}, TrimCase{"x", "x"},
                                           TrimCase{"", ""}, TrimCase{"    ", ""}));

}  // namespace
}  // namespace zem::runtime
