// Case in code page 1252: which bytes have capitals, and comparisons that ignore case.
#include "platform/runtime/letter_case.h"

#include <gtest/gtest.h>

#include <string_view>

namespace zem::test {
namespace {

struct UpperCase {
    const char* what;
    unsigned char byte;
    unsigned char upper;
};

const UpperCase kUpper[] = {
    {"ASCII letter", 'q', 'Q'},
    {"ASCII capital stays", 'Q', 'Q'},
    {"digit stays", '7', '7'},
    {"a grave, first accented small letter", 0xE0, 0xC0},
    {"e acute", 0xE9, 0xC9},
    {"thorn, last of the run", 0xFE, 0xDE},
    {"division sign inside the run has no capital", 0xF7, 0xF7},
    {"sharp s has no capital of its own", 0xDF, 0xDF},
    {"s caron", 0x9A, 0x8A},
    {"oe ligature", 0x9C, 0x8C},
    {"z caron", 0x9E, 0x8E},
    {"y diaeresis", 0xFF, 0x9F},
    {"euro sign stays", 0x80, 0x80},
    {"byte below the letters", 0x60, 0x60},
    {"byte above the letters", 0x7B, 0x7B},
};

TEST(LetterCase, UpperCasesTheCodePageLettersOnly) {
    for (const UpperCase& c : kUpper) EXPECT_EQ(runtime::UpperCp1252(c.byte), c.upper) << c.what;
}

struct EqualCase {
    const char* what;
    std::string_view a, b;
    bool equal;
};

const EqualCase kEqual[] = {
    {"use names of either case", "?ok", "?OK", true},
    {"accented letters of either case", "Caf\xE9", "CAF\xC9", true},
    {"a longer text is another", "?OK", "?OK2", false},
    {"a shorter text is another", "?OK2", "?OK", false},
    {"no capital pairs two different signs", "\xF7", "\xD7", false},
    {"empty texts", "", "", true},
    {"other letters", "?OK", "?OR", false},
};

TEST(LetterCase, ComparesWithoutRegardToCase) {
    for (const EqualCase& c : kEqual)
        EXPECT_EQ(runtime::EqualIgnoringCase(c.a, c.b), c.equal) << c.what;
}

}  // namespace
}  // namespace zem::test
