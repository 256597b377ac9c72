#include "research/tree/catalog_tree.h"

#include <cstdlib>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/store/errors.h"

namespace zem::research {
namespace {

using data::TableId;

// Appends text to a bounded text, cutting what does not fit.
void AppendCut(std::string& to, std::string_view text, std::size_t limit) {
    if (to.size() >= limit) return;
    to.append(text.substr(0, limit - to.size()));
}

std::int32_t Depth(std::int32_t level) {
    return level < 0 ? -level : level;
}

}  // namespace

std::uint8_t ActiveSiteMask() {
    data::TableManager& sites = data::Access(TableId::Sites);
    data::SitesRecord& sit = data::Dict().SIT;
    const data::SitesRecord saved = sit;
    std::uint8_t mask = 0;
    if (sites.UseFile() == ui::Benign && sites.File().Set(data::SIT_KeyId) == store::NoError) {
        while (sites.TryNext() == ui::Benign)
            if (sit.ISACTIVE != 0) mask = static_cast<std::uint8_t>(mask + (sit.ID & 0xFF));
    }
    sit = saved;
    return mask;
}

const TreeEntry* CatalogTree::Entry(int row) const {
    if (row < 1 || row > Rows()) return nullptr;
    return &entries_[static_cast<std::size_t>(row) - 1];
}

int CatalogTree::RowOf(std::int32_t id) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].id == id) return static_cast<int>(i) + 1;
    return 0;
}

void CatalogTree::AddRootEntry() {
    entries_.clear();
    TreeEntry root;
    root.display = kRootLabel;
    root.icon = kRootIcon;
    entries_.push_back(std::move(root));
}

void CatalogTree::Refresh() {
    AddRootEntry();
    const CatalogNames names = ReadCatalogNames();
    LoadLevel(entries_, memory_, names, ListedChildren(0), 0, false);
}

void CatalogTree::ExpandAll() {
    memory_.clear();
    AddRootEntry();
    const CatalogNames names = ReadCatalogNames();
    const ChildrenByParent all = AllListedChildren();
    const auto first = all.find(0);
    if (first != all.end()) LoadLevel(entries_, memory_, names, first->second, 0, true, &all);
}

void CatalogTree::ContractAll() {
    memory_.clear();
    AddRootEntry();
    const CatalogNames names = ReadCatalogNames();
    LoadLevel(entries_, memory_, names, ListedChildren(0), 0, false);
}

bool CatalogTree::Listed() {
    const data::NodesRecord& nod = data::Dict().NOD;
    const std::int32_t flags = nod.FLAGS;
    if ((flags & siteMask_) == 0) return false;
    return !filter_ || filter_();
}

bool CatalogTree::HasVisibleChildren(std::int32_t parent) {
    data::TableManager& nodes = data::Access(TableId::Nodes);
    if (nodes.UseFile() != ui::Benign) return false;
    store::Table& table = nodes.File();
    data::NodesRecord& nod = data::Dict().NOD;
    table.ClearBuffer();
    nod.PARENT = parent;
    if (table.SetAt(data::NOD_KeyParent) != store::NoError) return false;
    while (nodes.TryNext() == ui::Benign) {
        if (nod.PARENT != parent) return false;
        if (Listed()) return true;
    }
    return false;
}

CatalogTree::CatalogNames CatalogTree::ReadCatalogNames() {
    CatalogNames names;
    data::TableManager& catalogs = data::Access(TableId::Catalogs);
    if (catalogs.UseFile() != ui::Benign) return names;
    store::Table& table = catalogs.File();
    const data::CatalogsRecord& cat = data::Dict().CAT;
    if (table.Set(data::CAT_KeyNode) != store::NoError) return names;
    while (catalogs.TryNext() == ui::Benign) {
        std::string& joined = names[{cat.NODE, cat.FLAGS}];
        if (!joined.empty()) AppendCut(joined, ", ", kCatalogNamesLength);
        AppendCut(joined, data::CStringOf(cat.NAME), kCatalogNamesLength);
    }
    return names;
}

std::string CatalogTree::LabelOf(const data::NodesRecord& nod, const CatalogNames& catalogNames) {
    const auto found = catalogNames.find({nod.NODE, nod.FLAGS});
    const std::string_view names =
        found == catalogNames.end() ? std::string_view() : std::string_view(found->second);
    const std::string_view name = data::CStringOf(nod.NAME);
    std::string label;
    if (names.empty()) {
        AppendCut(label, name, kLabelLength);
    } else {
        AppendCut(label, names, kLabelLength);
        AppendCut(label, " (", kLabelLength);
        AppendCut(label, name, kLabelLength);
        AppendCut(label, ")", kLabelLength);
    }
    return label;
}

std::vector<CatalogTree::Child> CatalogTree::ListedChildren(std::int32_t parent) {
    std::vector<Child> children;
    data::TableManager& nodes = data::Access(TableId::Nodes);
    if (nodes.UseFile() != ui::Benign) return children;
    store::Table& table = nodes.File();
    data::NodesRecord& nod = data::Dict().NOD;
    table.ClearBuffer();
    nod.PARENT = parent;
    if (table.SetAt(data::NOD_KeyParent) != store::NoError) return children;
    while (nodes.TryNext() == ui::Benign) {
        if (nod.PARENT != parent) break;
        // A row numbered like the root would list the first level again under itself.
        if (nod.ID == 0 || !Listed()) continue;
        children.push_back({nod, table.CurrentPosition()});
    }
    return children;
}

CatalogTree::ChildrenByParent CatalogTree::AllListedChildren() {
    ChildrenByParent all;
    data::TableManager& nodes = data::Access(TableId::Nodes);
    if (nodes.UseFile() != ui::Benign) return all;
    store::Table& table = nodes.File();
    const data::NodesRecord& nod = data::Dict().NOD;
    if (table.Set(data::NOD_KeyParent) != store::NoError) return all;
    while (nodes.TryNext() == ui::Benign) {
        if (nod.ID == 0 || !Listed()) continue;
        all[nod.PARENT].push_back({nod, table.CurrentPosition()});
    }
    return all;
}

void CatalogTree::LoadLevel(std::vector<TreeEntry>& out, ExpandMemory& memory,
                            const CatalogNames& catalogNames, const std::vector<Child>& children,
                            std::int32_t level, bool expandAll, const ChildrenByParent* all) {
    data::NodesRecord& nod = data::Dict().NOD;
    for (const Child& child : children) {
        const data::NodesRecord& row = child.row;
        TreeEntry entry;
        entry.display = LabelOf(row, catalogNames);
        entry.id = row.ID;
        entry.parent = row.PARENT;
        entry.position = child.position;
        entry.node = row.NODE;
        entry.flags = row.FLAGS;

        const std::int32_t depth = level + 1;
        // One look-up of the entry's memory, kept for setting it below.
        auto remembered = memory.lower_bound(row.ID);
        const bool known = remembered != memory.end() && remembered->first == row.ID;
        // The children of an entry shown expanded are read once, to list them; of any other
        // entry only whether it has one.
        const bool openIfAny = expandAll || (known && remembered->second > 0);
        std::vector<Child> read;
        const std::vector<Child>* grandchildren = &read;
        if (all) {
            const auto found = all->find(row.ID);
            if (found != all->end()) grandchildren = &found->second;
        } else if (openIfAny) {
            read = ListedChildren(row.ID);
        }
        const bool hasChildren =
            openIfAny || all ? !grandchildren->empty() : HasVisibleChildren(row.ID);
        nod = row;

        if (expandAll)
            entry.level = depth;
        else if (known)
            entry.level = remembered->second > 0 ? depth : -depth;
        else
            entry.level = hasChildren ? -depth : depth;
        const int mark = entry.level > 0 ? 1 : -1;
        if (!known)
            remembered = memory.emplace_hint(remembered, row.ID, mark);
        else if (expandAll)
            remembered->second = mark;
        const bool expanded = remembered->second >= 1;
        entry.loaded = hasChildren && expanded;
        entry.icon = entry.loaded ? kOpenIcon : kClosedIcon;

        const bool descend = entry.loaded;
        out.push_back(std::move(entry));
        if (descend) LoadLevel(out, memory, catalogNames, *grandchildren, depth, expandAll, all);
        nod = row;
    }
}

bool CatalogTree::Expand(int row) {
    if (row <= 1 || row > Rows()) return false;
    if (entries_[static_cast<std::size_t>(row) - 1].level > 0) return false;
    ReadEntry(row);
    TreeEntry& entry = entries_[static_cast<std::size_t>(row) - 1];
    entry.loaded = true;
    entry.level = Depth(entry.level);
    entry.icon = kOpenIcon;
    memory_[entry.id] = 1;
    const std::int32_t id = entry.id;
    const std::int32_t depth = entry.level;
    std::vector<TreeEntry> listed;
    LoadLevel(listed, memory_, ReadCatalogNames(), ListedChildren(id), depth, false);
    entries_.insert(entries_.begin() + row, std::make_move_iterator(listed.begin()),
                    std::make_move_iterator(listed.end()));
    return true;
}

bool CatalogTree::Contract(int row) {
    if (row <= 1 || row > Rows()) return false;
    if (!HasVisibleChildren(entries_[static_cast<std::size_t>(row) - 1].id)) return false;
    ReadEntry(row);
    TreeEntry& entry = entries_[static_cast<std::size_t>(row) - 1];
    entry.loaded = false;
    entry.level = -Depth(entry.level);
    entry.icon = kClosedIcon;
    memory_[entry.id] = -1;
    const std::int32_t depth = Depth(entry.level);
    auto first = entries_.begin() + row;
    auto last = first;
    while (last != entries_.end() && Depth(last->level) > depth) ++last;
    entries_.erase(first, last);
    return true;
}

bool CatalogTree::ReadEntry(int row) {
    const TreeEntry* entry = Entry(row);
    if (!entry) return false;
    data::TableManager& nodes = data::Access(TableId::Nodes);
    bool read = false;
    data::NodesRecord& nod = data::Dict().NOD;
    if (entry->position != 0 && nodes.UseFile() == ui::Benign) {
        read = nodes.File().Reget(entry->position) == store::NoError && nod.ID == entry->id;
        // The position may have gone to another row since the tree was read: that row is not
        // the entry's, and none of it stays in the buffer.
        if (!read) nodes.File().ClearBuffer();
    }
    nod.NODE = entry->node;
    nod.FLAGS = entry->flags;
    nod.ID = entry->id;
    nod.PARENT = entry->parent;
    return read;
}

std::vector<TreeEntry> CatalogTree::CollectSubtree(int row) {
    const TreeEntry* entry = Entry(row);
    if (!entry) return {};
    std::vector<TreeEntry> subtree{*entry};
    ExpandMemory memory;
    const std::int32_t id = entry->id;
    const std::int32_t depth = Depth(entry->level);
    LoadLevel(subtree, memory, ReadCatalogNames(), ListedChildren(id), depth, true);
    return subtree;
}

}  // namespace zem::research
