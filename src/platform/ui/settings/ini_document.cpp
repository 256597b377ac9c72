#include "platform/ui/settings/ini_document.h"

#include <algorithm>

#include "platform/runtime/letter_case.h"

namespace zem::ui {
namespace {

std::string_view Trim(std::string_view text) {
    constexpr std::string_view kBlanks = " \t";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

template <class Line>
bool IsBlank(const Line& line) {
    return !line.setting && Trim(line.text).empty();
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// The name of a "[Section]" line, or nullopt when the line is no section header.
std::optional<std::string_view> SectionName(std::string_view trimmed) {
    if (!trimmed.starts_with('[')) return std::nullopt;
    const std::size_t close = trimmed.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view name = Trim(trimmed.substr(1, close - 1));
    if (name.empty()) return std::nullopt;
    return name;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument document;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);

        const std::string_view trimmed = Trim(line);
        if (const auto name = SectionName(trimmed)) {
            document.sections_.push_back({std::string(line), std::string(*name), {}});
            continue;
        }
        if (document.sections_.empty()) {
            document.preamble_.emplace_back(line);
            continue;
        }
        Line parsed{std::string(line)};
        const std::size_t equals = trimmed.find('=');
        const std::string_view key =
            equals == std::string_view::npos ? std::string_view() : Trim(trimmed.substr(0, equals));
        // Comments, blank lines and lines that are no setting are kept but never read.
        if (!key.empty() && !trimmed.starts_with(';') && !trimmed.starts_with('[')) {
            parsed.setting = true;
            parsed.key = key;
            parsed.value = Trim(trimmed.substr(equals + 1));
        }
        document.sections_.back().lines.push_back(std::move(parsed));
    }
    return document;
}

std::string IniDocument::Format() const {
    std::string out;
    for (const std::string& line : preamble_) (out += line) += '\n';
    for (const Section& section : sections_) {
        (out += section.header) += '\n';
        for (const Line& line : section.lines) (out += line.text) += '\n';
    }
    return out;
}

template <class Sections>
auto IniDocument::FindSection(Sections& sections, std::string_view name) -> decltype(&sections[0]) {
    for (auto& section : sections) {
        if (runtime::EqualIgnoringCase(section.name, name)) return &section;
    }
    return nullptr;
}

std::optional<std::string> IniDocument::Fetch(std::string_view section,
                                              std::string_view key) const {
    const Section* found = FindSection(sections_, Trim(section));
    if (found == nullptr) return std::nullopt;
    key = Trim(key);
    for (const Line& line : found->lines) {
        if (line.setting && runtime::EqualIgnoringCase(line.key, key)) return line.value;
    }
    return std::nullopt;
}

bool IniDocument::Update(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    value = Trim(value);
    if (section.empty() || HasLineBreak(section) || section.find(']') != std::string_view::npos) {
        return false;
    }
    if (key.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
        key.starts_with(';') || key.starts_with('[')) {
        return false;
    }
    if (HasLineBreak(value)) return false;

    Line setting{std::string(key) + "=" + std::string(value), true, std::string(key),
                 std::string(value)};
    Section* target = FindSection(sections_, section);
    if (target == nullptr) {
        // A blank line between sections, as people write them.
        if (!sections_.empty() && !sections_.back().lines.empty() &&
            !IsBlank(sections_.back().lines.back())) {
            sections_.back().lines.push_back(Line{});
        }
        target = &sections_.emplace_back(
            Section{"[" + std::string(section) + "]", std::string(section), {}});
    }
    for (Line& line : target->lines) {
        if (line.setting && runtime::EqualIgnoringCase(line.key, key)) {
            line = std::move(setting);
            return true;
        }
    }
    // After the section's last setting: what follows it (a blank line, a comment that heads
    // the next section) stays between this section's settings and the next section.
    auto at = target->lines.begin();
    for (auto line = target->lines.begin(); line != target->lines.end(); ++line) {
        if (line->setting) at = line + 1;
    }
    target->lines.insert(at, std::move(setting));
    return true;
}

}  // namespace zem::ui
