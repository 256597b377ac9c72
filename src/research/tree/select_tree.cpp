#include "research/tree/select_tree.h"

#include <set>
#include <string_view>

#include "data/dictionary.h"
#include "platform/runtime/requests.h"
#include "platform/ui/window/busy.h"
#include "research/tree/tree_window.h"
#include "shell/japanese_mode.h"
#include "shell/routers.h"

namespace zem::research {
namespace {

using data::TableId;
namespace response = runtime::response;

// The J variant opens the A variant's layout: the two windows are the same but for the
// character set.
constexpr TreeWindowSetup kVariantA{"zembrola$zembr032", "SelectTreeA", 0, "SelectTree.htm"};
constexpr TreeWindowSetup kVariantJ{"zembrola$zembr032", "SelectTreeJ", shell::kShiftJisCharset,
                                    "SelectTree.htm"};

class NodePicker final : public TreeWindow {
  public:
    explicit NodePicker(const TreeWindowSetup& setup) : TreeWindow(setup, &PickerListsNode) {}

  protected:
    // Sites, Catalogs, aNodes and Queries are the calling form's.
    ui::Level OpenTables() override { return data::Relate(TableId::Nodes).Open(); }
    void CloseTables() override { data::Relate(TableId::Nodes).Close(); }

    std::uint8_t ComputeSiteMask() override {
        return static_cast<std::uint8_t>(ActiveSiteMask() & data::Dict().QUE.SITE);
    }

    // A store's root row is no browse node to search in.
    bool CanChoose(const TreeEntry& entry) const override { return entry.node != 0; }

    void TakeDoubleClick() override {
        if (SelectMode() && Enabled(select_)) PostAccepted(select_);
    }

    // The node is taken from the highlighted entry: the buffer may have walked on since.
    void TakeSelect() override {
        const TreeEntry* entry = Highlighted();
        tree_.ReadEntry(Choice());
        data::Dict().ANO.ID = entry ? entry->id : 0;
        // Not tested: a node deleted meanwhile leaves the buffer cleared, which is no node.
        (void)data::Access(TableId::aNodes).TryFetch(data::ANO_KeyId);
        SetResponse(response::kCompleted);
    }

    void TakeOpenWindow() override {
        ui::WaitCursor wait;
        Rebuild(&CatalogTree::ExpandAll);
        const std::int32_t node = data::Dict().QUE.NODE;
        const int row = tree_.RowOf(node);
        Highlight(row > 1 ? row : 2);
        SelectionChanged();
        Reset(true);
    }
};

void RunPicker(const TreeWindowSetup& setup) {
    NodePicker picker(setup);
    picker.Run();
}

}  // namespace

bool PickerListsNode() {
    data::Dictionary& dict = data::Dict();
    const data::NodesRecord& nod = dict.NOD;
    const data::QueriesRecord& que = dict.QUE;
    const std::int32_t site = que.SITE;
    if (nod.FLAGS != site) return false;
    if (nod.NODE == 0) return true;
    data::CatalogsRecord& cat = dict.CAT;
    cat.ID = que.CATALOG;
    if (data::Access(TableId::Catalogs).TryFetch(data::CAT_KeyId) != ui::Benign) return false;
    const std::int32_t catalogNode = cat.NODE;
    data::NodesRecord& ano = dict.ANO;
    ano.ID = nod.ID;
    // Parent links that loop back would walk for ever: each node is visited once.
    std::set<std::int32_t> visited;
    for (;;) {
        const std::int32_t id = ano.ID;
        if (id == 0 || !visited.insert(id).second) return false;
        if (data::Access(TableId::aNodes).TryFetch(data::ANO_KeyId) != ui::Benign) return false;
        if (ano.NODE == catalogNode) return true;
        ano.ID = ano.PARENT;
    }
}

void SelectTree() {
    shell::Route(SelectTreeA, SelectTreeJ);
}

void SelectTreeA() {
    RunPicker(kVariantA);
}

void SelectTreeJ() {
    RunPicker(kVariantJ);
}

}  // namespace zem::research
