// The markup tokenizer against libxml2's HTML SAX parser, over the same generated item-search
// reply and result page: each peer counts start tags, end tags, texts and comments. Prints the
// median throughput of several repetitions and the ratio.
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_pages.h"
#include "web/html_parser.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRepetitions = 9;
constexpr std::size_t kBytesPerRepetition = 64u << 20;

struct Counts {
    long starts = 0, ends = 0, texts = 0, comments = 0;
};

class CountingHandler : public zem::HTML::EventHandler {
  public:
    Counts counts;
    void OnStartElement(const zem::HTML::Element&, std::uint32_t, std::uint8_t&) override {
        ++counts.starts;
    }
    void OnEndElement(const zem::HTML::Element&, std::uint32_t, std::uint8_t&) override {
        ++counts.ends;
    }
    void OnCharacters(std::string_view, std::uint32_t, std::uint8_t&) override { ++counts.texts; }
    void OnComment(std::string_view, std::uint32_t, std::uint8_t&) override { ++counts.comments; }
};

// The page is copied back before every parse, because a parse ends each comment in place.
Counts OurTokenizer(const std::string& page, std::vector<char>& work, int times) {
    CountingHandler handler;
    zem::HTML::Parser parser;
    parser.SetHandler(&handler);
    for (int i = 0; i < times; ++i) {
        std::memcpy(work.data(), page.data(), page.size() + 1);
        parser.Parse(work);
    }
    return handler.counts;
}

void IgnoreMessage(void*, const char*, ...) {}

Counts Libxml2(const std::string& page, int times) {
    Counts counts;
    htmlSAXHandler sax{};
    sax.startElement = [](void* c, const xmlChar*, const xmlChar**) {
        ++static_cast<Counts*>(c)->starts;
    };
    sax.endElement = [](void* c, const xmlChar*) { ++static_cast<Counts*>(c)->ends; };
    sax.characters = [](void* c, const xmlChar*, int) { ++static_cast<Counts*>(c)->texts; };
    sax.ignorableWhitespace = sax.characters;
    sax.comment = [](void* c, const xmlChar*) { ++static_cast<Counts*>(c)->comments; };
    sax.warning = IgnoreMessage;
    sax.error = IgnoreMessage;
    for (int i = 0; i < times; ++i) {
        htmlParserCtxtPtr ctxt =
            htmlCreatePushParserCtxt(&sax, &counts, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
        htmlCtxtUseOptions(ctxt, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
        htmlParseChunk(ctxt, page.data(), static_cast<int>(page.size()), 1);
        htmlFreeParserCtxt(ctxt);
    }
    return counts;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class Work>
double Seconds(Work&& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Compare(const char* name, const std::string& page) {
    const int times = static_cast<int>(std::max<std::size_t>(1, kBytesPerRepetition / page.size()));
    std::vector<char> work(page.size() + 1);
    Counts ours, theirs;
    std::vector<double> oursSeconds, theirsSeconds;
    for (int r = 0; r < kRepetitions; ++r) {
        oursSeconds.push_back(Seconds([&] { ours = OurTokenizer(page, work, times); }));
        theirsSeconds.push_back(Seconds([&] { theirs = Libxml2(page, times); }));
    }
    const double megabytes = static_cast<double>(page.size()) * times / 1e6;
    const double oursRate = megabytes / Median(oursSeconds);
    const double theirsRate = megabytes / Median(theirsSeconds);
    auto per = [times](long n) { return n / times; };
    std::printf("%s: %zu bytes, %d parses per repetition, median of %d\n", name, page.size(), times,
                kRepetitions);
    std::printf("  tokenizer %8.1f MB/s  (%ld starts, %ld ends, %ld texts, %ld comments)\n",
                oursRate, per(ours.starts), per(ours.ends), per(ours.texts), per(ours.comments));
    std::printf("  libxml2   %8.1f MB/s  (%ld starts, %ld ends, %ld texts, %ld comments)\n",
                theirsRate, per(theirs.starts), per(theirs.ends), per(theirs.texts),
                per(theirs.comments));
    std::printf("  ratio     %8.2f\n", oursRate / theirsRate);
}

}  // namespace

int main() {
    xmlInitParser();
    Compare("item-search reply", zem::bench::ItemSearchReply(256u << 10));
    Compare("result page", zem::bench::ResultPage(64u << 10));
    xmlCleanupParser();
    return 0;
}
