// Hostile and oversized input: nothing is read past the caller's buffer or its first NUL,
// nothing stored grows past its limit, and neither depth nor unclosed tags cost more than the
// page's length.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "recording_handler.h"
#include "web/html_parser.h"

namespace zem::test {
namespace {

struct CutCase {
    const char* name;
    std::string buffer;  // the caller's memory
    std::size_t span;    // how much of it the caller hands over
    std::string trace;
    friend void PrintTo(const CutCase& c, std::ostream* out) { *out << c.name; }
};

class CutTest : public ::testing::TestWithParam<CutCase> {};

// The memory after the span would change the events if the parser read it.
TEST_P(CutTest, ReadsOnlyTheSpanUpToItsFirstNul) {
    const CutCase& c = GetParam();
    std::vector<char> memory(c.buffer.begin(), c.buffer.end());
    RecordingHandler handler;
    HTML::Parser parser;
    parser.SetHandler(&handler);
    parser.Parse({memory.data(), c.span});
    EXPECT_EQ(handler.Trace(), c.trace);
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, CutTest,
    ::testing::Values(
        CutCase{"NulEndsTheText", std::string("ab\0<b>cd", 8), 8, "D+|T:ab|D-"},
        CutCase{"NulInsideATag", std::string("<ab\0>cd", 7), 7, "D+|T:<ab|D-"},
        CutCase{"NulInsideAComment", std::string("<!--ab\0-->c", 11), 11, "D+|C:ab|D-"},
        CutCase{"SpanEndsInATag", "x<ab>yz", 4, "D+|T:x<ab|D-"},
        CutCase{"SpanEndsInAnEndTag", "</abc>", 5, "D+|T:</abc|D-"},
        CutCase{"SpanEndsInAComment", "a<!--xy-->b", 7, "D+|T:a|C:xy|D-"},
        CutCase{"SpanEndsBeforeTheCommentsGreaterThan", "a<!--xy-->b", 9, "D+|T:a|C:xy--|D-"},
        CutCase{"SpanEndsInAQuotedValue", "<a b=\"xy\">z", 8, "D+|T:<a b=\"xy|D-"},
        CutCase{"SpanEndsInAReference", "a&amp;b", 5, "D+|T:aamp|D-"},
        CutCase{"SpanEndsInAnAttributeName", "<a bcd>", 5, "D+|T:<a bc|D-"}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Unclosed, CutTest,
    ::testing::Values(CutCase{"QuotedValue", "<a href=\"x>y", 12, "D+|T:<a href=\"x>y|D-"},
                      CutCase{"AfterEquals", "x<div class=", 12, "D+|T:x<div class=|D-"},
                      CutCase{"AfterValue", "<a b=1", 6, "D+|T:<a b=1|D-"},
                      CutCase{"AfterName", "t<abc", 5, "D+|T:t<abc|D-"},
                      CutCase{"ThenATag", "<a b='1 <i>x", 12, "D+|T:<a b='1 |S:i|T:x|D-"},
                      CutCase{"ManyOpenings", "<<<<<<b>x", 9, "D+|T:<<<<<|S:b|T:x|D-"}),
    [](const auto& p) { return std::string(p.param.name); });

// Keeps the sizes of what it is shown, and the largest sizes seen.
class SizeHandler : public HTML::EventHandler {
  public:
    std::size_t starts = 0, ends = 0, texts = 0, nameSize = 0, attributeNameSize = 0, valueSize = 0,
                textSize = 0;
    std::string value;

    void OnStartElement(const HTML::Element& e, std::uint32_t, std::uint8_t&) override {
        ++starts;
        Look(e);
    }
    void OnEndElement(const HTML::Element& e, std::uint32_t, std::uint8_t&) override {
        ++ends;
        Look(e);
    }
    void OnCharacters(std::string_view text, std::uint32_t, std::uint8_t&) override {
        ++texts;
        textSize = std::max(textSize, text.size());
    }

  private:
    void Look(const HTML::Element& e) {
        nameSize = std::max(nameSize, e.GetName().size());
        for (std::size_t i = 1; i <= e.ATTRIBUTES.Count(); ++i) {
            attributeNameSize = std::max(attributeNameSize, e.ATTRIBUTES.GetNameAt(i).size());
            valueSize = std::max(valueSize, e.ATTRIBUTES.GetValueAt(i).size());
            value = e.ATTRIBUTES.GetValueAt(i);
        }
    }
};

SizeHandler ParseSizes(std::string text) {
    SizeHandler handler;
    HTML::Parser parser;
    parser.SetHandler(&handler);
    EXPECT_EQ(parser.Parse(text), text.size() + 1);
    return handler;
}

TEST(HostileInputTest, LongNamesAndValuesAreCut) {
    const SizeHandler h = ParseSizes("<" + std::string(200, 'n') + " " + std::string(5000, 'a') +
                                     "=\"" + std::string(100000, 'v') + "\">x");
    EXPECT_EQ(h.starts, 1u);
    EXPECT_EQ(h.nameSize, HTML::Element::kMaxName);
    EXPECT_EQ(h.attributeNameSize, HTML::Attribute::kMaxText);
    EXPECT_EQ(h.valueSize, HTML::Attribute::kMaxText);
}

// The cut counts decoded characters, so a value of references keeps 1024 of them.
TEST(HostileInputTest, ValueOfReferencesIsCutAfterDecoding) {
    std::string refs;
    for (int i = 0; i < 3000; ++i) refs += "&lt;";
    const SizeHandler h = ParseSizes("<a b=\"" + refs + "\">x");
    EXPECT_EQ(h.value, std::string(HTML::Attribute::kMaxText, '<'));
}

TEST(HostileInputTest, DeepNestingIsFlat) {
    constexpr int kDepth = 200000;
    std::string text;
    for (int i = 0; i < kDepth; ++i) text += "<d>";
    text += "x";
    for (int i = 0; i < kDepth; ++i) text += "</d>";
    const SizeHandler h = ParseSizes(text);
    EXPECT_EQ(h.starts, std::size_t{kDepth});
    EXPECT_EQ(h.ends, std::size_t{kDepth});
    EXPECT_EQ(h.texts, 1u);
}

TEST(HostileInputTest, ManyAttributesInDescendingOrder) {
    std::string text = "<a";
    for (int i = 60000; i > 0; --i) text += " n" + std::to_string(i) + "=" + std::to_string(i);
    text += ">";
    struct Check : HTML::EventHandler {
        std::size_t count = 0;
        std::string first, last, value;
        void OnStartElement(const HTML::Element& e, std::uint32_t, std::uint8_t&) override {
            count = e.ATTRIBUTES.Count();
            first = e.ATTRIBUTES.GetNameAt(1);
            last = e.ATTRIBUTES.GetNameAt(count);
            value = e.ATTRIBUTES.GetValue("n4711");
        }
    } check;
    HTML::Parser parser;
    parser.SetHandler(&check);
    parser.Parse(text);
    EXPECT_EQ(check.count, 60000u);
    EXPECT_EQ(check.first, "n1");
    EXPECT_EQ(check.last, "n9999");
    EXPECT_EQ(check.value, "4711");
}

TEST(HostileInputTest, HugeTextRunAndStrayAmpersands) {
    std::string text = "<p>" + std::string(1 << 20, '&') + "x";
    const SizeHandler h = ParseSizes(text);
    EXPECT_EQ(h.texts, 1u);
    EXPECT_EQ(h.textSize, 1u);  // every "&" dropped, the x stays
}

TEST(HostileInputTest, BytesAboveAsciiAreText) {
    const Parsed p = ParseCopy("<\xC4\x80>\xFF<a \xE9=1>", true);
    EXPECT_EQ(p.trace, "D+|T:<\xC4\x80>\xFF<a \xE9=1>|D-");
}

// shape repeated to at most size bytes.
std::string Repeated(std::string_view shape, std::size_t size) {
    std::string text;
    while (text.size() + shape.size() <= size) text += shape;
    return text;
}

// Tags that never close, the attributes of each running into the next: a page of them reads
// as one text, and every attribute in it is read once, not again from every "<" inside it.
TEST(HostileInputTest, UnclosedTagsAreReadOnceEach) {
    struct Shape {
        const char* tag;
        const char* text;  // what the page of them reads as, per shape
    };
    const Shape shapes[] = {
        {"<a b=", "<a b="},
        {"<a b=<", "<a b=<"},
        {"<a b='x' c=", "<a b='x' c="},
        {"<a b= c=d", "<a b= c=d"},
        {"<a   b   =   ", "<a   b   =   "},
        {"<a b=&amp;", "<a b=&"},
        {"<a b=\"<a b=\" c=<", "<a b=\"<a b=\" c=<"},
    };
    HTML::Parser parser;
    RecordingHandler handler;
    parser.SetHandler(&handler);
    std::string page, read;
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.tag);
        std::string text = Repeated(shape.tag, 16384);
        handler.events.clear();
        parser.Parse(text);
        const std::size_t times = text.size() / std::strlen(shape.tag);
        EXPECT_EQ(handler.Trace(),
                  "D+|T:" + Repeated(shape.text, times * std::strlen(shape.text)) + "|D-");
        EXPECT_LE(parser.AttributesRead(), text.size() / 2);
    }
    // The page buffer of the item-list loader full of them, shape after shape.
    for (const Shape& shape : shapes) page += Repeated(shape.tag, 262'140 / std::size(shapes));
    handler.events.clear();
    parser.Parse(page);
    EXPECT_EQ(handler.events.size(), 3u);
    EXPECT_LE(parser.AttributesRead(), page.size() / 2);
}

}  // namespace
}  // namespace zem::test
