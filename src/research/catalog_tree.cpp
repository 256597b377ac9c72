#include "research/catalog_tree.h"

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
    std::size_t at = 1;
    LoadLevel(entries_, memory_, at, 0, 0, false);
}

void CatalogTree::ExpandAll() {
    memory_.clear();
    AddRootEntry();
    std::size_t at = 1;
    LoadLevel(entries_, memory_, at, 0, 0, true);
}

void CatalogTree::ContractAll() {
    memory_.clear();
    AddRootEntry();
    std::size_t at = 1;
    LoadLevel(entries_, memory_, at, 0, 0, false);
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

std::string CatalogTree::LabelOfBufferedNode() {
    const data::NodesRecord& nod = data::Dict().NOD;
    const std::int32_t node = nod.NODE;
    const std::int32_t flags = nod.FLAGS;
    data::TableManager& catalogs = data::Access(TableId::Catalogs);
    data::CatalogsRecord& cat = data::Dict().CAT;
    std::string names;
    if (catalogs.UseFile() == ui::Benign) {
        store::Table& table = catalogs.File();
        table.ClearBuffer();
        cat.NODE = node;
        cat.FLAGS = flags;
        if (table.SetAt(data::CAT_KeyNode) == store::NoError) {
            while (catalogs.TryNext() == ui::Benign && cat.NODE == node && cat.FLAGS == flags) {
                if (!names.empty()) AppendCut(names, ", ", kCatalogNamesLength);
                AppendCut(names, data::CStringOf(cat.NAME), kCatalogNamesLength);
            }
        }
    }
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

void CatalogTree::LoadLevel(std::vector<TreeEntry>& queue, ExpandMemory& memory, std::size_t& at,
                            std::int32_t parent, std::int32_t level, bool expandAll) {
    data::TableManager& nodes = data::Access(TableId::Nodes);
    if (nodes.UseFile() != ui::Benign) return;
    store::Table& table = nodes.File();
    data::NodesRecord& nod = data::Dict().NOD;
    table.ClearBuffer();
    nod.PARENT = parent;
    if (table.SetAt(data::NOD_KeyParent) != store::NoError) return;
    while (nodes.TryNext() == ui::Benign) {
        if (nod.PARENT != parent) break;
        // A row numbered like the root would list the first level again under itself.
        if (nod.ID == 0 || !Listed()) continue;
        // The walk resumes after this row once its own subtree has been loaded.
        const data::NodesRecord row = nod;
        const store::Position position = table.CurrentPosition();

        TreeEntry entry;
        entry.display = LabelOfBufferedNode();
        entry.id = row.ID;
        entry.parent = row.PARENT;
        entry.position = position;
        entry.node = row.NODE;
        entry.flags = row.FLAGS;
        const bool children = HasVisibleChildren(row.ID);
        nod = row;

        const std::int32_t depth = level + 1;
        const auto remembered = memory.find(row.ID);
        if (expandAll)
            entry.level = depth;
        else if (remembered != memory.end())
            entry.level = remembered->second > 0 ? depth : -depth;
        else
            entry.level = children ? -depth : depth;
        const int mark = entry.level > 0 ? 1 : -1;
        if (remembered == memory.end() || expandAll) memory[row.ID] = mark;
        const bool expanded = memory[row.ID] >= 1;
        entry.loaded = children && expanded;
        entry.icon = entry.loaded ? kOpenIcon : kClosedIcon;

        queue.insert(queue.begin() + static_cast<std::ptrdiff_t>(at), entry);
        ++at;
        // A node without listed children has nothing to descend into.
        if (children && (expandAll || expanded))
            LoadLevel(queue, memory, at, row.ID, depth, expandAll);

        nod = row;
        if (table.SetAfter(data::NOD_KeyParent, position) != store::NoError) break;
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
    std::size_t at = static_cast<std::size_t>(row);
    LoadLevel(entries_, memory_, at, id, depth, false);
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
    std::size_t at = 1;
    LoadLevel(subtree, memory, at, entry->id, Depth(entry->level), true);
    return subtree;
}

}  // namespace zem::research
