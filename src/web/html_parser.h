#pragma once
// The markup tokenizer: reads HTML or XML text once, left to right, in place, and reports
// document start and end, start and end tags, decoded text runs and comments to its handler.
// Whatever can't be read as a tag is text. Texts and attribute values are reported in UTF-8:
// a page that declares another charset is read from a UTF-8 copy, and character references
// are written as their characters' UTF-8.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "web/html_event_handler.h"

namespace zem::HTML {

// Event-mask bits.
inline constexpr std::uint8_t kDocumentEvents = 1;
inline constexpr std::uint8_t kStartEvents = 2;
inline constexpr std::uint8_t kEndEvents = 4;
inline constexpr std::uint8_t kTextEvents = 8;

class Parser {
  public:
    Parser() = default;
    virtual ~Parser() = default;

    // Answers the previous handler. A null handler gets no events.
    EventHandler* SetHandler(EventHandler* handler);

    // Parses text up to its first NUL (never past text.size()). The parser writes into the
    // text (a NUL ends each comment). Answers the 1-based position where parsing ended, 0 for
    // an empty text; for a page read from its UTF-8 copy, the position in the copy.
    std::uint32_t Parse(std::span<char> text);

    // How many attributes the last parse read, in tags or in what turned out to be text: the
    // work a page of unclosed tags costs, which stays below the page's length.
    std::uint64_t AttributesRead() const { return attributesRead_; }

    std::uint8_t M_EVENTMASK = 127;
    std::uint32_t M_DWAPPDATA = 0;

  private:
    enum class Markup { None, Comment, Tag };

    Markup ReadMarkup(std::size_t at);
    bool SkipComment(std::size_t at);
    bool ReadTag(std::size_t at);
    // Answers where the attribute that could not be read began, or kFails when the list runs
    // into attributes of a tag already found unreadable.
    std::size_t ReadAttributes(std::size_t from);
    static constexpr std::size_t kFails = static_cast<std::size_t>(-1);
    void MarkFailedAttributes();
    // Each answers true when the handler stopped the parse.
    bool FlushText(std::size_t begin, std::size_t end);
    bool ReportComment();
    bool ReportTag();
    std::uint32_t Finish();
    // Points the parse at a UTF-8 copy of the page when it declares another charset.
    void ReadAsUtf8();

    EventHandler* handler_ = nullptr;
    // The text being parsed: read in place, never past length_.
    char* text_ = nullptr;
    std::size_t length_ = 0;
    std::size_t capacity_ = 0;
    std::size_t position_ = 0;  // 0-based index of the next character to read
    // Reused from tag to tag and from parse to parse, so a tag costs no allocation.
    Element element_;
    bool start_ = false;
    bool end_ = false;
    std::string_view comment_;
    // The decoded text run, or a comment that needs its NUL. Grows to the longest run of a
    // parse and never shrinks.
    char* RunBuffer(std::size_t size);
    std::vector<char> run_;
    std::string utf8Page_;  // the page in UTF-8, when it came in another charset
    // A tag that never closes has an attribute list that the next "<" inside it would read
    // again, and the one after that too. Where one attribute begins fixes all that follow it,
    // so once a tag is found unreadable, the places its attributes began are marked, and a
    // later tag whose attributes reach one of them is unreadable at once: every attribute is
    // read at most once. The marks are sized to the text only when a page needs them.
    std::vector<std::uint32_t> attributeStarts_;  // of the tag being read
    std::vector<std::uint8_t> failedStarts_;
    bool marking_ = false;  // failedStarts_ is sized and cleared for this parse
    std::uint64_t attributesRead_ = 0;
};

}  // namespace zem::HTML
