#include "platform/ui/help/help_content.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "platform/ui/resources/resources.h"

namespace zem::ui {
namespace {

// Help pages are a few kilobytes; anything far larger is not a page of ours.
constexpr std::uintmax_t kMaxPageBytes = std::uintmax_t{8} * 1024 * 1024;

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsHelpPage(const std::filesystem::path& file) {
    return Lower(file.extension().string()) == ".htm";
}

// The character an entity stands for, with the entity's length; the common ones only, any
// other is left as written. lower is the text from the '&' on, lower-cased.
std::pair<std::string, std::size_t> DecodeEntity(std::string_view lower) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kNamed{{
        {"&amp;", "&"},
        {"&lt;", "<"},
        {"&gt;", ">"},
        {"&quot;", "\""},
        {"&apos;", "'"},
        {"&nbsp;", " "},
    }};
    for (const auto& [name, value] : kNamed) {
        if (lower.starts_with(name)) return {std::string(value), name.size()};
    }
    if (lower.starts_with("&#")) {
        unsigned code = 0;
        std::size_t i = 2;
        while (i < lower.size() && i < 6 && lower[i] >= '0' && lower[i] <= '9') {
            code = code * 10 + static_cast<unsigned>(lower[i] - '0');
            ++i;
        }
        // Only ASCII: the pages' own encoding decides what larger numbers would be.
        if (i > 2 && i < lower.size() && lower[i] == ';' && code > 0 && code < 128) {
            return {std::string(1, static_cast<char>(code)), i + 1};
        }
    }
    return {"&", 1};
}

// Whether lower at pos opens the element name ("<script", "</title").
bool OpensTag(std::string_view lower, std::size_t pos, std::string_view tag) {
    if (!lower.substr(pos).starts_with(tag) || lower.size() == pos + tag.size()) return false;
    const char next = lower[pos + tag.size()];
    return next == '>' || next == '/' || IsSpace(next);
}

struct PageText {
    std::string title;
    std::string text;  // markup left out, entities decoded; each tag counts as a space
};

PageText ReadPage(std::string_view html) {
    const std::string lower = Lower(html);
    PageText page;
    bool inTitle = false;
    std::size_t pos = 0;
    while (pos < html.size()) {
        const char c = html[pos];
        if (c == '&') {
            const auto [value, length] = DecodeEntity(std::string_view(lower).substr(pos));
            page.text += value;
            if (inTitle) page.title += value;
            pos += length;
            continue;
        }
        if (c != '<') {
            page.text += c;
            if (inTitle) page.title += c;
            ++pos;
            continue;
        }
        if (lower.compare(pos, 4, "<!--") == 0) {
            const std::size_t end = lower.find("-->", pos + 4);
            pos = end == std::string::npos ? html.size() : end + 3;
            continue;
        }
        // Scripts and style sheets are not text the reader sees: go on at their end tag.
        for (const std::string_view hidden :
             {std::string_view("script"), std::string_view("style")}) {
            if (!OpensTag(lower, pos + 1, hidden)) continue;
            pos = lower.find("</" + std::string(hidden), pos + 1);
            if (pos == std::string::npos) return page;
        }
        if (OpensTag(lower, pos + 1, "title")) inTitle = page.title.empty();
        if (OpensTag(lower, pos + 1, "/title")) inTitle = false;
        const std::size_t close = lower.find('>', pos);
        pos = close == std::string::npos ? html.size() : close + 1;
        page.text += ' ';
    }
    return page;
}

// The title as one line: runs of blanks become one space.
std::string OneLine(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (!IsSpace(c)) {
            out += c;
        } else if (!out.empty() && out.back() != ' ') {
            out += ' ';
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::vector<std::string> SplitWords(std::string_view words) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < words.size()) {
        while (pos < words.size() && IsSpace(words[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < words.size() && !IsSpace(words[pos])) ++pos;
        if (pos > start) out.push_back(Lower(words.substr(start, pos - start)));
    }
    return out;
}

std::optional<std::string> ReadSmallFile(const std::filesystem::path& file) {
    std::error_code failure;
    const std::uintmax_t size = std::filesystem::file_size(file, failure);
    if (failure || size > kMaxPageBytes) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

std::filesystem::path HelpSetDir(std::string_view /*helpFile*/) {
    return HelpDir();
}

std::optional<std::filesystem::path> HelpTopicPath(std::string_view topic) {
    return FindFileIgnoringCase(HelpDir(), topic);
}

std::filesystem::path HelpContentsPath() {
    return HelpDir() / "index.htm";
}

std::vector<HelpHit> SearchHelp(std::string_view words) {
    const std::vector<std::string> wanted = SplitWords(words);
    std::vector<HelpHit> hits;
    std::error_code failure;
    std::filesystem::directory_iterator entry(HelpDir(), failure);
    for (; !failure && entry != std::filesystem::directory_iterator(); entry.increment(failure)) {
        std::error_code notFile;
        if (!IsHelpPage(entry->path()) || !entry->is_regular_file(notFile)) continue;
        const std::optional<std::string> html = ReadSmallFile(entry->path());
        if (!html) continue;
        const PageText page = ReadPage(*html);
        const std::string text = Lower(page.text);
        const std::string title = OneLine(page.title);
        const bool all = std::all_of(wanted.begin(), wanted.end(), [&text](const std::string& w) {
            return text.find(w) != std::string::npos;
        });
        if (!all) continue;
        const std::string topic = entry->path().filename().string();
        hits.push_back({topic, title.empty() ? topic : title});
    }
    std::sort(hits.begin(), hits.end(), [](const HelpHit& a, const HelpHit& b) {
        const std::string x = Lower(a.title), y = Lower(b.title);
        return x != y ? x < y : a.topic < b.topic;
    });
    return hits;
}

}  // namespace zem::ui
