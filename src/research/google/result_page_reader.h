#pragma once
// Reads one search result page into the Goods row it was asked for: the page handler counts
// the competitors and marks the store's own ads into this thread's Goods buffer and writes the
// row back at the end of the page body. A page that is no result page, or that stops before its
// body ends, leaves the stored row as it was.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "web/google_ads_handler.h"
#include "web/html_parser.h"

namespace zem::research {

enum class PageReading : std::uint8_t {
    Checked,        // the row holds the page's counts, stored
    NotResultPage,  // an error page of the search engine or of a proxy: nothing stored
    Incomplete,     // the page stops before its body ends: nothing stored
    RowNotWritten,  // the row could not be written back (the table manager said why)
};

// Result pages are asked for in English; their title ends so whatever the store.
inline constexpr std::string_view kResultPageTitleEnd = " - Google Search";

class ResultPageReader {
  public:
    ResultPageReader();
    ResultPageReader(const ResultPageReader&) = delete;
    ResultPageReader& operator=(const ResultPageReader&) = delete;

    // Parses the NUL-terminated page (the parser writes into it) for the row in the Goods
    // buffer, read from the table just before, and the query in the Queries buffer.
    PageReading Read(std::span<char> page);

  private:
    // The page handler, watching the page's title and the end of its body on the way.
    class Handler final : public web::GoogleAdsHandler {
      public:
        void Begin();
        void OnStartElement(const HTML::Element& element, std::uint32_t appData,
                            std::uint8_t& stop) override;
        void OnEndElement(const HTML::Element& element, std::uint32_t appData,
                          std::uint8_t& stop) override;
        void OnCharacters(std::string_view text, std::uint32_t appData,
                          std::uint8_t& stop) override;

        bool ResultPage() const;
        bool bodyEnded = false;
        bool refused = false;  // the body ended on a page that is no result page

      private:
        bool inTitle_ = false;
        std::string title_;
    };

    Handler handler_;
    HTML::Parser parser_;
};

}  // namespace zem::research
