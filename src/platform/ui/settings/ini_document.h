#pragma once
// The text of an INI file as Windows writes it: "[Section]" lines, "key=value" lines, comments
// starting with ';'. Section and key names compare without regard to case (ASCII and code page
// 1252 letters) and are trimmed; values are trimmed and may hold '='. Every line is kept as
// written until it is changed, also those that are no setting (comments, blank lines, damaged
// lines, lines before the first section), so an unchanged document formats to its own text.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zem::ui {

class IniDocument {
  public:
    static IniDocument Parse(std::string_view text);
    // Lines end in "\n".
    std::string Format() const;

    // The value of the first such key in the first such section.
    std::optional<std::string> Fetch(std::string_view section, std::string_view key) const;

    // Changes the key where it stands, or adds it after the section's last setting (at the
    // section's start when it has none), or adds the section at the end. Answers false and changes
    // nothing when the names or the value could not be read back as given: an empty name, a line
    // break, '=' or a leading ';' or
    // '[' in a key, ']' in a section name.
    bool Update(std::string_view section, std::string_view key, std::string_view value);

  private:
    struct Line {
        std::string text;  // as written, without its line end
        bool setting = false;
        std::string key;    // settings only
        std::string value;  // settings only
    };
    struct Section {
        std::string header;  // the "[name]" line as written
        std::string name;
        std::vector<Line> lines;
    };

    template <class Sections>
    static auto FindSection(Sections& sections, std::string_view name) -> decltype(&sections[0]);

    std::vector<std::string> preamble_;  // lines before the first section
    std::vector<Section> sections_;
};

}  // namespace zem::ui
