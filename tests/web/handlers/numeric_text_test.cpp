#include "web/numeric_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace zem::test {
namespace {

using web::NumericValue;
using web::NumericValueAs;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

struct NumberCase {
    const char* text;
    std::int64_t value;
};

const NumberCase kNumbers[] = {
    {"2999", 2999},
    {"  42", 42},     // blanks before the number
    {"\r\n\t 7", 7},  // line ends as an indented reply writes them
    {"-15", -15},
    {"+9", 9},
    {"12abc", 12},  // stops at the first other character
    {"3.75", 3},    // a point is another character
    {"1 2", 1},
    {"abc", 0},
    {"", 0},
    {"-", 0},
    {" - 5", 0},                    // no blanks between sign and digits
    {"9223372036854775807", kMax},  // the largest that fits
    {"9223372036854775808", kMax},  // one beyond
    {"99999999999999999999999999", kMax},
    {"-9223372036854775808", kMin},
    {"-99999999999999999999999999", kMin},
    {"00000000000000000000000000012", 12},  // leading zeros never overflow
};

TEST(NumericValue, ReadsLeadingNumberAndClampsToRange) {
    for (const NumberCase& c : kNumbers) EXPECT_EQ(NumericValue(c.text), c.value) << c.text;
}

TEST(NumericValue, ClampsToTheTargetType) {
    EXPECT_EQ(NumericValueAs<std::int32_t>("3000000000"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(NumericValueAs<std::int32_t>("-3000000000"),
              std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(NumericValueAs<std::int32_t>("-1234"), -1234);
    EXPECT_EQ(NumericValueAs<std::uint8_t>("300"), 255);
    EXPECT_EQ(NumericValueAs<std::uint8_t>("-1"), 0);
    EXPECT_EQ(NumericValueAs<std::uint8_t>("1"), 1);
}

}  // namespace
}  // namespace zem::test
