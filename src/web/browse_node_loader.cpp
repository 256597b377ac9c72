#include "web/browse_node_loader.h"

#include "data/text_fields.h"
#include "web/search_indexes.h"
#include "web/stores.h"

namespace zem::web {
namespace {

struct StoreRoot {
    std::int32_t id;
    std::uint8_t site;
    void (*addIndexes)(SearchIndexQueue&);
};

// Roots keep fixed IDs in this order, which is also the order the stores' indexes are numbered.
constexpr StoreRoot kRoots[] = {
    {1, 1, AddSearchIndexesUS}, {2, 2, AddSearchIndexesUK}, {3, 16, AddSearchIndexesJP},
    {4, 4, AddSearchIndexesFR}, {5, 8, AddSearchIndexesDE}, {6, 32, AddSearchIndexesCA},
};

void AddIndexesOf(SearchIndexQueue& Q, std::uint8_t site) {
    std::int32_t rootId = 0;
    for (const StoreRoot& root : kRoots)
        if (root.site == site) rootId = root.id;
    for (const SearchIndexEntry& entry : SearchIndexesOf(site)) {
        SearchIndexRow row;
        row.ID = static_cast<std::int32_t>(Q.Records()) + 1;
        row.PARENT = rootId;
        data::SetCString(row.NAME, entry.caption);
        row.NODE = entry.node;
        data::SetCString(row.CATALOG, entry.searchIndex);
        row.BSITE = site;
        row.LEVEL = 1;
        Q.Add(row);
    }
}

}  // namespace

void AddSearchIndexesUS(SearchIndexQueue& Q) {
    AddIndexesOf(Q, 1);
}
void AddSearchIndexesUK(SearchIndexQueue& Q) {
    AddIndexesOf(Q, 2);
}
void AddSearchIndexesJP(SearchIndexQueue& Q) {
    AddIndexesOf(Q, 16);
}
void AddSearchIndexesFR(SearchIndexQueue& Q) {
    AddIndexesOf(Q, 4);
}
void AddSearchIndexesDE(SearchIndexQueue& Q) {
    AddIndexesOf(Q, 8);
}
void AddSearchIndexesCA(SearchIndexQueue& Q) {
    AddIndexesOf(Q, 32);
}

void FillSearchIndexes(std::uint8_t mask, SearchIndexQueue& Q, BrowseNodeQueue& N) {
    Q.Free();
    N.Free();
    for (const StoreRoot& root : kRoots) {
        SearchIndexRow row;
        row.ID = root.id;
        data::SetCString(row.NAME, StoreBySite(root.site)->name);
        row.BSITE = root.site;
        Q.Add(row);
    }
    for (const StoreRoot& root : kRoots)
        if (mask & root.site) root.addIndexes(Q);
    // Unused roots leave gaps: the indexes keep the numbers they were given.
    for (const StoreRoot& root : kRoots)
        if (!(mask & root.site)) Q.Delete(root.id);

    // The crawl starts once from each distinct node of a store, from the first index naming it.
    for (const SearchIndexRow& catalog : Q.Rows()) {
        const bool seeded = nullptr != N.FindIf([&](const BrowseNodeRow& r) {
            return r.NODE == catalog.NODE && r.PARENT == catalog.PARENT && r.BSITE == catalog.BSITE;
        });
        if (seeded) continue;
        BrowseNodeRow row;
        row.ID = catalog.ID;
        row.NODE = catalog.NODE;
        row.PARENT = catalog.PARENT;
        data::SetCString(row.NAME, data::CStringOf(catalog.NAME));
        row.BSITE = catalog.BSITE;
        row.LEVEL = catalog.LEVEL;
        N.Add(row);
    }
}

BrowseNodeLoader::BrowseNodeLoader() {
    PR.SetHandler(&RD);
}

void BrowseNodeLoader::LoadIndexes(std::uint8_t mask) {
    PR.SetHandler(&RD);
    FillSearchIndexes(mask, Q, N);
}

void BrowseNodeLoader::ParseNodes(std::int32_t rowId, std::span<char> text) {
    RD.Setup(N, C, rowId, MAXLEVEL);
    PR.Parse(text);
    const std::lock_guard lock(C);
    if (const BrowseNodeRow* found = N.Get(rowId)) {
        BrowseNodeRow row = *found;
        row.BSTATE = 1;
        N.Put(row);
    }
}

}  // namespace zem::web
