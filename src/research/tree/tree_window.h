#pragma once
// What the catalog tree window and the node picker share: a window over a CatalogTree whose
// list the user expands and contracts entry by entry or all at once, that keeps the thread's
// Nodes buffer on the highlighted node, rebuilds itself when it gains the focus and when a saved
// configuration asks the counted windows to reload, and counts itself in BusyWindows while it
// runs.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/ui/help/help.h"
#include "platform/ui/window/popup_actions.h"
#include "platform/ui/window/window_manager.h"
#include "research/tree/catalog_tree.h"

namespace zem::research {

// Keys the tree list alerts, in the framework's key codes.
namespace tree_key {
inline constexpr int Left = ui::key::Left;
inline constexpr int Right = ui::key::Right;
inline constexpr int Delete = ui::key::Delete;
inline constexpr int PadPlus = ui::key::PadPlus;
inline constexpr int PadMinus = ui::key::PadMinus;
inline constexpr int CtrlEnter = ui::key::CtrlEnter;
}  // namespace tree_key

// The tree list's columns, from 1: the entry's folder icon and its label.
inline constexpr int kFolderColumn = 1;
inline constexpr int kLabelColumn = 2;

// The window of a tree procedure: its layout and the names it is known by.
struct TreeWindowSetup {
    std::string_view resource;
    std::string_view procedure;  // error manager, INI file, display
    int charset;
    std::string_view helpTopic;
};

// Counts a window in BusyWindows for its lifetime.
class BusyWindowCount {
  public:
    BusyWindowCount();
    ~BusyWindowCount();
    BusyWindowCount(const BusyWindowCount&) = delete;
    BusyWindowCount& operator=(const BusyWindowCount&) = delete;
};

class TreeWindow : public ui::WindowManager {
  public:
    ui::Level Init() override;
    ui::Level Kill() override;
    void Ask() override;
    ui::Level TakeAccepted() override;
    ui::Level TakeNewSelection() override;
    ui::Level TakeFieldEvent() override;
    ui::Level TakeWindowEvent() override;
    // Shows the tree and applies the button rules.
    void Reset(bool force = false) override;

  protected:
    TreeWindow(const TreeWindowSetup& setup, CatalogTree::NodeFilter filter);

    // The procedure's own parts of opening and ending; each answers Benign when it succeeded.
    virtual ui::Level OpenTables() = 0;
    virtual void CloseTables() = 0;
    // Once the layout is loaded, before the window opens.
    virtual void SetUpControls() {}
    virtual std::uint8_t ComputeSiteMask() = 0;
    // The buttons that follow the highlighted entry, and those that follow the whole tree.
    virtual void ApplySelectionRules();
    virtual void ApplyResetRules();
    // A double click on the tree.
    virtual void TakeDoubleClick() = 0;
    // Keys other than the expand and contract keys; true when the key was the procedure's.
    virtual bool TakeTreeKey(int) { return false; }
    // Buttons other than Select, Expand All, Contract All, Help and Close; true when the button
    // was the procedure's.
    virtual bool TakeButton(int) { return false; }
    // Whether the highlighted entry may be chosen in select mode (besides not being the root).
    virtual bool CanChoose(const TreeEntry&) const { return true; }
    virtual void TakeSelect() = 0;
    // The buttons the tree's pop-up menu offers, in order; 0 stands for a separator.
    virtual std::vector<int> PopupButtons() const;
    // The open-window event, after the framework's open step.
    virtual void TakeOpenWindow() {}

    bool SelectMode() const;
    // The highlighted row from 1, and its entry.
    int Choice() const { return choice_; }
    const TreeEntry* Highlighted() const { return tree_.Entry(choice_); }
    // Highlights a row (kept within the list) and shows it.
    void Highlight(int row);
    // Re-reads the highlighted entry's node into the Nodes buffer and applies the selection
    // rules, as every new selection does.
    void SelectionChanged();
    // Rebuilds the tree one of its three ways, keeping the highlight on the same node while it
    // is listed, and brings the buffer and buttons in step with the highlight.
    void Rebuild(void (CatalogTree::*how)());
    // Re-reads the highlighted row before a button acts, when the tree holds more than the root.
    void ReadHighlightedRow();
    bool Enabled(int feq) const;
    void PostAccepted(int feq);

    CatalogTree tree_;
    int treeList_ = 0;
    int select_ = 0;
    int expandAll_ = 0;
    int contractAll_ = 0;
    int close_ = 0;

  private:
    void ShowTree();
    void ExpandRow(int row);
    void ContractRow(int row);
    void ReloadWhenDue();
    void ShowPopup();
    void RebuildAll(int button);

    TreeWindowSetup setup_;
    int choice_ = 1;
    ui::PopupActions popup_;  // the menu shown last
    bool tablesOpen_ = false;
    std::optional<BusyWindowCount> counted_;
};

}  // namespace zem::research
