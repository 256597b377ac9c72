#pragma once
// Reads one page of an ItemSearch reply and adds a Goods row of the current query for every
// item that has a new price, looking up or adding each item's brand on the way. The owner resets
// it before each page and reads the totals and the error code after the parse. Runs on a thread
// whose dictionary is built; it uses that thread's Queries, Goods and Brands buffers.
#include <cstdint>
#include <string_view>

#include "web/html_event_handler.h"

namespace zem::web {

class ItemSearchHandler : public HTML::EventHandler {
  public:
    // Starts a page. M_ERRORCODE stays as it was: a failure lasts until the owner has seen it.
    void Reset();

    void OnStartElement(const HTML::Element& element, std::uint32_t appData,
                        std::uint8_t& stop) override;
    void OnEndElement(const HTML::Element& element, std::uint32_t appData,
                      std::uint8_t& stop) override;
    void OnCharacters(std::string_view text, std::uint32_t appData, std::uint8_t& stop) override;

    std::uint8_t STATE = 0;
    std::int32_t TOTALPAGES = 0;
    std::int32_t TOTALITEMS = 0;
    std::int32_t PARSEDITEMS = 0;  // Goods rows added from this page
    std::int32_t M_ERRORCODE = 0;  // -1 after a failed table operation
    // 1: the summary's lowest new price is held and the first new offer may replace it;
    // 2: an offer's price was taken and its currency is awaited; 0: no replacement.
    std::uint8_t ONLYOFFER = 0;

  private:
    void LookUpBrand(std::string_view name, std::uint8_t& stop);
    void StoreItem(std::uint8_t& stop);

    // Amounts as the reply gave them: their unit is known only when the currency code follows.
    bool inItem_ = false;  // an "Item" start tag opened the item in the buffer
    std::int64_t listAmount_ = 0;
    std::int64_t newAmount_ = 0;
};

}  // namespace zem::web
