#include "research/itemloader/build_list.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/clock.h"
#include "research/jobs/job_window.h"
#include "research/jobs/service_refusal.h"
#include "research/jobs/service_request.h"
#include "research/jobs/url_encode.h"
#include "web/html_parser.h"
#include "web/http_loader.h"
#include "web/item_search_handler.h"
#include "web/stores.h"

namespace zem::research {
namespace {

using data::TableId;

constexpr std::array kTables{TableId::Brands, TableId::Browsers, TableId::Catalogs, TableId::Nodes,
                             TableId::Queries};

constexpr JobWindowSpec kSpec{
    .procedure = "BuildList",
    .resource = "zembrola$zembr015",
    .helpTopic = "BuildList.htm",
    .tables = kTables,
    .pageBufferSize = 262'144,
};

// The item-search handler, watching for the end of the item list on the way: a reply that
// stops before it was cut, and the items after the cut would be missing without a word.
class ItemPageHandler final : public web::ItemSearchHandler {
  public:
    void Begin() {
        Reset();
        listEnded = false;
    }
    void OnEndElement(const HTML::Element& element, std::uint32_t appData,
                      std::uint8_t& stop) override {
        if (element.GetName() == "Items") listEnded = true;
        ItemSearchHandler::OnEndElement(element, appData, stop);
    }

    bool listEnded = false;
};

class ItemListLoader final : public JobWindow {
  public:
    ItemListLoader() : JobWindow(kSpec), pageSlots_(kMaxItemPages + 1, 0) {
        parser_.SetHandler(&handler_);
    }

  protected:
    bool TakeSettings() override {
        data::QueriesRecord& query = data::Dict().QUE;
        encodedKeywords_ = URLEncode(query.KEYWORDS, web::CodePageOf(query.SITE));
        return true;
    }

    void JobOpening() override {
        data::QueriesRecord& query = data::Dict().QUE;
        query.BUILDDATE = runtime::Today();
        query.BUILDTIME = runtime::CurrentTime();
    }

    void JobStarted() override { JobStatus = kJobFailed; }

    // At most one request goes out per event, and the next page only once the one before it
    // was collected: its reply says how many pages there are.
    void TimerStep() override {
        HandOut();
        if (!Ended()) Collect();
        if (!Ended()) ReportPagerError();
    }

  private:
    void HandOut() {
        if (JobPhase != kPhaseRunning) return;
        const int busy = Pager().Busy();
        if (busy != 0) return;
        if (pagesRequested_ >= pageLimit_) {
            CompleteJob();  // nothing left to ask for and nothing outstanding
            return;
        }
        ++pagesRequested_;
        const std::string url = ItemSearchUrl(Search(), pagesRequested_);
        if (url.empty()) {
            FailJob(CanceledWithErrors("the query names no known store"));
            return;
        }
        // A request that is not taken leaves its slot empty; the pager holds the reason.
        pageSlots_[static_cast<std::size_t>(pagesRequested_)] = Pager().Connect(url);
    }

    void Collect() {
        if (JobPhase != kPhaseRunning) return;
        for (std::int32_t page = 1; page <= pagesRequested_ && !Ended(); ++page) {
            int& slot = pageSlots_[static_cast<std::size_t>(page)];
            if (slot == 0 || Pager().GetState(slot) != HTTP::Loader::Done) continue;
            const int index = slot;
            slot = 0;
            // A failed load leaves nothing to read; the pager's error ends the job.
            if (!TakePage(index)) continue;
            ParsePage();
        }
    }

    void ParsePage() {
        handler_.Begin();
        parser_.Parse(PageBuffer());
        if (handler_.M_ERRORCODE != 0) {
            FailJob(std::string(kCanceledWithErrors) + ".");
            return;
        }
        // Every reply of the service counts its results, none or many; a page without the
        // count (a proxy's refusal, a server error page, an error reply) is no item list. The
        // user is told what the service said, when it said something.
        if (handler_.STATE == 0) {
            const std::string refusal = ServiceRefusal(PageBuffer(), Pager().M_STATUS);
            FailJob(CanceledWithErrors(refusal.empty() ? "the reply holds no item list" : refusal));
            return;
        }
        if (!handler_.listEnded) {
            FailJob(CanceledWithErrors("the reply is incomplete"));
            return;
        }
        if (handler_.TOTALPAGES > pageLimit_)
            pageLimit_ = std::min(handler_.TOTALPAGES, kMaxItemPages);
        ShowCounts(A + handler_.PARSEDITEMS, handler_.TOTALITEMS);
    }

    ItemSearch Search() const {
        const data::Dictionary& d = data::Dict();
        ItemSearch search;
        search.siteFlag = d.QUE.SITE;
        search.searchIndex = data::CStringOf(d.CAT.CATALOG);
        search.encodedKeywords = encodedKeywords_;
        search.node = d.NOD.NODE;
        search.minimumPrice = d.QUE.MINPRICE;
        search.maximumPrice = d.QUE.MAXPRICE;
        return search;
    }

    ItemPageHandler handler_;
    HTML::Parser parser_;
    std::string encodedKeywords_;
    std::int32_t pagesRequested_ = 0;
    std::int32_t pageLimit_ = 1;
    // For each page, the loader index the pager answered for it; 0: nothing outstanding.
    std::vector<int> pageSlots_;
};

}  // namespace

std::uint8_t BuildList() {
    ItemListLoader loader;
    return loader.RunJob();
}

}  // namespace zem::research
