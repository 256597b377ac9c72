// Feeds arbitrary bytes to the markup tokenizer. The first byte is the event mask and the second
// picks the event that stops the parse (0: none); the rest is the text, in a buffer of exactly
// its size, so any read past it is caught. Every event is checked against what the tokenizer
// promises, and the same text with a NUL after it must give the same events.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/code_pages.h"
#include "web/entity_table.h"
#include "web/html_element.h"
#include "web/html_parser.h"
#include "web/page_charset.h"

namespace {

using namespace zem;

void Require(bool condition) {
    if (!condition) std::abort();
}

bool IsSpace(char c) {
    return c == '\r' || c == '\n' || c == ' ' || c == '\t';
}

class CheckingHandler : public HTML::EventHandler {
  public:
    explicit CheckingHandler(unsigned stopAt) : stopAt_(stopAt) {}

    std::uint64_t digest = 1469598103934665603u;
    unsigned events = 0;
    bool started = false, ended = false, stopped = false;

    void OnStartDocument(std::uint32_t, std::uint8_t& stop) override {
        Require(events == 0);
        started = true;
        Record('D', {}, stop);
    }
    void OnStartElement(const HTML::Element& e, std::uint32_t, std::uint8_t& stop) override {
        Check(e);
        Record('S', e.GetName(), stop);
    }
    void OnEndElement(const HTML::Element& e, std::uint32_t, std::uint8_t& stop) override {
        Check(e);
        Record('E', e.GetName(), stop);
    }
    void OnCharacters(std::string_view text, std::uint32_t, std::uint8_t& stop) override {
        Require(text.data()[text.size()] == '\0');
        bool blank = true;
        for (char c : text) blank = blank && IsSpace(c);
        Require(!blank);
        Record('T', text, stop);
    }
    void OnComment(std::string_view text, std::uint32_t, std::uint8_t& stop) override {
        Require(!text.empty() && text.data()[text.size()] == '\0');
        Record('C', text, stop);
    }
    void OnEndDocument(std::uint32_t, std::uint8_t& stop) override {
        Require(!ended && stop == 0);
        ended = true;
        Mix('-');
    }

  private:
    static void Check(const HTML::Element& e) {
        Require(e.GetName().size() <= HTML::Element::kMaxName);
        const HTML::AttributeList& list = e.ATTRIBUTES;
        for (std::size_t i = 1; i <= list.Count(); ++i) {
            const std::string_view name = list.GetNameAt(i);
            const std::string_view value = list.GetValueAt(i);
            Require(!name.empty() && name.size() <= HTML::Attribute::kMaxText);
            Require(value.size() <= HTML::Attribute::kMaxText);
            Require(value.data()[value.size()] == '\0');
            if (i > 1) Require(list.GetNameAt(i - 1) <= name);
            const std::size_t first = list.Find(name);
            Require(first >= 1 && first <= i && list.GetNameAt(first) == name);
        }
        Require(list.GetValueAt(list.Count() + 1).empty());
    }

    void Record(char kind, std::string_view text, std::uint8_t& stop) {
        Require(!stopped && !ended && stop == 0);
        ++events;
        Mix(static_cast<unsigned char>(kind));
        for (char c : text) Mix(static_cast<unsigned char>(c));
        if (events == stopAt_) {
            stop = 1;
            stopped = true;
        }
    }

    void Mix(unsigned byte) { digest = (digest ^ byte) * 1099511628211u; }

    unsigned stopAt_;
};

struct Outcome {
    std::uint32_t position;
    std::uint64_t digest;
};

Outcome Run(std::vector<char>& text, std::uint8_t mask, unsigned stopAt) {
    // Measured first: the parse ends each comment with a NUL in the text.
    const void* nul = text.empty() ? nullptr : std::memchr(text.data(), 0, text.size());
    std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()) : text.size();
    // A page that declares a charset is read from its UTF-8 copy, and positions count in that.
    const std::string_view page(text.data(), length);
    if (std::string utf8; runtime::CharsetToUtf8(page, web::DeclaredCharset(page), utf8))
        length = utf8.size();

    CheckingHandler handler(stopAt);
    HTML::Parser parser;
    parser.M_EVENTMASK = mask;
    parser.SetHandler(&handler);
    const std::uint32_t position = parser.Parse(text);
    if (page.empty()) {
        Require(position == 0 && handler.events == 0 && !handler.ended);
    } else {
        Require(position >= 1 && position <= length + 1);
        if (!handler.stopped) Require(position == length + 1);
        Require(handler.ended == ((mask & HTML::kDocumentEvents) != 0));
        Require(handler.started == handler.ended);
    }
    return {position, handler.digest};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t mask = bytes[0];
    const unsigned stopAt = bytes[1];
    const std::string_view input(reinterpret_cast<const char*>(bytes + 2), size - 2);

    std::vector<char> exact(input.begin(), input.end());
    std::vector<char> terminated(input.begin(), input.end());
    terminated.push_back('\0');
    const Outcome a = Run(exact, mask, stopAt);
    const Outcome b = Run(terminated, mask, stopAt);
    Require(a.position == b.position && a.digest == b.digest);

    if (!input.empty() && input[0] == '&') {
        char32_t character = 0;
        const std::size_t length = HTML::EntityTable::Decode(input, character);
        Require(length <= input.size() && length <= HTML::EntityTable::kMaxReference + 2);
        Require(length == 0 || input[length - 1] == ';');
        // Always a character, so its UTF-8 is well formed.
        Require(length == 0 ||
                (character <= 0x10FFFF && (character < 0xD800 || character > 0xDFFF)));
    }
    HTML::Attribute attribute;
    attribute.SetValue(input);
    Require(attribute.Value().size() <= HTML::Attribute::kMaxText);
    return 0;
}
