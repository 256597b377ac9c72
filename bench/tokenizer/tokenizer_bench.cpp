// The markup tokenizer against libxml2's HTML SAX parser, over the same generated item-search
// replies (the US store's in English, the JP store's in Japanese) and result page: each peer
// counts start tags, end tags, texts and comments. Prints the median throughput of several
// repetitions and the ratio. A third run stores every text as the reply handlers store theirs,
// written in the store's code page into a field of 256 bytes, which costs the most conversion a
// handler could ask for.
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_pages.h"
#include "platform/runtime/code_pages.h"
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

class StoringHandler : public CountingHandler {
  public:
    explicit StoringHandler(zem::runtime::CodePage codePage) : codePage_(codePage) {}
    void OnCharacters(std::string_view text, std::uint32_t, std::uint8_t&) override {
        ++counts.texts;
        stored_ += zem::runtime::FromUtf8(text, codePage_, 256).size();
    }

  private:
    zem::runtime::CodePage codePage_;
    std::size_t stored_ = 0;
};

// The page is copied back before every parse, because a parse ends each comment in place.
template <class Handler = CountingHandler>
Counts OurTokenizer(const std::string& page, std::vector<char>& work, int times,
                    Handler handler = {}) {
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

void Compare(const char* name, const std::string& page, zem::runtime::CodePage codePage) {
    const int times = static_cast<int>(std::max<std::size_t>(1, kBytesPerRepetition / page.size()));
    std::vector<char> work(page.size() + 1);
    Counts ours, theirs, stored;
    std::vector<double> oursSeconds, theirsSeconds, storedSeconds;
    for (int r = 0; r < kRepetitions; ++r) {
        oursSeconds.push_back(Seconds([&] { ours = OurTokenizer(page, work, times); }));
        storedSeconds.push_back(
            Seconds([&] { stored = OurTokenizer(page, work, times, StoringHandler(codePage)); }));
        theirsSeconds.push_back(Seconds([&] { theirs = Libxml2(page, times); }));
    }
    const double megabytes = static_cast<double>(page.size()) * times / 1e6;
    const double oursRate = megabytes / Median(oursSeconds);
    const double storedRate = megabytes / Median(storedSeconds);
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
    std::printf("  storing   %8.1f MB/s  (%ld texts; %.2f of the tokenizer alone)\n", storedRate,
                per(stored.texts), storedRate / oursRate);
}

}  // namespace

int main() {
    xmlInitParser();
    using zem::runtime::CodePage;
    Compare("item-search reply", zem::bench::ItemSearchReply(256u << 10), CodePage::Ansi);
    Compare("item-search reply, JP", zem::bench::ItemSearchReply(256u << 10, zem::bench::Store::JP),
            CodePage::ShiftJis);
    Compare("result page", zem::bench::ResultPage(64u << 10), CodePage::Ansi);
    xmlCleanupParser();
    return 0;
}
