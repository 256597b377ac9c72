#include "research/campaign/campaign_lines.h"

#include <iterator>

#include "platform/runtime/trailing_blanks.h"
#include "shell/ad_template.h"
#include "web/stores.h"

namespace zem::research {
namespace {

constexpr char kTab = '\t';
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kMatchWords[] = {"broad", "exact", "phrase"};

// The display domain and link prefix are CSTRING(256) values; one call-to-action line is
// expanded from a CSTRING(16384).
constexpr std::size_t kStoreTextLength = 255;
constexpr std::size_t kActionLineLength = 16383;

std::string Cut(std::string text, std::size_t length) {
    if (text.size() > length) text.resize(length);
    return text;
}

}  // namespace

void CampaignText::AddLine(std::string_view line) {
    if (Full()) return;
    std::string piece;
    if (!text_.empty()) piece = kLineBreak;
    piece += line;
    text_.append(piece, 0, FittingLength(piece, kMaxCampaignText - text_.size(), charset_));
}

std::vector<std::string_view> CallToActionLines(std::string_view actions) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < actions.size()) {
        const std::size_t end = actions.find(kLineBreak, start);
        if (end == std::string_view::npos) {
            lines.push_back(actions.substr(start));
            break;
        }
        lines.push_back(actions.substr(start, end - start));
        start = end + kLineBreak.size();
    }
    return lines;
}

std::string_view Headline(std::string_view keywords, TextCharset charset) {
    return keywords.substr(0, FittingLength(keywords, kHeadlineLength, charset));
}

StoreLinks LinksOf(std::int32_t siteFlag) {
    const web::StoreInfo* store = web::StoreBySite(siteFlag);
    if (!store) return {};
    const std::string host = "www." + std::string(store->domain);
    return {Cut(host, kStoreTextLength),
            Cut("http://" + host + "/exec/obidos/ASIN/", kStoreTextLength)};
}

CampaignBuilder::CampaignBuilder(const CampaignSetup& setup)
    : setup_(setup),
      name_(runtime::WithoutTrailingBlanks(setup.name)),
      actions_(CallToActionLines(setup.actions)),
      keywords_(setup.charset),
      textAds_(setup.charset) {}

void CampaignBuilder::Add(const CampaignItem& item) {
    const std::string_view adGroup = runtime::WithoutTrailingBlanks(item.keywords);
    auto expand = [&](std::string_view templateText) {
        return shell::ExpandAdTemplateFor(setup_.siteFlag, templateText, item.keywords,
                                          item.listPrice, item.amazonPrice, setup_.charset);
    };
    auto start = [&] {
        std::string line(name_);
        line += kTab;
        line += adGroup;
        line += kTab;
        return line;
    };

    const bool ticked[] = {setup_.match.broad, setup_.match.exact, setup_.match.phrase};
    // A full text takes nothing more, so nothing is expanded for it.
    for (std::size_t m = 0; m < std::size(ticked) && !keywords_.Full(); ++m) {
        if (!ticked[m]) continue;
        for (std::string_view action : actions_) {
            if (keywords_.Full()) break;
            std::string line = start();
            line += expand(action.substr(0, kActionLineLength));
            line += kTab;
            line += kMatchWords[m];
            line += kTab;
            line += kDefaultBid;
            keywords_.AddLine(line);
        }
    }

    if (textAds_.Full()) return;
    std::string ad = start();
    ad += Headline(item.keywords, setup_.charset);
    ad += kTab;
    ad += expand(setup_.adLine1);
    ad += kTab;
    ad += expand(setup_.adLine2);
    ad += kTab;
    ad += setup_.links.displayDomain;
    ad += kTab;
    ad += setup_.links.linkPrefix;
    ad += item.asin;
    ad += '/';
    ad += setup_.affiliateId;
    textAds_.AddLine(ad);
}

}  // namespace zem::research
