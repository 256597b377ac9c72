// Once a parser has read a page, reading pages like it allocates nothing: the element, its
// attributes and the text buffer are reused from tag to tag and from page to page. This binary
// counts every allocation, so it holds this test alone.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "web/html_parser.h"

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace zem::test {
namespace {

class ReadingHandler : public HTML::EventHandler {
  public:
    std::size_t seen = 0;
    void OnStartElement(const HTML::Element& e, std::uint32_t, std::uint8_t&) override {
        seen += e.GetName().size() + e.ATTRIBUTES.GetValue("href").size();
    }
    void OnCharacters(std::string_view text, std::uint32_t, std::uint8_t&) override {
        seen += text.size();
    }
};

TEST(AllocationTest, ReparsingAPageAllocatesNothing) {
    std::string page;
    for (int i = 0; i < 200; ++i) {
        page += "<div class=\"g\"><a href=\"http://www.example.com/p/" + std::to_string(i) +
                "?a=1&amp;b=2\" id=x" + std::to_string(i) + ">Result &quot;" + std::to_string(i) +
                "&quot;</a><br /><!-- m --></div>\n";
    }
    const std::vector<char> pristine(page.c_str(), page.c_str() + page.size() + 1);
    std::vector<char> text = pristine;
    ReadingHandler handler;
    HTML::Parser parser;
    parser.SetHandler(&handler);
    parser.Parse(text);

    const long before = g_allocations;
    for (int i = 0; i < 5; ++i) {
        std::copy(pristine.begin(), pristine.end(), text.begin());
        parser.Parse(text);
    }
    EXPECT_EQ(g_allocations - before, 0);
    EXPECT_GT(handler.seen, 0u);
}

}  // namespace
}  // namespace zem::test
