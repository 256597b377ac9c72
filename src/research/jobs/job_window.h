#pragma once
// The progress window the long jobs share (the item-list loader, the competition check, the
// catalog updater): one tab with a percent text and bar, two counters and a Cancel button. The
// job runs on the window's thread, driven by the window's open and timer events; each job
// derives from JobWindow and supplies its steps. Only the pager's worker touches the network.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/tables.h"
#include "platform/ui/help/help.h"
#include "platform/ui/window/window_manager.h"
#include "web/http_pager.h"
#include "web/info.h"

namespace zem::research {

// JobStatus: what a job answers its caller.
inline constexpr std::uint8_t kJobCompleted = 0;
inline constexpr std::uint8_t kJobFailed = 3;

// JobPhase: set up, running, finished. A job may use values in between for phases of its own.
inline constexpr std::uint8_t kPhaseSetUp = 0;
inline constexpr std::uint8_t kPhaseRunning = 1;
inline constexpr std::uint8_t kPhaseFinished = 3;

// The message texts of a job that ended on a failure begin with this.
inline constexpr std::string_view kCanceledWithErrors = "Process canceled with errors";

// "Process canceled with errors (<reason>)."
std::string CanceledWithErrors(std::string_view reason);

struct JobWindowSpec {
    std::string_view procedure;  // for the error manager, the INI file and the display
    std::string_view resource;   // the layout, window "P1$QUICKWINDOW"
    std::string_view helpTopic;  // in "zembrola.chm"
    // Opened through their relation objects (with every table linked to them) for the run.
    std::span<const data::TableId> tables;
    std::size_t pageBufferSize;  // a longer page is cut at this size
};

class JobWindow : public ui::WindowManager {
  public:
    explicit JobWindow(const JobWindowSpec& setup);
    ~JobWindow() override;

    // Runs the window until it closes, lets go of the pager (a page in flight is abandoned)
    // and answers JobStatus.
    std::uint8_t RunJob();

    ui::Level Init() override;
    ui::Level Kill() override;
    ui::Level TakeWindowEvent() override;
    ui::Level TakeCloseEvent() override;
    ui::Level TakeAccepted() override;

    std::uint8_t JobStatus = kJobCompleted;
    std::uint8_t JobPhase = kPhaseSetUp;
    double PERCENTS = 0;  // shown by the bar and the percent text
    double A = 0;         // the "loaded" counter
    double B = 0;         // the "total" counter

  protected:
    // The job's steps, in the order they come.
    // The settings are read (INFO filled, the Sysinfo buffer holds the record); false stops the
    // job before its window opens.
    virtual bool TakeSettings() { return true; }
    // The window is open; the pager is started right after.
    virtual void JobOpening() {}
    // The pager started.
    virtual void JobStarted() {}
    // One timer event of a job that has not ended.
    virtual void TimerStep() = 0;
    // The window is about to close, whatever closes it.
    virtual void JobClosing() {}

    // What the steps work with.
    HTTP::Pager& Pager() { return *pager_; }
    HTTP::INFO& Info() { return *info_; }
    std::span<char> PageBuffer() { return page_; }

    // The normal end: JobPhase finished, JobStatus completed, the window closes.
    void CompleteJob();
    // Ends the job as failed or cancelled: JobStatus 3, the message when there is one, and the
    // window closes. No step of the job runs after it, so nothing can answer success later.
    void FailJob(std::string_view message = {}, std::string_view caption = "Attention");
    // When the pager holds an error: "Process canceled with errors (<error>)." and the job
    // fails. Answers whether it did.
    bool ReportPagerError();
    // The pager's error was dealt with (the page is asked for again): nothing to report.
    void ForgetPagerError();

    // Collects the page of the pager's loader `index` into the page buffer and answers whether
    // it is there to be read. A failed load answers false and leaves the pager's error for
    // ReportPagerError. A proxy's refusal (HTTP 407) and a reply longer than the page buffer
    // (it would be read cut) end the job with their reason.
    bool TakePage(int index);
    bool Ended() const { return ended_; }

    // Sets the counters, PERCENTS := loaded × 100 / total (0 while the total is 0) and shows
    // all three.
    void ShowCounts(double loaded, double total);
    void ShowProgress();

  private:
    void OpenJob();
    bool OpenTables();
    void CloseTables();
    ui::Level Refuse();

    const JobWindowSpec& spec_;
    std::unique_ptr<HTTP::Pager> pager_;
    std::unique_ptr<HTTP::INFO> info_;
    std::vector<char> page_;
    std::vector<data::TableId> opened_;
    bool sysinfoOpen_ = false;
    bool ended_ = false;
    int percentText_ = 0;
    int percentBar_ = 0;
    int loaded_ = 0;
    int total_ = 0;
};

}  // namespace zem::research
