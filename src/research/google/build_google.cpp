#include "research/google/build_google.h"

#include <array>
#include <string>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/clock.h"
#include "research/google/google_request.h"
#include "research/jobs/job_window.h"
#include "research/google/result_page_reader.h"
#include "research/google/tagged_goods.h"
#include "web/http_loader.h"
#include "web/stores.h"

namespace zem::research {
namespace {

using data::TableId;

// The tag table too: the walks over the query's tags need it open, whoever called the check.
constexpr std::array kTables{TableId::Brands, TableId::Browsers, TableId::Catalogs,
                             TableId::Nodes,  TableId::Queries,  TableId::TagFile_};

constexpr JobWindowSpec kCheckWindow{
    .procedure = "BuildGoogle",
    .resource = "zembrola$zembr023",
    .helpTopic = "BuildGoogle.htm",
    .tables = kTables,
    // Result pages of the time run to 120 KB (inline scripts and styles); a page cut short
    // never reaches its body end and fails the check.
    .pageBufferSize = 262'144,
};

class CompetitionCheck final : public JobWindow {
  public:
    CompetitionCheck() : JobWindow(kCheckWindow) {}

  protected:
    void JobOpening() override {
        data::QueriesRecord& query = data::Dict().QUE;
        query.BUILDDATE = runtime::Today();
        query.BUILDTIME = runtime::CurrentTime();
    }

    void JobStarted() override {
        JobStatus = kJobFailed;
        taggedCount_ = CountTaggedGoods(data::Dict().QUE.ID);
        ShowCounts(A, taggedCount_);
    }

    // The page in flight is collected first, so the next row goes out on the same event.
    void TimerStep() override {
        Collect();
        if (!Ended()) ReportPagerError();
        if (!Ended()) HandOut();
    }

  private:
    void Collect() {
        if (JobPhase != kPhaseRunning) return;
        for (int index = 1; index <= HTTP::Pager::kLoaders && !Ended(); ++index) {
            std::int32_t& row = loaderRows_[static_cast<std::size_t>(index)];
            if (row == 0 || Pager().GetState(index) != HTTP::Loader::Done) continue;
            const std::int32_t id = row;
            row = 0;
            // A failed load leaves nothing to read; the pager's error ends the job.
            if (!TakePage(index)) continue;
            CheckRow(id);
        }
    }

    // The row is read afresh, so what goes back is the stored row with the page's counts.
    void CheckRow(std::int32_t id) {
        data::Dict().GOO.ID = id;
        if (data::Access(TableId::Goods).Fetch(data::GOO_KeyId) != ui::Benign) {
            FailJob();  // the table manager said why
            return;
        }
        switch (reader_.Read(PageBuffer())) {
            case PageReading::Checked:
                ShowCounts(A + 1, B);
                return;
            case PageReading::RowNotWritten:
                FailJob(std::string(kCanceledWithErrors) + ".");
                return;
            case PageReading::NotResultPage:
                FailJob(CanceledWithErrors("the reply is no result page"));
                return;
            case PageReading::Incomplete:
                FailJob(CanceledWithErrors("the result page is incomplete"));
                return;
        }
    }

    void HandOut() {
        if (JobPhase != kPhaseRunning) return;
        if (Pager().Busy() != 0) return;
        if (rowsRequested_ >= taggedCount_) {
            CompleteJob();  // every row checked and nothing outstanding
            return;
        }
        ++rowsRequested_;
        data::Dictionary& d = data::Dict();
        if (LoadTaggedGoods(d.QUE.ID, rowsRequested_) != TaggedRow::Loaded) {
            FailJob(CanceledWithErrors("record not found"), "Error");
            return;
        }
        const std::string url = ResultPageUrl(
            d.QUE.SITE,
            EncodedPhrase(data::CStringOf(d.GOO.KEYWORDS), web::CodePageOf(d.QUE.SITE)));
        if (url.empty()) {
            FailJob(CanceledWithErrors("the query names no known store"));
            return;
        }
        const int index = Pager().Connect(url);
        if (index < 1 || index > HTTP::Pager::kLoaders) {
            // A row that did not go out must not let the job end as complete.
            if (!ReportPagerError()) FailJob(CanceledWithErrors("the request was not taken"));
            return;
        }
        loaderRows_[static_cast<std::size_t>(index)] = d.GOO.ID;
    }

    ResultPageReader reader_;
    std::int32_t taggedCount_ = 0;
    // The rows handed out so far; also the position, in tag order, of the last one.
    std::int32_t rowsRequested_ = 0;
    // For each loader index, the GOO:ID of the row whose page it loads; 0: none.
    std::array<std::int32_t, HTTP::Pager::kLoaders + 1> loaderRows_{};
};

}  // namespace

std::uint8_t BuildGoogle() {
    CompetitionCheck check;
    return check.RunJob();
}

}  // namespace zem::research
