// What the tokenizer reports for a text, written as a trace (recording_handler.h).
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "recording_handler.h"
#include "web/html_parser.h"

namespace zem::test {
namespace {

struct TraceCase {
    const char* name;
    std::string text;
    std::string trace;
    std::uint8_t mask = 127;
    std::string stopOn = {};
    friend void PrintTo(const TraceCase& c, std::ostream* out) { *out << c.name; }
};

class TraceTest : public ::testing::TestWithParam<TraceCase> {};

// Every case is read once as the owners hand it over (a NUL after the text) and once from a
// buffer of exactly its size; both must give the same events.
TEST_P(TraceTest, ReportsTheExpectedEvents) {
    const TraceCase& c = GetParam();
    EXPECT_EQ(ParseCopy(c.text, true, c.mask, c.stopOn).trace, c.trace) << "with a NUL";
    EXPECT_EQ(ParseCopy(c.text, false, c.mask, c.stopOn).trace, c.trace) << "without a NUL";
}

INSTANTIATE_TEST_SUITE_P(
    Text, TraceTest,
    ::testing::Values(
        TraceCase{"EmptyTextReportsNothing", "", ""},
        TraceCase{"PlainText", "hello", "D+|T:hello|D-"},
        TraceCase{"LeadingWhiteSpaceIsSkipped", " \r\n\thello world ", "D+|T:hello world |D-"},
        TraceCase{"WhiteSpaceOnlyRunsAreNotReported", "<a>  \r\n\t </a>", "D+|S:a|E:a|D-"},
        TraceCase{"WhiteSpaceInsideARunIsKept", "<a>\n  two\n  lines\n</a>",
                  "D+|S:a|T:\n  two\n  lines\n|E:a|D-"},
        TraceCase{"LessThanAndSpaceStayInTheRun", "a < b<i>c", "D+|T:a < b|S:i|T:c|D-"},
        TraceCase{"LessThanAndDigitStayInTheRun", "<1a>x", "D+|T:<1a>x|D-"},
        TraceCase{"DoctypeIsText", "<!DOCTYPE html><p>x", "D+|T:<!DOCTYPE html>|S:p|T:x|D-"},
        TraceCase{"XmlDeclarationIsText", "<?xml version=\"1.0\"?><r>x",
                  "D+|T:<?xml version=\"1.0\"?>|S:r|T:x|D-"}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Tags, TraceTest,
    ::testing::Values(
        TraceCase{"StartTextEnd", "<b>bold</b>", "D+|S:b|T:bold|E:b|D-"},
        TraceCase{"NameKeepsItsCase", "<TotalResults>12</TotalResults>",
                  "D+|S:TotalResults|T:12|E:TotalResults|D-"},
        TraceCase{"NameCharacters", "<ns:a-b_c.9>x", "D+|S:ns:a-b_c.9|T:x|D-"},
        TraceCase{"BadCharacterInNameIsText", "<a$b>x", "D+|T:<a$b>x|D-"},
        TraceCase{"NameThenSlashIsText", "<br/>after", "D+|T:<br/>after|D-"},
        TraceCase{"EmptyElementIsItsEndOnly", "<br />after", "D+|E:br|T:after|D-"},
        TraceCase{"EmptyElementKeepsAttributes", "<img src=\"a.png\" alt=x/>z",
                  "D+|E:img[alt=x,src=a.png]|T:z|D-"},
        TraceCase{"EmptyElementAfterQuotedValue", "<a b=\"1\"/>z", "D+|E:a[b=1]|T:z|D-"},
        TraceCase{"EmptyElementAfterValuelessAttribute", "<a b/>z", "D+|E:a[b=]|T:z|D-"},
        TraceCase{"SlashMustBeFollowedByGreaterThan", "<a / >z", "D+|T:<a / >z|D-"},
        TraceCase{"EndTagWithSpaceBeforeGreaterThanIsText", "</b >x", "D+|T:</b >x|D-"},
        TraceCase{"EndTagWithAttributeIsText", "</b c=1>x", "D+|T:</b c=1>x|D-"},
        TraceCase{"EndTagWithoutName", "</>x", "D+|E:|T:x|D-"},
        TraceCase{"StartTagAcrossLines", "<a\r\nhref='x'\n>y", "D+|S:a[href=x]|T:y|D-"},
        TraceCase{"SpaceBeforeGreaterThan", "<a >y", "D+|S:a|T:y|D-"},
        TraceCase{"AngleBracketsSplitTheRun", "a<>bc", "D+|T:a|T:bc|D-"},
        TraceCase{"ThreeCharacterTagEndingTheTextIsText", "x<b>", "D+|T:x<b>|D-"},
        TraceCase{"FourCharacterTagEndingTheTextIsATag", "x</b>", "D+|T:x|E:b|D-"},
        TraceCase{"ThreeCharacterTagWithTextAfterIt", "<b>y", "D+|S:b|T:y|D-"},
        TraceCase{"NestedTags", "<a><b><c/></b></a>", "D+|S:a|S:b|T:<c/>|E:b|E:a|D-"}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Attributes, TraceTest,
    ::testing::Values(
        TraceCase{"QuotedAndUnquoted", "<a href=\"x\" id='y' class=z>t",
                  "D+|S:a[class=z,href=x,id=y]|T:t|D-"},
        TraceCase{"ValuelessThenSecond", "<option selected value=\"2\">x",
                  "D+|S:option[selected=,value=2]|T:x|D-"},
        TraceCase{"DuplicateNamesKeptInWrittenOrder", "<a c=1 b=2 c=3 a=4>x",
                  "D+|S:a[a=4,b=2,c=1,c=3]|T:x|D-"},
        TraceCase{"OrderIsByteWise", "<a b=1 B=2 a=3>x", "D+|S:a[B=2,a=3,b=1]|T:x|D-"},
        TraceCase{"SpaceAroundEquals", "<a b = \"1\" c= 2 >x", "D+|S:a[b=1,c=2]|T:x|D-"},
        TraceCase{"OtherQuoteInsideValue", "<a t=\"it's\" u='say \"hi\"'>x",
                  "D+|S:a[t=it's,u=say \"hi\"]|T:x|D-"},
        TraceCase{"NextAttributeRightAfterQuote", "<a b=\"1\"c=\"2\">x", "D+|S:a[b=1,c=2]|T:x|D-"},
        TraceCase{"GreaterThanInsideQuotes", "<a b=\"x>y\">z", "D+|S:a[b=x>y]|T:z|D-"},
        TraceCase{"UnquotedValueKeepsInnerSlashes", "<a href=/x/y>z", "D+|S:a[href=/x/y]|T:z|D-"},
        TraceCase{"UnquotedValueEndingInSlashThenAnotherAttribute", "<a href=http://x/ class=l>t",
                  "D+|S:a[class=l,href=http://x/]|T:t|D-"},
        TraceCase{"UnquotedValueEndingInSlashThenLineBreak", "<a href=/x/\nid=1>t",
                  "D+|S:a[href=/x/,id=1]|T:t|D-"},
        TraceCase{"UnquotedValueEndingInSlashThenSpaceAndGreaterThan", "<a href=http://x/ >t",
                  "D+|S:a[href=http://x/]|T:t|D-"},
        TraceCase{"UnquotedValueThenSlashGreaterThanIsEmptyElement", "<a href=http://x/>t",
                  "D+|E:a[href=http://x]|T:t|D-"},
        TraceCase{"EqualsBeforeGreaterThan", "<a b=>z", "D+|S:a[b=]|T:z|D-"},
        TraceCase{"NameDirectlyFollowedByQuoteIsText", "<a b\"c\">x", "D+|T:<a b\"c\">x|D-"},
        TraceCase{"NameStartingWithDigitIsText", "<a 1=2>x", "D+|T:<a 1=2>x|D-"},
        TraceCase{"ValueTrimmedAndBlanked", "<a t=\"  a\tb\r\nc\rd\ne  \">x",
                  "D+|S:a[t=a b c d\ne]|T:x|D-"},
        TraceCase{"ReferencesInValue", "<a href=\"?a=1&amp;b=2&c=3&lt;\">x",
                  "D+|S:a[href=?a=1&b=2&c=3<]|T:x|D-"},
        TraceCase{"ReferenceInValueDecodedOnce", "<a t=\"&amp;lt;\">x", "D+|S:a[t=&lt;]|T:x|D-"},
        TraceCase{"StrayAmpersandStaysInValue", "<a t=\"R&D & co&\">x",
                  "D+|S:a[t=R&D & co&]|T:x|D-"}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    References, TraceTest,
    ::testing::Values(
        TraceCase{"AmpersandReference", "a&amp;b", "D+|T:a&b|D-"},
        TraceCase{"UnknownAmpersandIsDropped", "AT&T rocks", "D+|T:ATT rocks|D-"},
        TraceCase{"UpperCaseAmpIsNoReference", "x &AMP; y", "D+|T:x AMP; y|D-"},
        TraceCase{"DecodedOnce", "&amp;lt;", "D+|T:&lt;|D-"},
        // References are reported as their characters in UTF-8.
        TraceCase{"NumericAndNamed", "&#65;&#x42;&eacute;&nbsp;", "D+|T:AB\xC3\xA9\xC2\xA0|D-"},
        TraceCase{"NamedAndLiteralAccentAlike", "caf&eacute; caf\xC3\xA9",
                  "D+|T:caf\xC3\xA9 caf\xC3\xA9|D-"},
        TraceCase{"ReferencesAbove255", "&#12354;&#x20AC;&#x1F600;",
                  "D+|T:\xE3\x81\x82\xE2\x82\xAC\xF0\x9F\x98\x80|D-"},
        TraceCase{"ReferenceInValue", "<a t=\"&#12354;&eacute;\">x",
                  "D+|S:a[t=\xE3\x81\x82\xC3\xA9]|T:x|D-"},
        TraceCase{"ReferenceEndsWithTheRun", "a&amp<b>;", "D+|T:aamp|S:b|T:;|D-"},
        TraceCase{"BlankReferenceAloneIsNotReported", "<a>&#32;&#9;</a>", "D+|S:a|E:a|D-"},
        TraceCase{"StrayAmpersandAloneIsNotReported", "<a>&</a>", "D+|S:a|E:a|D-"},
        TraceCase{"StrayAmpersands", "&&&;&#;&#x;&;", "D+|T:;#;#x;;|D-"}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Comments, TraceTest,
    ::testing::Values(
        TraceCase{"CommentBetweenTexts", "a<!-- note -->b", "D+|T:a|C: note |T:b|D-"},
        TraceCase{"EmptyCommentReportsNothing", "a<!---->b", "D+|T:a|T:b|D-"},
        TraceCase{"TagsInsideAreComment", "<!--<b>x</b>-->y", "D+|C:<b>x</b>|T:y|D-"},
        TraceCase{"SpaceBeforeClosingGreaterThan", "<!--x-- \n>y", "D+|C:x|T:y|D-"},
        TraceCase{"ClosingAsTheLastCharacters", "a<!--x-->", "D+|T:a|C:x|D-"},
        TraceCase{"UnclosedRunsToTheEnd", "a<!-- open <b>x", "D+|T:a|C: open <b>x|D-"},
        TraceCase{"DoubleDashWithoutGreaterThanAtTheEnd", "<!--x--", "D+|C:x--|D-"},
        TraceCase{"FirstDoubleDashMustClose", "<!-- a -- b -->x", "D+|T:<!-- a -- b -->x|D-"},
        TraceCase{"TooShortForAComment", "a<!-", "D+|T:a<!-|D-"},
        TraceCase{"ReportedWhateverTheMask", "<a>x<!--c-->y</a>", "C:c", 0}),
    [](const auto& p) { return std::string(p.param.name); });

constexpr const char* kMasked = "<a>x<!--c-->y<br /></a>";

INSTANTIATE_TEST_SUITE_P(
    Masks, TraceTest,
    ::testing::Values(TraceCase{"Everything", kMasked, "D+|S:a|T:x|C:c|T:y|E:br|E:a|D-"},
                      TraceCase{"Nothing", kMasked, "C:c", 0},
                      TraceCase{"Document", kMasked, "D+|C:c|D-", 1},
                      TraceCase{"Starts", kMasked, "S:a|C:c", 2},
                      TraceCase{"Ends", kMasked, "C:c|E:br|E:a", 4},
                      TraceCase{"Texts", kMasked, "T:x|C:c|T:y", 8},
                      TraceCase{"HighBitsSelectNothing", kMasked, "C:c", 16 | 32 | 64 | 128},
                      TraceCase{"StartsAndEnds", kMasked, "S:a|C:c|E:br|E:a", 6}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Stops, TraceTest,
    ::testing::Values(
        TraceCase{"AtStartDocument", "<a>x</a>", "D+|D-", 127, "D+"},
        TraceCase{"AtStartElementSkipsItsEnd", "<a><br />x</a>", "D+|S:a|D-", 127, "S:a"},
        TraceCase{"AtAnEmptyElement", "<a><br />x</a>", "D+|S:a|E:br|D-", 127, "E:br"},
        TraceCase{"AtTheFirstOfTwoEqualTags", "<p>x<p>y", "D+|S:p|D-", 127, "S:p"},
        TraceCase{"AtTextBeforeATag", "x<b>y", "D+|T:x|D-", 127, "T:x"},
        TraceCase{"AtTheLastText", "<b>y", "D+|S:b|T:y|D-", 127, "T:y"},
        TraceCase{"AtAComment", "<!--c-->x<b>", "D+|C:c|D-", 127, "C:c"},
        TraceCase{"WithoutDocumentEvents", "<!--c-->x<b>", "C:c", 0, "C:c"},
        TraceCase{"AtAnEndElement", "<a>x</a>y", "D+|S:a|T:x|E:a|D-", 127, "E:a"}),
    [](const auto& p) { return std::string(p.param.name); });

struct PositionCase {
    const char* name;
    std::string text;
    std::uint32_t position;
    std::string stopOn = {};
    friend void PrintTo(const PositionCase& c, std::ostream* out) { *out << c.name; }
};

class PositionTest : public ::testing::TestWithParam<PositionCase> {};

TEST_P(PositionTest, AnswersWhereParsingEnded) {
    const PositionCase& c = GetParam();
    EXPECT_EQ(ParseCopy(c.text, true, 127, c.stopOn).position, c.position);
    EXPECT_EQ(ParseCopy(c.text, false, 127, c.stopOn).position, c.position);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, PositionTest,
    ::testing::Values(PositionCase{"Empty", "", 0}, PositionCase{"WholeText", "abc", 4},
                      PositionCase{"WhiteSpaceOnly", "  \n", 4},
                      PositionCase{"StoppedAtStartDocument", "<a>x", 1, "D+"},
                      PositionCase{"StoppedAtATagIsAfterIt", "xy<ab>z", 7, "S:ab"},
                      PositionCase{"StoppedAtTextIsAfterTheNextTag", "xy<ab>z", 7, "T:xy"},
                      PositionCase{"StoppedAtACommentIsAfterIt", "<!--c-->z", 9, "C:c"},
                      PositionCase{"UnclosedComment", "<!--c", 6}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ParserTest, EmptyTextIsZeroWithoutEvents) {
    RecordingHandler handler;
    HTML::Parser parser;
    parser.SetHandler(&handler);
    char nul[] = "\0abc";
    EXPECT_EQ(parser.Parse({nul, sizeof nul}), 0u);
    EXPECT_EQ(parser.Parse({}), 0u);
    EXPECT_TRUE(handler.events.empty());
}

TEST(ParserTest, WithoutHandlerParsesSilently) {
    HTML::Parser parser;
    std::string text = "<a href=x>t&amp;</a><!--c-->";
    EXPECT_EQ(parser.Parse(text), text.size() + 1);
}

TEST(ParserTest, SetHandlerAnswersThePreviousOne) {
    RecordingHandler first, second;
    HTML::Parser parser;
    EXPECT_EQ(parser.SetHandler(&first), nullptr);
    EXPECT_EQ(parser.SetHandler(&second), &first);
    std::string text = "<b>x";
    parser.Parse(text);
    EXPECT_TRUE(first.events.empty());
    EXPECT_EQ(second.Trace(), "D+|S:b|T:x|D-");
}

// One parser reads page after page; nothing of one page shows in the next.
TEST(ParserTest, ReusedForAnotherText) {
    RecordingHandler handler;
    HTML::Parser parser;
    parser.SetHandler(&handler);
    std::string first = "<div id=a class=b>one</div><p x=1>";
    std::string second = "<div>two</div>";
    parser.Parse(first);
    handler.events.clear();
    EXPECT_EQ(parser.Parse(second), second.size() + 1);
    EXPECT_EQ(handler.Trace(), "D+|S:div|T:two|E:div|D-");
}

// A comment is ended in the caller's own text, which the owner may read afterwards.
TEST(ParserTest, CommentIsEndedInTheCallersText) {
    std::string text = "a<!--x-->b";
    RecordingHandler handler;
    HTML::Parser parser;
    parser.SetHandler(&handler);
    parser.Parse(text);
    EXPECT_EQ(text, std::string("a<!--x\0->b", 10));
}

}  // namespace
}  // namespace zem::test
