// The attribute list as the handlers read it, and how a written value is stored.
#include "web/html_element.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace zem::test {
namespace {

using HTML::Attribute;
using HTML::AttributeList;

TEST(AttributeListTest, AddKeepsNameOrderAndEqualNamesInTheOrderAdded) {
    AttributeList list;
    list.Add({"c", "1"});
    list.Add({"a", "2"});
    list.Add({"c", "3"});
    list.Add({"b", "4"});
    ASSERT_EQ(list.Count(), 4u);
    const char* names[] = {"a", "b", "c", "c"};
    const char* values[] = {"2", "4", "1", "3"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(list.GetNameAt(i + 1), names[i]);
        EXPECT_EQ(list.GetValueAt(i + 1), values[i]);
    }
    EXPECT_EQ(list.Find("c"), 3u);
    EXPECT_EQ(list.GetValue("c"), "1");
}

TEST(AttributeListTest, LookupsThatFindNothing) {
    AttributeList list;
    EXPECT_EQ(list.GetValue("id"), "");
    list.Add({"id", "tads"});
    EXPECT_EQ(list.Find("ID"), 0u);  // names are compared exactly
    EXPECT_EQ(list.Find("i"), 0u);
    EXPECT_EQ(list.Find("idx"), 0u);
    EXPECT_EQ(list.GetValue("zz"), "");
    EXPECT_EQ(list.GetValueAt(0), "");
    EXPECT_EQ(list.GetValueAt(2), "");
    EXPECT_EQ(list.GetNameAt(2), "");
}

TEST(AttributeListTest, ClearedListIsEmptyAndReusable) {
    AttributeList list;
    list.Add({"href", "x"});
    list.Add({"class", "g"});
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.GetValue("href"), "");
    list.Add({"id", "y"});
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.GetValue("id"), "y");
    EXPECT_EQ(list.GetValue("href"), "");
}

struct ValueCase {
    const char* name;
    std::string written;
    std::string stored;
    friend void PrintTo(const ValueCase& c, std::ostream* out) { *out << c.name; }
};

class SetValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SetValueTest, StoresTheValue) {
    Attribute attribute;
    attribute.SetValue(GetParam().written);
    EXPECT_EQ(attribute.Value(), GetParam().stored);
    EXPECT_EQ(attribute.Value().data()[attribute.Value().size()], '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Values, SetValueTest,
    ::testing::Values(
        ValueCase{"Plain", "abc", "abc"}, ValueCase{"Empty", "", ""},
        ValueCase{"SpacesTrimmed", "  a b  ", "a b"},
        ValueCase{"OnlySpacesAreTrimmed", "\ta\t", " a "}, ValueCase{"Tab", "a\tb", "a b"},
        ValueCase{"CrLf", "a\r\nb", "a b"}, ValueCase{"LoneCr", "a\rb", "a b"},
        ValueCase{"LoneLf", "a\nb", "a\nb"}, ValueCase{"CrCrLf", "a\r\r\nb", "a  b"},
        ValueCase{"Reference", "&amp;", "&"}, ValueCase{"DecodedOnce", "&amp;amp;", "&amp;"},
        ValueCase{"UnknownReferenceStays", "&bogus;", "&bogus;"},
        ValueCase{"TrailingAmpersandStays", "x&", "x&"}, ValueCase{"Numeric", "&#x41;&#66;", "AB"},
        ValueCase{"ReferenceToSpaceIsKept", " &#32; ", " "},
        ValueCase{"CutAt1024", std::string(2000, 'v'), std::string(1024, 'v')},
        ValueCase{"ReferenceInUtf8", "caf&eacute; &#12354;", "caf\xC3\xA9 \xE3\x81\x82"},
        // A character that would cross the bound is left out whole, written
        // in the value or as a reference.
        ValueCase{"CutBeforeACharacterCrossingTheBound", std::string(1023, 'v') + "\xC3\xA9z",
                  std::string(1023, 'v')},
        ValueCase{"CutBeforeAReferenceCrossingTheBound", std::string(1022, 'v') + "&#12354;z",
                  std::string(1022, 'v')},
        ValueCase{"CharacterEndingAtTheBound", std::string(1022, 'v') + "&eacute;z",
                  std::string(1022, 'v') + "\xC3\xA9"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(AttributeTest, NameIsCutAt1024) {
    Attribute attribute(std::string(3000, 'n'), "v");
    EXPECT_EQ(attribute.Name(), std::string(1024, 'n'));
    EXPECT_EQ(attribute.Value(), "v");
}

}  // namespace
}  // namespace zem::test
