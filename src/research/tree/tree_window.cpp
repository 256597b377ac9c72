#include "research/tree/tree_window.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "data/dictionary.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/requests.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/errors/message_sink.h"
#include "shell/window_counters.h"

namespace zem::research {
namespace {

namespace ev = runtime::event;

constexpr std::string_view kWindowName = "P1$WINDOW";
constexpr std::string_view kHelpFile = "zembrola.chm";

constexpr int kTreeKeys[] = {
    ui::key::MouseLeft2, ui::key::MouseRight, tree_key::Right,
    tree_key::Left,      tree_key::PadPlus,   tree_key::PadMinus,
};

}  // namespace

BusyWindowCount::BusyWindowCount() {
    ++shell::BusyWindows;
}

BusyWindowCount::~BusyWindowCount() {
    --shell::BusyWindows;
}

TreeWindow::TreeWindow(const TreeWindowSetup& setup, CatalogTree::NodeFilter filter)
    : tree_(std::move(filter)), setup_(setup) {}

bool TreeWindow::SelectMode() const {
    return Request == runtime::request::kSelect;
}

ui::Level TreeWindow::Init() {
    ui::ErrorManager::Global().SetProcedureName(setup_.procedure);
    if (const ui::Level r = WindowManager::Init(); r != ui::Benign) return r;
    runtime::SetGlobalRequest(runtime::request::kNone);
    runtime::SetGlobalResponse(runtime::response::kNone);
    if (!data::HasDictionary()) return ui::Fatal;
    if (OpenTables() != ui::Benign) return ui::Fatal;
    tablesOpen_ = true;

    std::string error;
    if (!window_.Load(setup_.resource, kWindowName, &error)) {
        ui::Message(error, "Error", ui::Icon::Hand);
        return ui::Fatal;
    }
    window_.ChangeProps([&](ui::WindowProps& p) { p.charset = setup_.charset; });
    treeList_ = window_.Feq("?FILETREE");
    select_ = window_.Feq("?SELECT");
    expandAll_ = window_.Feq("?EXPANDALL");
    contractAll_ = window_.Feq("?CONTRACTALL");
    close_ = window_.Feq("?CANCELBUTTON");
    HelpControl = window_.Feq("?HELPBUTTON");
    CancelControl = close_;
    // Outside select mode there is nothing to choose; in it, the highlighted entry decides.
    if (!SelectMode()) window_.SetHide(select_, true);
    window_.SetDisable(select_, true);
    SetUpControls();

    if (!window_.Open(setup_.procedure)) return ui::Fatal;
    Opened = true;
    tree_.SetSiteMask(ComputeSiteMask());
    counted_.emplace();
    ApplyDefaultIcon();
    RestorePlacement(setup_.procedure);
    for (const int key : kTreeKeys) window_.Alert(key);
    help_.Init(kHelpFile);
    help_.SetTopic(setup_.helpTopic);
    return ui::Benign;
}

ui::Level TreeWindow::Kill() {
    // The count goes first: a configuration saved from now on need not wait for this window.
    counted_.reset();
    if (const ui::Level r = WindowManager::Kill(); r != ui::Benign) return r;
    if (tablesOpen_) {
        CloseTables();
        tablesOpen_ = false;
    }
    EndProcedure(setup_.procedure);
    return ui::Benign;
}

void TreeWindow::Ask() {
    tree_.ContractAll();
    Highlight(1);
    SelectionChanged();
    Reset();
    window_.Select(treeList_);
    WindowManager::Ask();
}

void TreeWindow::ShowTree() {
    std::vector<ui::ListRow> rows;
    rows.reserve(tree_.Entries().size());
    for (const TreeEntry& entry : tree_.Entries()) {
        const std::int32_t depth = entry.level < 0 ? -entry.level : entry.level;
        rows.push_back(ui::ListRow{{entry.display}, depth + 1, entry.level < 0, entry.icon});
    }
    window_.SetRows(treeList_, std::move(rows));
}

void TreeWindow::Highlight(int row) {
    choice_ = std::clamp(row, 1, std::max(1, tree_.Rows()));
    ShowTree();
    window_.SetSelected(treeList_, choice_);
}

void TreeWindow::SelectionChanged() {
    tree_.ReadEntry(choice_);
    ApplySelectionRules();
}

void TreeWindow::Rebuild(void (CatalogTree::*how)()) {
    const TreeEntry* before = Highlighted();
    const std::int32_t id = before ? before->id : 0;
    const int row = choice_;
    (tree_.*how)();
    const int same = tree_.RowOf(id);
    Highlight(same != 0 ? same : row);
    SelectionChanged();
}

void TreeWindow::ReadHighlightedRow() {
    if (tree_.Rows() > 1) tree_.ReadEntry(choice_);
}

bool TreeWindow::Enabled(int feq) const {
    const ui::Control* c = window_.Find(feq);
    return c && !c->hide && !c->disable;
}

void TreeWindow::PostAccepted(int feq) {
    window_.Post(ev::kAccepted, feq);
}

void TreeWindow::ApplySelectionRules() {
    if (!SelectMode()) return;
    const TreeEntry* entry = Highlighted();
    const bool choosable = tree_.Rows() > 1 && choice_ > 1 && entry && CanChoose(*entry);
    window_.SetDisable(select_, !choosable);
    if (choosable) window_.Change(select_, [](ui::Control& c) { c.isDefault = true; });
}

void TreeWindow::ApplyResetRules() {
    const bool onlyRoot = tree_.Rows() <= 1;
    window_.SetDisable(expandAll_, onlyRoot);
    window_.SetDisable(contractAll_, onlyRoot);
}

void TreeWindow::Reset(bool) {
    ShowTree();
    window_.SetSelected(treeList_, choice_);
    ApplyResetRules();
}

void TreeWindow::ExpandRow(int row) {
    choice_ = std::clamp(row, 1, std::max(1, tree_.Rows()));
    {
        ui::WaitCursor wait;
        tree_.Expand(choice_);
    }
    Highlight(choice_);
    SelectionChanged();
}

void TreeWindow::ContractRow(int row) {
    choice_ = std::clamp(row, 1, std::max(1, tree_.Rows()));
    {
        ui::WaitCursor wait;
        tree_.Contract(choice_);
    }
    Highlight(choice_);
    SelectionChanged();
}

std::vector<int> TreeWindow::PopupButtons() const {
    return {select_, 0, expandAll_, contractAll_};
}

// Each item stands for its button: enabled as the button is, and chosen it presses the button.
void TreeWindow::ShowPopup() {
    popup_.Clear();
    for (const int button : PopupButtons()) {
        if (button == 0)
            popup_.AddSeparator();
        else
            popup_.AddButton(window_, button);
    }
    popup_.Show(window_, treeList_);
}

void TreeWindow::RebuildAll(int button) {
    ReadHighlightedRow();
    {
        ui::WaitCursor wait;
        Rebuild(button == expandAll_ ? &CatalogTree::ExpandAll : &CatalogTree::ContractAll);
    }
    Reset();
    window_.Select(treeList_);
}

void TreeWindow::ReloadWhenDue() {
    if (!shell::TakeTreeReload()) return;
    tree_.SetSiteMask(ComputeSiteMask());
    Rebuild(&CatalogTree::Refresh);
    Reset(true);
}

ui::Level TreeWindow::TakeAccepted() {
    const int field = Field();
    // The list's own acceptance (Return, the end of a double click) chooses nothing: the
    // double click itself does, through its alerted key.
    if (field == treeList_) return ui::Benign;
    if (field == select_) {
        TakeSelect();
        return ui::Benign;
    }
    if (field == expandAll_ || field == contractAll_) {
        RebuildAll(field);
        return ui::Benign;
    }
    if (TakeButton(field)) return ui::Benign;
    return WindowManager::TakeAccepted();
}

ui::Level TreeWindow::TakeNewSelection() {
    if (Field() == treeList_) {
        choice_ = std::clamp(window_.Selected(treeList_), 1, std::max(1, tree_.Rows()));
        SelectionChanged();
    }
    return ui::Benign;
}

ui::Level TreeWindow::TakeFieldEvent() {
    const runtime::Event& e = Event();
    if (e.control != treeList_) return ui::Benign;
    switch (e.code) {
        case ev::kExpanded:
            // The entry's expander: the display leaves the entry as it is until the tree
            // itself says what to show.
            if (e.row > 0) ExpandRow(e.row);
            return ui::Benign;
        case ev::kContracted:
            if (e.row > 0) ContractRow(e.row);
            return ui::Benign;
        case ev::kPopupChosen:
            popup_.Take(e);
            return ui::Benign;
        case ev::kAlertKey:
            break;
        default:
            return ui::Benign;
    }
    const int row = e.row > 0 ? e.row : window_.Selected(treeList_);
    // A key or click on a row acts on that row, whether or not the list has moved there yet.
    if (e.row > 0 && e.row != choice_) {
        Highlight(e.row);
        SelectionChanged();
    }
    switch (e.key) {
        case ui::key::MouseRight:
            ShowPopup();
            break;
        case ui::key::MouseLeft2:
            TakeDoubleClick();
            break;
        case tree_key::Right:
        case tree_key::PadPlus:
            ExpandRow(row);
            break;
        case tree_key::Left:
        case tree_key::PadMinus:
            ContractRow(row);
            break;
        default:
            TakeTreeKey(e.key);
            break;
    }
    return ui::Benign;
}

ui::Level TreeWindow::TakeWindowEvent() {
    switch (Event().code) {
        case ev::kOpenWindow:
            TakeOpenWindow();
            return ui::Benign;
        case ev::kGainFocus:
            Rebuild(&CatalogTree::Refresh);
            Reset();
            return ui::Benign;
        case ev::kTimer:
            ReloadWhenDue();
            return ui::Benign;
        default:
            return WindowManager::TakeWindowEvent();
    }
}

}  // namespace zem::research
