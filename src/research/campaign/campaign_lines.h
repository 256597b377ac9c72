#pragma once
// The two texts of a campaign for the AdWords editor's bulk import: keyword lines and text-ad
// lines, fields separated by TAB, CR LF between lines (none after the last), each text cut at its
// bound. Texts are bytes in the window's character set.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/runtime/code_pages.h"

namespace zem::research {

// The most bytes each of the two texts holds; what goes beyond is cut off.
inline constexpr std::size_t kMaxCampaignText = 65535;
// A text ad's headline is the start of the item's keywords, as long as AdWords allows.
inline constexpr std::size_t kHeadlineLength = 25;
// The bid column, the same for every store, with a decimal comma.
inline constexpr std::string_view kDefaultBid = "0,00";

// The window's code page: texts are cut anywhere in code page 1252, in Shift-JIS never between
// the two bytes of one character (runtime::FittingLength), and the currency signs are written
// in it.
using TextCharset = runtime::CodePage;
using runtime::FittingLength;

// One of the two texts, growing line by line up to kMaxCampaignText bytes.
class CampaignText {
  public:
    explicit CampaignText(TextCharset charset) : charset_(charset) {}

    // Appends a line, with CR LF before it unless the text is empty.
    void AddLine(std::string_view line);
    bool Full() const { return text_.size() >= kMaxCampaignText; }
    const std::string& Text() const { return text_; }
    std::string Take() { return std::move(text_); }

  private:
    TextCharset charset_;
    std::string text_;
};

// The lines of a store's call-to-action text: the pieces between CR LF pairs. A text ending in
// CR LF has no empty last line; a lone CR or LF stays inside its line.
std::vector<std::string_view> CallToActionLines(std::string_view actions);

// The first kHeadlineLength bytes of the keywords, blanks included.
std::string_view Headline(std::string_view keywords, TextCharset charset);

// What the ads show of a store: its shop host and the start of its product links. Both empty
// for a value that is no store.
struct StoreLinks {
    std::string displayDomain;  // "www.amazon.com"
    std::string linkPrefix;     // "http://www.amazon.com/exec/obidos/ASIN/"
};
StoreLinks LinksOf(std::int32_t siteFlag);

struct MatchOptions {
    bool broad = false;
    bool exact = false;
    bool phrase = false;
};

// Everything a campaign takes besides its items; the views must outlive the builder.
struct CampaignSetup {
    std::string_view name;  // trailing blanks do not count
    MatchOptions match;
    std::int32_t siteFlag = 0;  // the currency sign of the expanded templates
    std::string_view actions;   // the store's call-to-action lines
    std::string_view adLine1;   // the store's two ad description templates
    std::string_view adLine2;
    std::string_view affiliateId;
    StoreLinks links;
    TextCharset charset = TextCharset::Ansi;
};

// One tagged item as its Goods row gives it.
struct CampaignItem {
    std::string_view keywords;
    std::string_view asin;
    double listPrice = 0;
    double amazonPrice = 0;
};

// Builds both texts item by item.
class CampaignBuilder {
  public:
    explicit CampaignBuilder(const CampaignSetup& setup);

    // Adds the item's keyword lines (per ticked option, broad, exact, phrase, each with every
    // call-to-action line) and its text-ad line.
    void Add(const CampaignItem& item);

    CampaignText& Keywords() { return keywords_; }
    CampaignText& TextAds() { return textAds_; }

  private:
    const CampaignSetup& setup_;
    std::string_view name_;
    std::vector<std::string_view> actions_;
    CampaignText keywords_;
    CampaignText textAds_;
};

}  // namespace zem::research
