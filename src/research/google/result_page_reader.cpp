#include "research/google/result_page_reader.h"

namespace zem::research {
namespace {

// Only the end of the title tells a result page; its last characters are all that is kept.
constexpr std::size_t kTitleKept = 256;

}  // namespace

ResultPageReader::ResultPageReader() {
    parser_.SetHandler(&handler_);
}

PageReading ResultPageReader::Read(std::span<char> page) {
    handler_.Begin();
    parser_.Parse(page);
    if (handler_.refused) return PageReading::NotResultPage;
    if (!handler_.bodyEnded) return PageReading::Incomplete;
    if (handler_.M_ERRORCODE != 0) return PageReading::RowNotWritten;
    return PageReading::Checked;
}

void ResultPageReader::Handler::Begin() {
    Reset();
    bodyEnded = false;
    refused = false;
    inTitle_ = false;
    title_.clear();
}

bool ResultPageReader::Handler::ResultPage() const {
    return title_.ends_with(kResultPageTitleEnd);
}

void ResultPageReader::Handler::OnStartElement(const HTML::Element& element, std::uint32_t appData,
                                               std::uint8_t& stop) {
    if (element.GetName() == "title") {
        inTitle_ = true;
        title_.clear();
    }
    GoogleAdsHandler::OnStartElement(element, appData, stop);
}

void ResultPageReader::Handler::OnEndElement(const HTML::Element& element, std::uint32_t appData,
                                             std::uint8_t& stop) {
    const std::string_view tag = element.GetName();
    if (tag == "title") inTitle_ = false;
    if (tag == "body") {
        bodyEnded = true;
        // An error page has a body end too: counted as a result page it would store no
        // competitors for the item.
        if (!ResultPage()) {
            refused = true;
            Stop(stop);
            return;
        }
    }
    GoogleAdsHandler::OnEndElement(element, appData, stop);
}

void ResultPageReader::Handler::OnCharacters(std::string_view text, std::uint32_t appData,
                                             std::uint8_t& stop) {
    if (inTitle_) {
        title_ += text.substr(text.size() > kTitleKept ? text.size() - kTitleKept : 0);
        if (title_.size() > kTitleKept) title_.erase(0, title_.size() - kTitleKept);
    }
    GoogleAdsHandler::OnCharacters(text, appData, stop);
}

}  // namespace zem::research
