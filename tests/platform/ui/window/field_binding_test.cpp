#include "platform/ui/window/field_binding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace zem::ui {
namespace {

constexpr char kGuard = '#';

// A record field with the byte that follows it in the packed record, so an overrun shows.
#pragma pack(push, 1)
template <std::size_t N>
struct Guarded {
    char field[N];
    char guard = kGuard;
};
#pragma pack(pop)

template <std::size_t N>
Guarded<N> FilledWith(char c) {
    Guarded<N> g;
    std::memset(g.field, c, N);
    return g;
}

template <std::size_t N>
std::string Bytes(const Guarded<N>& g) {
    return std::string(g.field, N);
}

struct TextCase {
    std::string_view typed;
    std::string_view stored;  // all bytes of the 5-byte field
    std::string_view shown;
};

TEST(FieldBindingTest, StringFieldIsBlankPaddedAndCutAtItsSize) {
    const std::vector<TextCase> cases{
        {"abc", "abc  ", "abc"}, {"abcde", "abcde", "abcde"}, {"abcdefgh", "abcde", "abcde"},
        {"", "     ", ""},       {" a b", " a b ", " a b"},
    };
    for (const TextCase& c : cases) {
        auto record = FilledWith<5>('x');
        const Binding binding = StringField(record.field, sizeof record.field);
        binding.set(c.typed);
        EXPECT_EQ(Bytes(record), c.stored) << "typed \"" << c.typed << '"';
        EXPECT_EQ(record.guard, kGuard) << "typed \"" << c.typed << '"';
        EXPECT_EQ(binding.get(), c.shown) << "typed \"" << c.typed << '"';
    }
}

TEST(FieldBindingTest, StringFieldShowsWithoutTrailingBlanksOrNuls) {
    Guarded<6> record;
    std::memcpy(record.field, "ab \0\0\0", 6);
    EXPECT_EQ(StringField(record.field, 6).get(), "ab");
    std::memcpy(record.field, "abcdef", 6);  // full: no terminator to stop at
    EXPECT_EQ(StringField(record.field, 6).get(), "abcdef");
}

TEST(FieldBindingTest, CStringFieldIsNulTerminatedAndNeverOverruns) {
    const std::vector<TextCase> cases{
        {"ab", std::string_view("ab\0\0\0", 5), "ab"},
        {"abcd", std::string_view("abcd\0", 5), "abcd"},
        {"abcde", std::string_view("abcd\0", 5), "abcd"},
        {"abcdefghij", std::string_view("abcd\0", 5), "abcd"},
        {"", std::string_view("\0\0\0\0\0", 5), ""},
    };
    for (const TextCase& c : cases) {
        auto record = FilledWith<5>('x');
        const Binding binding = CStringField(record.field, sizeof record.field);
        binding.set(c.typed);
        EXPECT_EQ(Bytes(record), c.stored) << "typed \"" << c.typed << '"';
        EXPECT_EQ(record.guard, kGuard) << "typed \"" << c.typed << '"';
        EXPECT_EQ(binding.get(), c.shown) << "typed \"" << c.typed << '"';
    }
}

TEST(FieldBindingTest, CStringFieldReadsNoFurtherThanItsSize) {
    // A field a damaged record left without its terminator.
    auto record = FilledWith<4>('z');
    EXPECT_EQ(CStringField(record.field, 4).get(), "zzzz");
}

// A switch of N bytes, read back as the integer the record holds.
template <std::size_t N>
void ExpectSwitchStores(std::string_view typed, unsigned stored) {
    SCOPED_TRACE(std::to_string(N) + " bytes, typed \"" + std::string(typed) + '"');
    auto record = FilledWith<N>(0x7F);
    const Binding binding = SwitchField(record.field, N);
    binding.set(typed);
    std::uint32_t value = 0;
    std::memcpy(&value, record.field, N);  // the low bytes of a little-endian integer
    EXPECT_EQ(value, stored);
    EXPECT_EQ(record.guard, kGuard);
    EXPECT_EQ(binding.get(), stored ? "1" : "0");
}

TEST(FieldBindingTest, SwitchFieldStoresExactlyZeroOrOne) {
    const std::vector<std::pair<std::string_view, unsigned>> cases{
        {"1", 1}, {"0", 0}, {"", 0}, {"2", 1}, {"yes", 1}, {"00", 1},
    };
    for (const auto& [typed, stored] : cases) {
        ExpectSwitchStores<1>(typed, stored);
        ExpectSwitchStores<2>(typed, stored);
        ExpectSwitchStores<4>(typed, stored);
    }
}

TEST(FieldBindingTest, SwitchFieldShowsAnyNonZeroByteAsOn) {
    unsigned char flag = 0x40;
    EXPECT_EQ(SwitchField(&flag).get(), "1");
    flag = 0;
    EXPECT_EQ(SwitchField(&flag).get(), "0");
    std::int16_t shortFlag = 0x0100;  // only the high byte set
    EXPECT_EQ(SwitchField(&shortFlag, sizeof shortFlag).get(), "1");
    std::int32_t longFlag = -1;
    EXPECT_EQ(SwitchField(&longFlag, sizeof longFlag).get(), "1");
    SwitchField(&longFlag, sizeof longFlag).set("0");
    EXPECT_EQ(longFlag, 0);
}

TEST(FieldBindingTest, SwitchFieldOfAnotherSizeTouchesOneByte) {
    auto record = FilledWith<3>(0x7F);
    SwitchField(record.field, 3).set("1");
    EXPECT_EQ(Bytes(record), std::string("\x01\x7F\x7F", 3));
    EXPECT_EQ(record.guard, kGuard);
}

TEST(FieldBindingTest, NumberFieldShowsThroughItsPicture) {
    std::int32_t count = 12345;
    EXPECT_EQ(NumberField<std::int32_t>(&count, "n-14").get(), "12,345");
    count = -42;
    EXPECT_EQ(NumberField<std::int32_t>(&count, "n-14").get(), "-42");
    double price = 1234.5;
    EXPECT_EQ(NumberField<double>(&price, "n_10.2").get(), "1234.50");
    EXPECT_EQ(NumberField<double>(&price, "n_8.2~ %~").get(), "1234.50 %");
}

TEST(FieldBindingTest, NumberFieldReadsWhatThePictureShows) {
    struct Case {
        std::string_view typed;
        double stored;
    };
    const std::vector<Case> cases{
        {"1,234", 1234}, {"  -7", -7}, {"12.5 %", 12.5}, {"12.5", 12.5}, {"", 0},
    };
    for (const Case& c : cases) {
        double value = 99;
        NumberField<double>(&value, "n_8.2~ %~").set(c.typed);
        EXPECT_DOUBLE_EQ(value, c.stored) << '"' << c.typed << '"';
    }
}

TEST(FieldBindingTest, NumberFieldKeepsItsValueForTextThatIsNoNumber) {
#pragma pack(push, 1)
    struct Record {
        std::int32_t count = 77;
        char guard = kGuard;
    };
#pragma pack(pop)
    for (std::string_view typed : {"abc", "12x", "1e5", "--3", "1.2.3"}) {
        Record record;
        NumberField<std::int32_t>(&record.count, "n-14").set(typed);
        EXPECT_EQ(record.count, 77) << '"' << typed << '"';
        EXPECT_EQ(record.guard, kGuard);
    }
}

TEST(FieldBindingTest, NumberFieldKeepsItsValueForANumberItCannotHold) {
    std::int8_t small = 5;
    NumberField<std::int8_t>(&small, "n4").set("300");
    EXPECT_EQ(small, 5);
    std::uint16_t unsignedValue = 5;
    NumberField<std::uint16_t>(&unsignedValue, "n-7").set("-1");
    EXPECT_EQ(unsignedValue, 5);
    std::int32_t wide = 5;
    NumberField<std::int32_t>(&wide, "n-20").set("99,999,999,999");
    EXPECT_EQ(wide, 5);
}

TEST(FieldBindingTest, VariableFieldCopiesBothWays) {
    std::string option = "S";
    const Binding binding = VariableField(&option);
    EXPECT_EQ(binding.get(), "S");
    binding.set("Large");
    EXPECT_EQ(option, "Large");
}

}  // namespace
}  // namespace zem::ui
