#pragma once
// The form: a window over one record of a primary table that the request (insert, change,
// view) opens and the OK button saves through the table's insert or change path.
#include <map>
#include <string>
#include <string_view>

#include "data/tables.h"
#include "platform/ui/window/window_manager.h"

namespace zem::shell {

// The captions forms show by request.
inline constexpr std::string_view kViewCaption = "View Record";
inline constexpr std::string_view kInsertCaption = "Record Will Be Added";
inline constexpr std::string_view kChangeCaption = "Record Will Be Changed";

class FormManager : public ui::WindowManager {
  public:
    explicit FormManager(data::TableId primary) : primary_(primary) {}

    // Ctrl+H (or the frame's "Previous value" button) in one of these fields brings back the
    // value it had when the form opened. Call after the window has opened.
    void AddHistoryField(int feq);

    bool ViewOnly() const;

    // Takes the screen values; view mode just closes; otherwise inserts or changes the primary
    // record and completes when that succeeded (the form stays open when it failed).
    ui::Level TakeCompleted() override;
    ui::Level TakeEvent() override;

  protected:
    // The save itself; Benign when the record is stored.
    virtual ui::Level SaveRecord();

    data::TableId primary_;

  private:
    std::map<int, std::string> history_;
    int lastField_ = 0;
};

}  // namespace zem::shell
