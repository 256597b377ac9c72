#pragma once
// Builds XML and HTML text element by element. It keeps the open elements on a stack, so every
// reply it produces has balanced tags, and it escapes texts and attribute values on the way.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zem::sim {

struct Attribute {
    std::string_view name;
    std::string_view value;
};

class MarkupWriter {
  public:
    // Written as is: declarations, doctype, line breaks between blocks.
    void Raw(std::string_view markup) { out_ += markup; }
    void Open(std::string_view name, std::initializer_list<Attribute> attributes = {});
    // An element without content and without end tag (HTML's br).
    void Void(std::string_view name, std::initializer_list<Attribute> attributes = {});
    void Close();
    void Text(std::string_view text);
    // Open, text, close.
    void Element(std::string_view name, std::string_view text);
    // Closes every element still open and hands over the text.
    std::string Finish();

  private:
    void StartTag(std::string_view name, std::initializer_list<Attribute> attributes);

    std::string out_;
    std::vector<std::string> open_;
};

// The text as valid UTF-8 without the control characters XML forbids. Requests carry bytes of
// any code page (the program sends code page 1252), so a byte that does not start a valid UTF-8
// sequence is taken as Latin-1.
std::string ToUtf8Text(std::string_view bytes);

}  // namespace zem::sim
