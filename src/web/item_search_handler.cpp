#include "web/item_search_handler.h"

#include <string>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/pictures.h"
#include "platform/runtime/trailing_blanks.h"
#include "web/numeric_text.h"
#include "web/reply_fields.h"
#include "web/stores.h"

namespace zem::web {
namespace {

using data::TableId;

// A start tag that moves the parse on when it comes in the state before it.
struct Move {
    std::uint8_t state;
    std::string_view tag;
    std::uint8_t next;
};

// The reply's layout: totals, then per item its identity, attributes, the offer summary and
// the offers. A tag out of this order changes nothing.
constexpr Move kStartMoves[] = {
    {0, "TotalResults", 1},
    {2, "TotalPages", 3},
    {4, "Item", 5},
    {5, "ASIN", 6},
    {7, "DetailPageURL", 8},
    {9, "SalesRank", 10},
    {9, "ItemAttributes", 12},
    {12, "Brand", 13},
    {12, "Title", 14},
    {12, "ListPrice", 57},
    {57, "Amount", 58},
    {15, "CurrencyCode", 16},
    {120, "OfferSummary", 121},
    {121, "LowestNewPrice", 122},
    {122, "Amount", 123},
    {124, "CurrencyCode", 125},
    {17, "Offers", 99},
    {99, "Offer", 100},
    {100, "OfferAttributes", 101},
    {101, "Condition", 102},
    {103, "SubCondition", 104},
    {103, "Price", 59},
    {59, "Amount", 60},
    {19, "CurrencyCode", 20},
    {150, "IsEligibleForSuperSaverShipping", 151},
};

// The states that wait for an element's text, with the element. An element without text (or
// with white space only) gets no text event, so its end tag gives it the empty text: the next
// element's text must not land in its field.
struct TextState {
    std::uint8_t state;
    std::string_view tag;
};

constexpr TextState kTextStates[] = {
    {1, "TotalResults"},   {3, "TotalPages"},
    {6, "ASIN"},           {8, "DetailPageURL"},
    {10, "SalesRank"},     {13, "Brand"},
    {14, "Title"},         {58, "Amount"},
    {16, "CurrencyCode"},  {123, "Amount"},
    {125, "CurrencyCode"}, {102, "Condition"},
    {104, "SubCondition"}, {60, "Amount"},
    {20, "CurrencyCode"},  {151, "IsEligibleForSuperSaverShipping"},
};

bool AwaitsTextOf(std::uint8_t state, std::string_view tag) {
    for (const TextState& t : kTextStates)
        if (t.state == state && t.tag == tag) return true;
    return false;
}

// Amounts come in the currency's smallest unit; the yen has none smaller than itself.
double PriceOf(std::int64_t amount, std::string_view currencyCode) {
    const auto value = static_cast<double>(amount);
    return runtime::WithoutTrailingBlanks(currencyCode) == "JPY" ? value : value / 100;
}

std::string PriceText(std::string_view currencyCode, double price) {
    std::string text = CurrencySignOf(currencyCode, CodePageOf(data::Dict().QUE.SITE));
    text += runtime::FormatNumber(price, "n_14.2");
    return text;
}

// Texts are kept in the code page of the query's store.
runtime::CodePage StoreCodePage() {
    return CodePageOf(data::Dict().QUE.SITE);
}

// The title up to its first dash: the product without its variant, as an ad keyword.
std::string_view KeywordsOf(std::string_view title) {
    return runtime::WithoutTrailingBlanks(title.substr(0, title.find('-')));
}

}  // namespace

void ItemSearchHandler::Reset() {
    STATE = 0;
    TOTALPAGES = 0;
    TOTALITEMS = 0;
    PARSEDITEMS = 0;
    ONLYOFFER = 0;
    inItem_ = false;
    listAmount_ = 0;
    newAmount_ = 0;
}

void ItemSearchHandler::OnStartElement(const HTML::Element& element, std::uint32_t, std::uint8_t&) {
    const std::string_view tag = element.GetName();
    for (const Move& move : kStartMoves) {
        if (move.state != STATE || move.tag != tag) continue;
        STATE = move.next;
        if (STATE == 5) {
            data::Access(TableId::Goods).File().ClearBuffer(0);
            inItem_ = true;
        }
        // Until a new offer's price is taken the offers decide, so an item whose offers are all
        // used is dropped; once one is taken, later offers keep it.
        if (STATE == 100 && ONLYOFFER == 1) data::Dict().GOO.AMAZONREAL = 0;
        return;
    }
}

void ItemSearchHandler::OnEndElement(const HTML::Element& element, std::uint32_t appData,
                                     std::uint8_t& stop) {
    const std::string_view tag = element.GetName();
    if (AwaitsTextOf(STATE, tag)) OnCharacters({}, appData, stop);
    if (stop) return;
    if (tag == "Offer") {
        STATE = 99;
    } else if (tag == "Item") {
        // A stray end tag would store whatever the buffer holds and pass for an item list.
        if (inItem_) StoreItem(stop);
    } else if (tag == "Items") {
        Stop(stop);
    } else if (tag == "ItemAttributes" && STATE == 12) {
        STATE = 120;
    }
}

void ItemSearchHandler::OnCharacters(std::string_view reply, std::uint32_t, std::uint8_t& stop) {
    data::Dictionary& d = data::Dict();
    const std::string_view text = TrimBlanks(reply);
    switch (STATE) {
        case 1:
            TOTALITEMS = NumericValueAs<std::int32_t>(text);
            STATE = 2;
            break;
        case 3:
            TOTALPAGES = NumericValueAs<std::int32_t>(text);
            STATE = 4;
            break;
        case 6:
            SetCStringFromReply(d.GOO.ASIN, text, StoreCodePage());
            STATE = 7;
            break;
        case 8:
            SetCStringFromReply(d.GOO.DETAILPAGE, text, StoreCodePage());
            STATE = 9;
            break;
        case 10:
            d.GOO.RANK = static_cast<double>(NumericValue(text));
            STATE = 9;
            break;
        case 13:
            LookUpBrand(text, stop);
            break;
        case 14:
            SetStringFromReply(d.GOO.TITLE, text, StoreCodePage());
            STATE = 12;
            break;
        case 58:
            listAmount_ = NumericValue(text);
            d.GOO.PRICEREAL = PriceOf(listAmount_, {});
            STATE = 15;
            break;
        case 16:
            d.GOO.PRICEREAL = PriceOf(listAmount_, text);
            data::SetCString(d.GOO.PRICELIST, PriceText(text, d.GOO.PRICEREAL));
            STATE = 12;
            break;
        case 123:
            newAmount_ = NumericValue(text);
            d.GOO.AMAZONREAL = PriceOf(newAmount_, {});
            STATE = 124;
            break;
        case 125:
            d.GOO.AMAZONREAL = PriceOf(newAmount_, text);
            data::SetCString(d.GOO.AMAZONPRICE, PriceText(text, d.GOO.AMAZONREAL));
            ONLYOFFER = 1;
            STATE = 17;
            break;
        case 102:
            STATE = runtime::WithoutTrailingBlanks(text) == "New" ? 103 : 99;
            break;
        case 104:
            STATE = runtime::WithoutTrailingBlanks(text) == "new" ? 103 : 99;
            break;
        case 60:
            if (ONLYOFFER == 1) {
                newAmount_ = NumericValue(text);
                d.GOO.AMAZONREAL = PriceOf(newAmount_, {});
                ONLYOFFER = 2;
            }
            STATE = 19;
            break;
        case 20:
            if (ONLYOFFER == 2) {
                d.GOO.AMAZONREAL = PriceOf(newAmount_, text);
                data::SetCString(d.GOO.AMAZONPRICE, PriceText(text, d.GOO.AMAZONREAL));
                ONLYOFFER = 0;
            }
            STATE = 150;
            break;
        case 151:
            d.GOO.SHIP = NumericValueAs<std::uint8_t>(text);
            STATE = 99;
            break;
        default:
            break;
    }
}

void ItemSearchHandler::LookUpBrand(std::string_view name, std::uint8_t& stop) {
    data::Dictionary& d = data::Dict();
    if (name.empty()) {  // no brand: the item keeps none
        STATE = 12;
        return;
    }
    data::TableManager& brands = data::Access(TableId::Brands);
    SetStringFromReply(d.BRA.NAME, name, StoreCodePage());
    if (brands.TryFetch(data::BRA_KeyName) != ui::Benign) {
        if (brands.PrimeRecord() != ui::Benign) {
            M_ERRORCODE = -1;
            Stop(stop);
            return;
        }
        SetStringFromReply(d.BRA.NAME, name, StoreCodePage());
        if (brands.Insert() != ui::Benign) {
            brands.CancelAutoInc();
            M_ERRORCODE = -1;
            Stop(stop);
            return;
        }
    }
    d.GOO.BRAND = d.BRA.ID;
    STATE = 12;
}

void ItemSearchHandler::StoreItem(std::uint8_t& stop) {
    data::Dictionary& d = data::Dict();
    if (d.GOO.AMAZONREAL != 0) {
        data::TableManager& goods = data::Access(TableId::Goods);
        // Priming draws the row's number but clears the buffer: put the item back around it.
        const data::GoodsRecord item = d.GOO;
        const bool primed = goods.PrimeRecord() == ui::Benign;
        const std::int32_t id = d.GOO.ID;
        d.GOO = item;
        if (!primed) {
            M_ERRORCODE = -1;
            Stop(stop);
        } else {
            d.GOO.ID = id;
            d.GOO.QUERY = d.QUE.ID;
            data::SetCString(d.GOO.KEYWORDS, KeywordsOf(data::StringOf(d.GOO.TITLE)));
            if (goods.Insert() == ui::Benign) {
                ++PARSEDITEMS;
            } else {
                // The item is dropped; the page goes on unless its number can't be given back.
                M_ERRORCODE = -1;
                if (goods.CancelAutoInc() != ui::Benign) Stop(stop);
            }
        }
    }
    d.GOO.AMAZONREAL = 0;
    data::SetCString(d.GOO.AMAZONPRICE, "0");
    d.GOO.RANK = 0;
    STATE = 4;
    inItem_ = false;
}

}  // namespace zem::web
