#include "web/google_ads_handler.h"

#include <string>

#include "data/dictionary.h"
#include "web/reply_fields.h"
#include "web/stores.h"

namespace zem::web {
namespace {

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 'a' && byte <= 'z') c = static_cast<char>(byte - 'a' + 'A');
    }
    return upper;
}

// The query's store domain in upper case; empty when the query's site is no store, so that
// nothing on the page counts as the store's own.
std::string StoreDomain() {
    const StoreInfo* store = StoreBySite(data::Dict().QUE.SITE);
    return store ? UpperAscii(store->domain) : std::string();
}

}  // namespace

void GoogleAdsHandler::Reset() {
    STATE = 0;
    AFF = 0;
    M_ERRORCODE = 0;
    address_.clear();
}

void GoogleAdsHandler::OnStartElement(const HTML::Element& element, std::uint32_t, std::uint8_t&) {
    const std::string_view tag = element.GetName();
    const HTML::AttributeList& attributes = element.ATTRIBUTES;
    // A display address ends with its span; a block that starts before the span ended ends it
    // too, and is read as the sponsored block goes on.
    if (STATE == 20 && tag == "div") EndDisplayAddress();
    switch (STATE) {
        case 0:
            // Counting starts afresh with the page, whatever an earlier check left in the row.
            data::Dict().GOO.ADS = 0;
            if (tag != "div") break;
            if (attributes.GetValue("id") == "tads") {
                STATE = 1;
            } else if (attributes.GetValue("class") == "g") {
                STATE = 8;
            }
            break;
        case 1:
            // Sponsored results are numbered in page order; AFF stops short of wrapping.
            if (tag == "div" && AFF < 255 &&
                attributes.GetValue("id") == "tpa" + std::to_string(AFF + 1)) {
                STATE = 2;
            }
            break;
        case 3:
            if (tag == "span" && attributes.GetValue("class") == "a") STATE = 20;
            break;
        case 4:
            if (tag == "table") STATE = 5;
            break;
        case 6:
            if (tag == "div") STATE = 7;
            break;
        case 7:
            if (tag == "div" && attributes.GetValue("class") == "g") STATE = 8;
            break;
        case 8:
            if (tag == "h2" && attributes.GetValue("class") == "r") STATE = 9;
            break;
        case 9:
            if (tag == "a") {
                CheckResult(attributes.GetValue("href"));
                STATE = 7;
            }
            break;
        default:
            break;
    }
}

void GoogleAdsHandler::OnEndElement(const HTML::Element& element, std::uint32_t,
                                    std::uint8_t& stop) {
    const std::string_view tag = element.GetName();
    if (tag == "body") {
        if (data::Access(data::TableId::Goods).Update() != ui::Benign) M_ERRORCODE = 1;
        STATE = 0;
        Stop(stop);
        return;
    }
    // A display address ends with its span, or with the block around it.
    if (STATE == 20 && (tag == "span" || tag == "div")) EndDisplayAddress();
    if (tag == "div" && STATE == 1) {
        STATE = 4;
    } else if (tag == "div" && STATE == 2) {
        STATE = 3;
    } else if (tag == "table" && STATE == 5) {
        STATE = 6;
    }
}

// The engine sets the searched words in bold inside a display address as well, so the address
// is every text up to the span's end, not only the first piece.
void GoogleAdsHandler::OnCharacters(std::string_view text, std::uint32_t, std::uint8_t&) {
    if (STATE == 20) address_ += text;
}

void GoogleAdsHandler::EndDisplayAddress() {
    CheckSponsored(address_);
    address_.clear();
    STATE = 1;
}

void GoogleAdsHandler::CheckSponsored(std::string_view displayAddress) {
    const std::string domain = StoreDomain();
    if (!domain.empty() && UpperAscii(displayAddress).find("WWW." + domain) != std::string::npos)
        data::Dict().GOO.AFFILATIVE = 1;
    ++AFF;
}

void GoogleAdsHandler::CheckResult(std::string_view href) {
    const std::string domain = StoreDomain();
    // A link broken over lines keeps its line break, which leads nowhere.
    if (domain.empty() || !UpperAscii(TrimBlanks(href)).starts_with("HTTP://WWW." + domain))
        ++data::Dict().GOO.ADS;
}

}  // namespace zem::web
