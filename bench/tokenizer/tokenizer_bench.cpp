// The markup tokenizer against libxml2's HTML SAX parser, over the same generated item-search
// replies (the US store's in English, the JP store's in Japanese) and result page: each peer
// counts start tags, end tags, texts and comments. Over the replies (well-formed XML) also against
// the XML parsers one would pick for them: pugixml parsing in place with parse_minimal, and expat.
// A further run stores every text as the reply handlers store theirs, written in the store's code
// page into a field of 256 bytes, which costs the most conversion a handler could ask for. Prints
// the median throughput of several repetitions and the ratios.
#include <expat.h>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
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

// The page is copied back before every parse, because a parse ends each comment in place.
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

// pugixml builds its tree in the buffer itself, so it too parses a fresh copy every time; the
// tree is walked for the same counts.
Counts Pugixml(const std::string& page, std::vector<char>& work, int times) {
    Counts counts;
    for (int i = 0; i < times; ++i) {
        std::memcpy(work.data(), page.data(), page.size());
        pugi::xml_document doc;
        const pugi::xml_parse_result parsed =
            doc.load_buffer_inplace(work.data(), page.size(), pugi::parse_minimal);
        if (!parsed) {
            std::fprintf(stderr, "pugixml: %s at %td\n", parsed.description(), parsed.offset);
            std::exit(1);
        }
        for (pugi::xml_node node = doc.first_child(); node;) {
            if (node.type() == pugi::node_element) ++counts.starts, ++counts.ends;
            if (node.type() == pugi::node_pcdata) ++counts.texts;
            if (node.first_child()) {
                node = node.first_child();
                continue;
            }
            while (node && !node.next_sibling()) node = node.parent();
            if (node) node = node.next_sibling();
        }
    }
    return counts;
}

Counts Expat(const std::string& page, int times) {
    Counts counts;
    for (int i = 0; i < times; ++i) {
        XML_Parser parser = XML_ParserCreate("UTF-8");
        XML_SetUserData(parser, &counts);
        XML_SetElementHandler(
            parser,
            [](void* c, const XML_Char*, const XML_Char**) { ++static_cast<Counts*>(c)->starts; },
            [](void* c, const XML_Char*) { ++static_cast<Counts*>(c)->ends; });
        XML_SetCharacterDataHandler(
            parser, [](void* c, const XML_Char*, int) { ++static_cast<Counts*>(c)->texts; });
        XML_SetCommentHandler(
            parser, [](void* c, const XML_Char*) { ++static_cast<Counts*>(c)->comments; });
        if (XML_Parse(parser, page.data(), static_cast<int>(page.size()), 1) != XML_STATUS_OK) {
            std::fprintf(stderr, "expat: %s at line %lu\n",
                         XML_ErrorString(XML_GetErrorCode(parser)),
                         XML_GetCurrentLineNumber(parser));
            std::exit(1);
        }
        XML_ParserFree(parser);
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

void Compare(const char* name, const std::string& page, bool xml, zem::runtime::CodePage codePage) {
    const int times = static_cast<int>(std::max<std::size_t>(1, kBytesPerRepetition / page.size()));
    std::vector<char> work(page.size() + 1);
    struct Peer {
        const char* name;
        std::function<Counts()> parse;
        Counts counts;
        std::vector<double> seconds;
    };
    std::vector<Peer> peers = {
        {"tokenizer", [&] { return OurTokenizer(page, work, times); }, {}, {}},
        {"libxml2 HTML", [&] { return Libxml2(page, times); }, {}, {}},
        {"storing",
         [&] { return OurTokenizer(page, work, times, StoringHandler(codePage)); },
         {},
         {}},
    };
    if (xml) {
        peers.push_back({"pugixml", [&] { return Pugixml(page, work, times); }, {}, {}});
        peers.push_back({"expat", [&] { return Expat(page, times); }, {}, {}});
    }
    for (int r = 0; r < kRepetitions; ++r)
        for (Peer& p : peers) p.seconds.push_back(Seconds([&] { p.counts = p.parse(); }));
    const double megabytes = static_cast<double>(page.size()) * times / 1e6;
    auto per = [times](long n) { return n / times; };
    std::printf("%s: %zu bytes, %d parses per repetition, median of %d\n", name, page.size(), times,
                kRepetitions);
    std::printf("  %-13s %9s %8s  %s\n", "", "MB/s", "ratio", "per parse");
    const double ourRate = megabytes / Median(peers.front().seconds);
    for (const Peer& p : peers) {
        const double rate = megabytes / Median(p.seconds);
        std::printf("  %-13s %9.1f %8.2f  %ld starts, %ld ends, %ld texts, %ld comments\n", p.name,
                    rate, ourRate / rate, per(p.counts.starts), per(p.counts.ends),
                    per(p.counts.texts), per(p.counts.comments));
    }
    std::printf("  (ratio: the tokenizer's throughput over the peer's)\n");
}

}  // namespace

int main() {
    xmlInitParser();
    using zem::runtime::CodePage;
    Compare("item-search reply", zem::bench::ItemSearchReply(256u << 10), true, CodePage::Ansi);
    Compare("item-search reply, JP", zem::bench::ItemSearchReply(256u << 10, zem::bench::Store::JP),
            true, CodePage::ShiftJis);
    Compare("result page", zem::bench::ResultPage(64u << 10), false, CodePage::Ansi);
    xmlCleanupParser();
    return 0;
}
