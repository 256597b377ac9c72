#pragma once
// Reads a search result page for one Goods row: marks the row when a sponsored result shows the
// store's own domain and counts the ordinary results that link elsewhere, then writes the row
// back at the end of the page body. Works on this thread's Queries and Goods buffers, with the
// Goods buffer holding the row the owner fetched.
#include <cstdint>
#include <string>
#include <string_view>

#include "web/html_event_handler.h"

namespace zem::web {

class GoogleAdsHandler : public HTML::EventHandler {
  public:
    void Reset();

    void OnStartElement(const HTML::Element& element, std::uint32_t appData,
                        std::uint8_t& stop) override;
    void OnEndElement(const HTML::Element& element, std::uint32_t appData,
                      std::uint8_t& stop) override;
    void OnCharacters(std::string_view text, std::uint32_t appData, std::uint8_t& stop) override;

    std::uint8_t STATE = 0;
    std::uint8_t AFF = 0;          // sponsored results seen on this page
    std::int32_t M_ERRORCODE = 0;  // 1 when writing the row back failed

  private:
    void CheckSponsored(std::string_view displayAddress);
    void EndDisplayAddress();
    void CheckResult(std::string_view href);

    std::string address_;  // the display address read so far (state 20)
};

}  // namespace zem::web
