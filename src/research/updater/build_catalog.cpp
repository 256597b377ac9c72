#include "research/updater/build_catalog.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/net/request.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/requests.h"
#include "platform/store/errors.h"
#include "research/updater/catalog_write_back.h"
#include "research/jobs/job_window.h"
#include "research/jobs/service_refusal.h"
#include "research/jobs/service_request.h"
#include "web/browse_node_loader.h"
#include "web/http_loader.h"
#include "web/log_writer.h"
#include "web/service_error_code.h"
#include "web/stores.h"

namespace zem::research {
namespace {

using data::TableId;

constexpr std::array kTables{TableId::Sites, TableId::Browsers, TableId::Catalogs, TableId::Nodes};

constexpr JobWindowSpec kWindow{
    .procedure = "BuildCatalog",
    .resource = "zembrola$zembr004",
    .helpTopic = "BuildCatalog.htm",
    .tables = kTables,
    .pageBufferSize = 262'144,
};

// Every node has been asked for; the last page is still on its way.
constexpr std::uint8_t kPhaseLastPage = 2;

// A crawl makes thousands of requests: one that fails in passing (a server error, the service
// throttling, a dropped or cut connection) is asked again this many times, after a pause that
// doubles from the first, before it fails the crawl. The pauses run on the window's timer.
constexpr int kRetries = 3;
constexpr runtime::Ticks kFirstRetryPause = 100;

// A request the pager has taken: the node row it asks about and the loader serving it.
struct RequestSlot {
    std::int32_t rowId = 0;
    std::uint8_t level = 0;
    int loader = 0;  // 0: free
};

// The stores to rebuild: the SiteFlags of the active Sites rows. The caller's Sites buffer is
// left as it was.
std::uint8_t ActiveSiteMask() {
    data::Dictionary& d = data::Dict();
    const data::SitesRecord callerSite = d.SIT;
    std::uint8_t mask = 0;
    data::TableManager& sites = data::Access(TableId::Sites);
    if (sites.UseFile() == ui::Benign && sites.File().SetFile() == store::NoError) {
        while (sites.TryNext() == ui::Benign) {
            const std::int32_t id = d.SIT.ID;
            // A row that is no store has no tree to crawl and must not widen the deletions.
            if (d.SIT.ISACTIVE != 0 && web::StoreBySite(id)) mask |= static_cast<std::uint8_t>(id);
        }
    }
    d.SIT = callerSite;
    return mask;
}

class CatalogUpdater final : public JobWindow {
  public:
    CatalogUpdater() : JobWindow(kWindow) {}

  protected:
    // The Sysinfo buffer holds the configuration now.
    bool TakeSettings() override {
        siteMask_ = ActiveSiteMask();
        loader_.LoadIndexes(siteMask_);
        depthLimit_ = data::Dict().SYS.CATALOGLEVEL;
        loader_.MAXLEVEL = static_cast<std::uint8_t>(depthLimit_);
        return true;
    }

    // Until the whole crawl is in, a close for any reason writes nothing: half a tree must not
    // replace a whole one.
    void JobStarted() override { JobStatus = kJobFailed; }

    void TimerStep() override {
        HandOut();
        if (Ended()) return;
        const bool outstanding = Outstanding();
        Collect();
        if (Ended() || ReportPagerError()) return;
        if (JobPhase == kPhaseLastPage && !outstanding) CompleteJob();
    }

    // The rewrite runs once the crawl has completed, whatever closes the window then.
    void JobClosing() override {
        if (JobStatus != kJobCompleted || rewritten_) return;
        rewritten_ = true;
        if (!ReplaceCatalogs(siteMask_, loader_.Q, loader_.N)) {
            JobStatus = kJobFailed;
            Response = runtime::response::kCancelled;
        }
    }

  private:
    // Asks for the first node still to fetch, in ID order, while the pager has a free loader.
    // When no node is left to ask for, only the last page is awaited.
    void HandOut() {
        if (JobPhase != kPhaseRunning || Pager().Busy() != 0) return;
        if (retry_.waiting && runtime::MonotonicTicks() < retry_.due) return;
        bool tried = false;
        for (const web::BrowseNodeRow& row : loader_.N.Rows()) {
            if (Pager().Busy() != 0) break;
            if (row.BSTATE == 1 || row.NODE == 0 || row.LEVEL >= depthLimit_ || InFlight(row.ID))
                continue;
            tried = true;
            RequestSlot* slot = FreeSlot();
            if (!slot) break;
            const std::string url = BrowseNodeLookupUrl(row.BSITE, row.NODE);
            if (url.empty()) {
                FailJob(CanceledWithErrors("a node names no known store"));
                return;
            }
            const bool retrying = retry_.waiting && retry_.rowId == row.ID;
            if (retrying) log_.WriteLog("Retry " + std::to_string(retry_.count) + " on " + url);
            retry_.waiting = false;
            const int index = Pager().Connect(url);
            // A request the pager could not prepare leaves the reason in the pager.
            if (index == 0) {
                ReportPagerError();
                return;
            }
            *slot = {row.ID, row.LEVEL, index};
        }
        if (!tried) JobPhase = kPhaseLastPage;
    }

    // Parses every page that is in. A page that failed for good ends the job: a node without
    // its children would pass for a leaf. One that failed in passing is asked for again.
    void Collect() {
        if (JobPhase != kPhaseRunning && JobPhase != kPhaseLastPage) return;
        for (RequestSlot& slot : slots_) {
            if (Ended()) return;
            if (slot.loader == 0 || Pager().GetState(slot.loader) != HTTP::Loader::Done) continue;
            const RequestSlot done = slot;
            slot = {};
            if (!TakePage(done.loader)) {
                // A failed load leaves the pager's error, which ends the job unless it passes.
                if (Pager().M_ERRORCODE != 0 && net::IsTransientFailure(Pager().M_ERRORCODE)) {
                    const std::string reason(data::CStringOf(Pager().M_ERROR));
                    ForgetPagerError();
                    RetryLater(done.rowId, reason);
                }
                return;
            }
            if (const std::int32_t status = Pager().M_STATUS; status >= 500 && status <= 599) {
                const std::string code = std::to_string(status);
                RetryLater(done.rowId, Throttled()
                                           ? "the service throttled the requests: HTTP " + code
                                           : "the service answered HTTP " + code);
                return;
            }
            const std::size_t before = loader_.N.Records();
            if (!ParseReply(done.rowId)) {
                if (Throttled()) {
                    RetryLater(done.rowId, "the service throttled the requests");
                } else {
                    const std::string refusal = ServiceRefusal(PageBuffer(), Pager().M_STATUS);
                    FailJob(CanceledWithErrors(refusal.empty() ? "the reply holds no browse node"
                                                               : refusal));
                }
                return;
            }
            if (!loader_.RD.ReplyEnded()) {
                FailJob(CanceledWithErrors("the reply is incomplete"));
                return;
            }
            if (retry_.rowId == done.rowId) retry_ = {};
            const std::size_t after = loader_.N.Records();
            // Children at the depth limit are never asked for: they count as loaded at once.
            const double loaded =
                done.level + 1 < depthLimit_ ? A + 1 : A + static_cast<double>(after - before);
            ShowCounts(loaded, static_cast<double>(after));
        }
    }

    // Reads the page in the buffer as the reply about the node row rowId. The handler names
    // the requested node after the reply, so a row left without a name got no lookup reply (a
    // proxy's refusal, a server's error page, an error reply): it keeps its name, and false.
    bool ParseReply(std::int32_t rowId) {
        const std::string name = SetName(rowId, {});
        loader_.ParseNodes(rowId, PageBuffer());
        if (!NameOf(rowId).empty()) return true;
        SetName(rowId, name);
        return false;
    }

    // Whether the reply in the page buffer tells the program to ask more slowly.
    bool Throttled() { return web::IsThrottled(web::ServiceErrorCode(PageBuffer())); }

    // The node is asked for again after a pause, or, when its retries are used up, the crawl
    // fails with reason.
    void RetryLater(std::int32_t rowId, const std::string& reason) {
        if (retry_.rowId != rowId) retry_ = {.rowId = rowId};
        if (retry_.count >= kRetries) {
            FailJob(
                CanceledWithErrors(reason + ", after " + std::to_string(kRetries) + " retries"));
            return;
        }
        ++retry_.count;
        retry_.due = runtime::MonotonicTicks() + (kFirstRetryPause << (retry_.count - 1));
        retry_.waiting = true;
        MarkToFetch(rowId);
        JobPhase = kPhaseRunning;  // the walk may have found nothing else left to ask for
    }

    // A reply that was read marked its node fetched.
    void MarkToFetch(std::int32_t rowId) {
        const std::lock_guard lock(loader_.C);
        const web::BrowseNodeRow* found = loader_.N.Get(rowId);
        if (!found) return;
        web::BrowseNodeRow row = *found;
        row.BSTATE = 0;
        loader_.N.Put(row);
    }

    std::string NameOf(std::int32_t rowId) {
        const std::lock_guard lock(loader_.C);
        const web::BrowseNodeRow* row = loader_.N.Get(rowId);
        return row ? std::string(data::CStringOf(row->NAME)) : std::string();
    }

    // Gives the row a new name and answers the one it had.
    std::string SetName(std::int32_t rowId, std::string_view name) {
        const std::lock_guard lock(loader_.C);
        const web::BrowseNodeRow* found = loader_.N.Get(rowId);
        if (!found) return {};
        web::BrowseNodeRow row = *found;
        std::string previous(data::CStringOf(row.NAME));
        data::SetCString(row.NAME, name);
        loader_.N.Put(row);
        return previous;
    }

    bool Outstanding() const {
        for (const RequestSlot& slot : slots_)
            if (slot.loader != 0) return true;
        return false;
    }
    bool InFlight(std::int32_t rowId) const {
        for (const RequestSlot& slot : slots_)
            if (slot.loader != 0 && slot.rowId == rowId) return true;
        return false;
    }
    RequestSlot* FreeSlot() {
        for (RequestSlot& slot : slots_)
            if (slot.loader == 0) return &slot;
        return nullptr;
    }

    web::BrowseNodeLoader loader_;
    std::uint8_t siteMask_ = 0;
    int depthLimit_ = 0;
    std::array<RequestSlot, HTTP::Pager::kLoaders> slots_{};
    bool rewritten_ = false;

    // The node whose request failed in passing, and when it is to be asked for again.
    struct Retry {
        std::int32_t rowId = 0;
        int count = 0;  // retries made or due for it
        runtime::Ticks due = 0;
        bool waiting = false;  // the pause is running
    };
    Retry retry_;
    HTTP::LogWriter log_;
};

}  // namespace

void BuildCatalog() {
    CatalogUpdater updater;
    updater.RunJob();
}

std::string BrowseNodeLookupUrl(std::int32_t siteFlag, std::int32_t node) {
    std::string url = ServiceRequestStart(siteFlag);
    if (url.empty()) return url;
    url += "&Operation=BrowseNodeLookup&ResponseGroup=BrowseNodeInfo&BrowseNodeId=";
    url += std::to_string(node);
    return url;
}

}  // namespace zem::research
