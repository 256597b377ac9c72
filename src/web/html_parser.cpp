#include "web/html_parser.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/runtime/code_pages.h"
#include "web/entity_table.h"
#include "web/html_chars.h"
#include "web/page_charset.h"

namespace zem::HTML {
namespace {

// Positions are answered as 32-bit numbers, so longer texts are read only this far.
constexpr std::size_t kMaxLength = std::numeric_limits<std::uint32_t>::max() - 1;

// A comment or a tag needs "<" and at least three more characters.
constexpr std::size_t kMinMarkup = 4;

const char* Find(const char* from, const char* end, char c) {
    // Markup often has the character right there (one tag after another): skip the call.
    if (from < end && *from == c) return from;
    return static_cast<const char*>(std::memchr(from, c, static_cast<std::size_t>(end - from)));
}

}  // namespace

EventHandler* Parser::SetHandler(EventHandler* handler) {
    EventHandler* previous = handler_;
    handler_ = handler;
    return previous;
}

std::uint32_t Parser::Parse(std::span<char> text) {
    attributesRead_ = 0;
    const std::size_t size = std::min(text.size(), kMaxLength);
    const void* nul = size ? std::memchr(text.data(), 0, size) : nullptr;
    length_ = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()) : size;
    if (length_ == 0) return 0;
    text_ = text.data();
    capacity_ = text.size();
    ReadAsUtf8();
    position_ = 0;
    element_.Clear();
    marking_ = false;

    if (handler_ && (M_EVENTMASK & kDocumentEvents)) {
        std::uint8_t stop = 0;
        handler_->OnStartDocument(M_DWAPPDATA, stop);
        if (stop) return Finish();
    }
    while (position_ < length_ && chars::IsSpace(text_[position_])) ++position_;

    // A run is the characters since the last comment or tag; a "<" that starts neither joins it.
    std::size_t run = position_;
    std::size_t scan = position_;
    const char* const end = text_ + length_;
    while (const char* lt = Find(text_ + scan, end, '<')) {
        const auto at = static_cast<std::size_t>(lt - text_);
        const Markup markup = ReadMarkup(at);
        if (markup == Markup::None) {
            scan = at + 1;
            continue;
        }
        if (FlushText(run, at)) return Finish();
        if (markup == Markup::Comment ? ReportComment() : ReportTag()) return Finish();
        run = scan = position_;
    }
    position_ = length_;
    FlushText(run, length_);
    return Finish();
}

void Parser::ReadAsUtf8() {
    const std::string_view page(text_, length_);
    const std::string_view charset = web::DeclaredCharset(page);
    if (charset.empty() || !runtime::CharsetToUtf8(page, charset, utf8Page_)) return;
    text_ = utf8Page_.data();
    length_ = std::min(utf8Page_.size(), kMaxLength);
    capacity_ = utf8Page_.size() + 1;  // the string's own NUL ends it
}

std::uint32_t Parser::Finish() {
    if (handler_ && (M_EVENTMASK & kDocumentEvents)) {
        std::uint8_t stop = 0;
        handler_->OnEndDocument(M_DWAPPDATA, stop);
    }
    return static_cast<std::uint32_t>(position_ + 1);
}

Parser::Markup Parser::ReadMarkup(std::size_t at) {
    if (length_ - at < kMinMarkup) return Markup::None;
    if (text_[at + 1] == '!' && text_[at + 2] == '-' && text_[at + 3] == '-') {
        if (SkipComment(at)) return Markup::Comment;
    }
    return ReadTag(at) ? Markup::Tag : Markup::None;
}

bool Parser::SkipComment(std::size_t at) {
    const std::size_t body = at + kMinMarkup;
    const char* const end = text_ + length_;
    // The closing "--" must leave room for its ">", so its first "-" is at most third-last.
    const char* const last = end - 2;
    for (const char* dash = text_ + body; dash < last; ++dash) {
        dash = Find(dash, last, '-');
        if (!dash) break;
        if (dash[1] != '-') continue;
        const char* close = dash + 2;
        while (close < end && chars::IsSpace(*close)) ++close;
        if (close == end || *close != '>') return false;
        text_[dash - text_] = '\0';
        comment_ = {text_ + body, static_cast<std::size_t>(dash - (text_ + body))};
        position_ = static_cast<std::size_t>(close - text_) + 1;
        return true;
    }
    // Unclosed: the rest of the text is the comment.
    comment_ = {text_ + body, length_ - body};
    position_ = length_;
    return true;
}

bool Parser::ReportComment() {
    if (comment_.empty() || !handler_) return false;
    std::string_view text = comment_;
    // An unclosed comment that runs to the end of the caller's buffer has no NUL after it.
    const bool unclosed = text.data() + text.size() == text_ + length_;
    if (unclosed && (length_ == capacity_ || text_[length_] != '\0')) {
        char* copy = RunBuffer(text.size());
        std::copy(text.begin(), text.end(), copy);
        text = {copy, text.size()};
    }
    std::uint8_t stop = 0;
    handler_->OnComment(text, M_DWAPPDATA, stop);
    return stop != 0;
}

bool Parser::ReportTag() {
    std::uint8_t stop = 0;
    if (start_ && handler_ && (M_EVENTMASK & kStartEvents)) {
        handler_->OnStartElement(element_, M_DWAPPDATA, stop);
        if (stop) return true;
    }
    if (end_ && handler_ && (M_EVENTMASK & kEndEvents)) {
        handler_->OnEndElement(element_, M_DWAPPDATA, stop);
        if (stop) return true;
    }
    return false;
}

char* Parser::RunBuffer(std::size_t size) {
    if (run_.size() <= size) run_.resize(size + 1);
    run_[size] = '\0';
    return run_.data();
}

bool Parser::FlushText(std::size_t begin, std::size_t end) {
    if (!handler_ || !(M_EVENTMASK & kTextEvents)) return false;
    const char* from = text_ + begin;
    const char* const to = text_ + end;
    // Runs of white space only are not reported; they hold no reference either.
    if (chars::AllSpace(from, to)) return false;

    char* const run = RunBuffer(end - begin);
    char* out = run;
    bool decoded = false;
    for (const char* amp = Find(from, to, '&'); amp; amp = Find(from, to, '&')) {
        decoded = true;
        out = std::copy(from, amp, out);
        char32_t character = 0;
        const std::size_t length =
            EntityTable::Decode({amp, static_cast<std::size_t>(to - amp)}, character);
        // An "&" that starts no reference is dropped; the characters after it stay. A
        // reference is never shorter than its character in UTF-8, so the run only shrinks.
        if (length) out += runtime::EncodeUtf8(character, out);
        from = amp + (length ? length : 1);
    }
    out = std::copy(from, to, out);
    *out = '\0';
    const std::string_view text(run, static_cast<std::size_t>(out - run));
    if (decoded && chars::AllSpace(run, out)) return false;

    std::uint8_t stop = 0;
    handler_->OnCharacters(text, M_DWAPPDATA, stop);
    return stop != 0;
}

}  // namespace zem::HTML
