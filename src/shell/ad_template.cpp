#include "shell/ad_template.h"

#include "data/dictionary.h"
#include "platform/runtime/pictures.h"
#include "web/stores.h"

namespace zem::shell {
namespace {

std::string Placeholder(std::string_view token, std::string_view sign, std::string_view keyword,
                        double listPrice, double amazonPrice, bool& matched) {
    // Upper-cased; trailing blanks inside the braces do not count, leading ones do.
    std::string name(token);
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    while (!name.empty() && name.back() == ' ') name.pop_back();
    matched = true;
    if (name == "KEYWORD") return std::string(keyword);
    if (name == "PRICE")
        return std::string(sign) + runtime::Trimmed(runtime::FormatNumber(amazonPrice, "n_10.2"));
    if (name == "SAVINGS")
        return std::string(sign) +
               runtime::Trimmed(runtime::FormatNumber(listPrice - amazonPrice, "n_6.2"));
    if (name == "SAVINGS%") {
        // Without a list price there is nothing to save against.
        const double percent = listPrice == 0 ? 0 : (listPrice - amazonPrice) / listPrice * 100;
        return runtime::Trimmed(runtime::FormatNumber(percent, "n_8.2~ %~"));
    }
    matched = false;
    return {};
}

}  // namespace

std::string ExpandAdTemplateFor(std::int32_t siteFlag, std::string_view text,
                                std::string_view keyword, double listPrice, double amazonPrice,
                                runtime::CodePage codePage) {
    const std::string sign = web::CurrencySign(siteFlag, codePage);
    std::string result;
    for (std::size_t i = 0; i < text.size() && result.size() < kMaxExpandedText; ++i) {
        if (text[i] != '{') {
            result += text[i];
            continue;
        }
        const std::size_t close = text.find('}', i + 1);
        if (close != std::string_view::npos) {
            bool matched = false;
            std::string value = Placeholder(text.substr(i + 1, close - i - 1), sign, keyword,
                                            listPrice, amazonPrice, matched);
            if (matched) {
                result += value;
                i = close;
                continue;
            }
        }
        // No closing brace, or an unknown name: the brace is text, and scanning goes on after it.
        result += '{';
    }
    result.resize(runtime::FittingLength(result, kMaxExpandedText, codePage));
    return result;
}

std::string ExpandAdTemplate(std::string_view text, std::string_view keyword, double listPrice,
                             double amazonPrice) {
    const std::int32_t site = data::Dict().QUE.SITE;
    return ExpandAdTemplateFor(site, text, keyword, listPrice, amazonPrice, web::CodePageOf(site));
}

}  // namespace zem::shell
