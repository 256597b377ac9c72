#include "web/service_error_code.h"

#include "web/html_parser.h"

namespace zem::web {
namespace {

class ErrorCodeReader final : public HTML::EventHandler {
  public:
    void OnStartElement(const HTML::Element& element, std::uint32_t, std::uint8_t&) override {
        const std::string_view tag = element.GetName();
        if (tag == "Error") inError_ = true;
        if (inError_ && tag == "Code") inCode_ = true;
    }
    void OnEndElement(const HTML::Element& element, std::uint32_t, std::uint8_t& stop) override {
        const std::string_view tag = element.GetName();
        if (tag == "Code" && inCode_) Stop(stop);  // the first code is the one
        if (tag == "Error") inError_ = false;
    }
    void OnCharacters(std::string_view text, std::uint32_t, std::uint8_t&) override {
        if (inCode_) code += text;
    }

    std::string code;

  private:
    bool inError_ = false;
    bool inCode_ = false;
};

std::string_view Trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

std::string ServiceErrorCode(std::span<char> reply) {
    ErrorCodeReader reader;
    HTML::Parser parser;
    parser.SetHandler(&reader);
    parser.Parse(reply);
    return std::string(Trimmed(reader.code));
}

bool IsThrottled(std::string_view code) {
    if (!code.ends_with(kRequestThrottled)) return false;
    const std::size_t prefix = code.size() - kRequestThrottled.size();
    return prefix == 0 || code[prefix - 1] == '.';
}

}  // namespace zem::web
