#include "research/tree/browse_tree.h"

#include <span>
#include <string_view>
#include <vector>

#include "data/dictionary.h"
#include "platform/runtime/requests.h"
#include "platform/store/data_file.h"
#include "platform/store/errors.h"
#include "platform/store/transaction.h"
#include "platform/ui/window/display.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/errors/message_sink.h"
#include "research/tree/tree_window.h"
#include "research/tree/update_node.h"
#include "shell/japanese_mode.h"
#include "shell/procedures.h"
#include "shell/routers.h"

namespace zem::research {
namespace {

using data::TableId;
namespace request = runtime::request;
namespace response = runtime::response;

// The catalog update another module provides; the Update button waits for it.
constexpr std::string_view kBuildCatalog = "BuildCatalog";

// How long a subtree's delete waits for another window's hold on Nodes.
constexpr double kSubtreeLockTimeout = 5.0;  // seconds

struct Variant {
    TreeWindowSetup setup;
    std::string_view changeTip;
    std::string_view deleteTip;
    void (*nodeForm)();
};

// The J variant opens the A variant's layout: the two windows are the same but for the
// character set and two tool tips.
const Variant kVariantA{{"zembrola$zembr027", "BrowseTreeA", 0, "BrowseTree.htm"},
                        "",
                        "Delete active record",
                        &UpdateNodeA};
const Variant kVariantJ{
    {"zembrola$zembr027", "BrowseTreeJ", shell::kShiftJisCharset, "BrowseTree.htm"},
    "Change name",
    "Delete node",
    &UpdateNodeJ};

// The question before a node is deleted with its sub-levels, in code page 1251.
constexpr std::string_view kSubtreeCaption =
    "\xCF\xEE\xE4\xF2\xE2\xE5\xF0\xE4\xE8\xF2\xE5 \xF3\xE4\xE0\xEB\xE5\xED\xE8\xE5";  // Подтвердите
                                                                                      // удаление
constexpr std::string_view kSubtreeQuestion =
    // Вы хотите удалить текущий уровень.
    "\xC2\xFB \xF5\xEE\xF2\xE8\xF2\xE5 \xF3\xE4\xE0\xEB\xE8\xF2\xFC \xF2\xE5\xEA\xF3\xF9\xE8\xE9 "
    "\xF3\xF0\xEE\xE2\xE5\xED\xFC.\n"
    // Данная запись имеет подчиненные уровни.
    "\xC4\xE0\xED\xED\xE0\xFF \xE7\xE0\xEF\xE8\xF1\xFC \xE8\xEC\xE5\xE5\xF2 "
    "\xEF\xEE\xE4\xF7\xE8\xED\xE5\xED\xED\xFB\xE5 \xF3\xF0\xEE\xE2\xED\xE8.\n"
    // Они также будут удалены.
    "\xCE\xED\xE8 \xF2\xE0\xEA\xE6\xE5 \xE1\xF3\xE4\xF3\xF2 \xF3\xE4\xE0\xEB\xE5\xED\xFB.\n"
    // Нажатием на OK подтвердите необходимость удаления
    "\xCD\xE0\xE6\xE0\xF2\xE8\xE5\xEC \xED\xE0 OK \xEF\xEE\xE4\xF2\xE2\xE5\xF0\xE4\xE8\xF2\xE5 "
    "\xED\xE5\xEE\xE1\xF5\xEE\xE4\xE8\xEC\xEE\xF1\xF2\xFC \xF3\xE4\xE0\xEB\xE5\xED\xE8\xFF\n"
    // этого и всех подчиненных уровней.
    "\xFD\xF2\xEE\xE3\xEE \xE8 \xE2\xF1\xE5\xF5 \xEF\xEE\xE4\xF7\xE8\xED\xE5\xED\xED\xFB\xF5 "
    "\xF3\xF0\xEE\xE2\xED\xE5\xE9.";

constexpr TableId kTables[] = {TableId::Browsers, TableId::Catalogs, TableId::Nodes,
                               TableId::Sites};

bool CatalogUpdateAvailable() {
    return static_cast<bool>(shell::FindProcedure(kBuildCatalog));
}

class BrowseTreeWindow final : public TreeWindow {
  public:
    explicit BrowseTreeWindow(const Variant& variant)
        : TreeWindow(variant.setup, {}), variant_(variant) {}

  protected:
    ui::Level OpenTables() override {
        for (const TableId id : kTables) {
            if (data::Relate(id).Open() != ui::Benign) {
                CloseTables();
                return ui::Fatal;
            }
            opened_.push_back(id);
        }
        // The catalog update reads the configuration on this thread.
        data::Access(TableId::Sysinfo).UseFile();
        return ui::Benign;
    }

    void CloseTables() override {
        for (const TableId id : opened_) data::Relate(id).Close();
        opened_.clear();
    }

    void SetUpControls() override {
        change_ = window_.Feq("?CHANGE");
        delete_ = window_.Feq("?DELETE");
        download_ = window_.Feq("?DOWNLOAD");
        auto tip = [&](int feq, std::string_view text) {
            window_.Change(feq, [&](ui::Control& c) {
                c.tip = text;
                c.message = text;
            });
        };
        tip(change_, variant_.changeTip);
        tip(delete_, variant_.deleteTip);
        window_.SetDisable(download_, !CatalogUpdateAvailable());
        window_.Alert(tree_key::CtrlEnter);
        window_.Alert(tree_key::Delete);
    }

    std::uint8_t ComputeSiteMask() override { return ActiveSiteMask(); }

    void ApplySelectionRules() override {
        TreeWindow::ApplySelectionRules();
        const bool root = Choice() <= 1;
        window_.SetDisable(change_, root);
        window_.SetDisable(delete_, root);
    }

    void ApplyResetRules() override {
        TreeWindow::ApplyResetRules();
        const bool off = tree_.Rows() <= 1 || Choice() <= 1;
        window_.SetDisable(change_, off);
        window_.SetDisable(delete_, off);
        window_.SetDisable(download_, !CatalogUpdateAvailable());
    }

    void TakeDoubleClick() override {
        if (SelectMode() && Enabled(select_)) {
            PostAccepted(select_);
            return;
        }
        if (Enabled(change_)) PostAccepted(change_);
    }

    std::vector<int> PopupButtons() const override {
        return {select_, 0, change_, delete_, 0, expandAll_, contractAll_};
    }

    bool TakeTreeKey(int key) override {
        if (key == tree_key::CtrlEnter) {
            if (Enabled(change_)) PostAccepted(change_);
            return true;
        }
        if (key == tree_key::Delete) {
            if (Enabled(delete_)) PostAccepted(delete_);
            return true;
        }
        return false;
    }

    // The buffer has followed the highlight since the last selection, but a rebuild in between
    // walks Nodes through it: the chosen node is read again.
    void TakeSelect() override {
        tree_.ReadEntry(Choice());
        SetResponse(response::kCompleted);
    }

    bool TakeButton(int field) override {
        if (field == change_ || field == delete_) {
            ReadHighlightedRow();
            runtime::SetGlobalRequest(field == change_ ? request::kChange : request::kDelete);
            ChangeOrDeleteEntry();
            return true;
        }
        if (field == download_) {
            ReadHighlightedRow();
            UpdateCatalogs();
            return true;
        }
        return false;
    }

  private:
    void ChangeOrDeleteEntry() {
        const TreeEntry* highlighted = Highlighted();
        const int request = runtime::GlobalRequest();
        // The root is no node: it is neither changed nor deleted.
        if (!highlighted || Choice() <= 1) {
            runtime::SetGlobalRequest(request::kNone);
            return;
        }
        const TreeEntry entry = *highlighted;
        bool refresh = false;
        if (request == request::kDelete && tree_.HasVisibleChildren(entry.id)) {
            DeleteSubtree();
            refresh = true;
        } else if (!tree_.ReadEntry(Choice())) {
            // The row is gone (another window rewrote the tree): acting on whatever the
            // table's current record is would change or delete another node.
            refresh = true;
        } else {
            variant_.nodeForm();
            if (runtime::GlobalResponse() == response::kCompleted) {
                if (request == request::kDelete) tree_.Forget(entry.id);
                refresh = true;
            }
        }
        runtime::SetGlobalRequest(request::kNone);
        if (refresh) Rebuild(&CatalogTree::Refresh);
        Reset();
        window_.Select(treeList_);
    }

    // Deletes the highlighted node and its visible descendants as plain rows, without the
    // relation rules, all or nothing: a row that can't be read again or deleted undoes the rows
    // deleted before it and is reported, so no part of the subtree is left unreachable.
    void DeleteSubtree() {
        const unsigned answer =
            ui::Message(kSubtreeQuestion, kSubtreeCaption, ui::Icon::Question,
                        ui::ButtonOk | ui::ButtonCancel, ui::ButtonCancel, ui::kCyrillicCharset);
        if (answer != ui::ButtonOk) return;
        const std::vector<TreeEntry> subtree = tree_.CollectSubtree(Choice());
        data::TableManager& nodes = data::Access(TableId::Nodes);
        ui::ErrorManager& errors = ui::ErrorManager::Global();
        auto report = [&] {
            errors.SetErrors();
            errors.ThrowFile(ui::msg::DeleteFailed, "Nodes");
        };
        if (nodes.UseFile() != ui::Benign) return;
        store::Table& table = nodes.File();
        store::Table* enlisted = &table;
        store::Transaction transaction;
        if (transaction.Begin(data::Dict().File(), kSubtreeLockTimeout,
                              std::span<store::Table* const>(&enlisted, 1)) != store::NoError) {
            report();
            return;
        }
        const data::NodesRecord& nod = data::Dict().NOD;
        for (const TreeEntry& entry : subtree) {
            const bool same = table.Reget(entry.position) == store::NoError && nod.ID == entry.id;
            if (!same) {
                // A row another window took away or replaced: the subtree is no longer the one
                // the user was asked about.
                store::SetError(store::RecordNotFound);
            }
            if (!same || table.Delete() != store::NoError) {
                report();
                return;
            }
        }
        if (transaction.Commit() != store::NoError) {
            report();
            return;
        }
        for (const TreeEntry& entry : subtree) tree_.Forget(entry.id);
    }

    void UpdateCatalogs() {
        const shell::ProcedureEntry build = shell::FindProcedure(kBuildCatalog);
        if (!build) return;
        build();
        Reset();
        Rebuild(&CatalogTree::Refresh);
        Reset(true);
    }

    const Variant& variant_;
    std::vector<TableId> opened_;
    int change_ = 0;
    int delete_ = 0;
    int download_ = 0;
};

void RunBrowseTree(const Variant& variant) {
    BrowseTreeWindow window(variant);
    window.Run();
}

}  // namespace

void BrowseTree() {
    shell::Route(BrowseTreeA, BrowseTreeJ);
}

void BrowseTreeA() {
    RunBrowseTree(kVariantA);
}

void BrowseTreeJ() {
    RunBrowseTree(kVariantJ);
}

}  // namespace zem::research
