#include "research/queryform/update_queries.h"

#include <string_view>

#include "platform/runtime/requests.h"
#include "platform/ui/errors/message_sink.h"
#include "research/queryform/query_form.h"
#include "shell/japanese_mode.h"
#include "shell/routers.h"
#include "shell/window_counters.h"

namespace zem::research {
namespace {

// Both variants open one layout: the windows are the same but for the character set.
constexpr QueryFormVariant kVariantA{"zembrola$zembr029", "UpdateQueriesA", 0};
constexpr QueryFormVariant kVariantJ{"zembrola$zembr029", "UpdateQueriesJ",
                                     shell::kShiftJisCharset};

constexpr std::string_view kCloseAllWindows = "Sorry, you MUST close all windows for this action.";

// Counts the form in BusyWindows while it runs. Taking the count is one step with the test
// that no other counted window runs, so two forms opening at the same moment can't both pass.
class FormCount {
  public:
    FormCount() {
        int idle = 0;
        taken_ = shell::BusyWindows.compare_exchange_strong(idle, 1);
    }
    ~FormCount() {
        if (taken_) --shell::BusyWindows;
    }
    FormCount(const FormCount&) = delete;
    FormCount& operator=(const FormCount&) = delete;
    bool Taken() const { return taken_; }

  private:
    bool taken_ = false;
};

void RunQueryForm(const QueryFormVariant& variant) {
    const FormCount count;
    if (!count.Taken()) {
        ui::Message(kCloseAllWindows, "Error", ui::Icon::Exclamation, ui::ButtonOk, ui::ButtonOk);
        return;
    }
    QueryForm form(variant);
    runtime::SetGlobalResponse(form.Run());
}

}  // namespace

void UpdateQueries() {
    shell::Route(UpdateQueriesA, UpdateQueriesJ);
}

void UpdateQueriesA() {
    RunQueryForm(kVariantA);
}

void UpdateQueriesJ() {
    RunQueryForm(kVariantJ);
}

}  // namespace zem::research
