#pragma once
// A small catalog tree written through this thread's dictionary: Amazon US and Amazon UK
// active, Amazon FR inactive, with the root, search-index and crawled rows the catalog update
// writes, and the catalogs that label them.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/store/errors.h"

namespace zem::test {

struct NodeRow {
    std::int32_t id;
    std::int32_t parent;
    std::int32_t node;
    const char* name;
    std::int32_t flags;
};

struct CatalogRow {
    std::int32_t id;
    std::int32_t parent;
    const char* name;
    std::int32_t node;
    std::int32_t flags;
};

inline constexpr std::int32_t kUs = 1;
inline constexpr std::int32_t kUk = 2;
inline constexpr std::int32_t kFr = 4;

// Node ids the tests name.
namespace nodes {
inline constexpr std::int32_t kUsRoot = 1;
inline constexpr std::int32_t kUsBooks = 2;
inline constexpr std::int32_t kFiction = 3;
inline constexpr std::int32_t kCooking = 4;
inline constexpr std::int32_t kMystery = 5;
inline constexpr std::int32_t kElectronics = 6;
inline constexpr std::int32_t kMusic = 7;
inline constexpr std::int32_t kJazz = 8;  // a French node under a US one
inline constexpr std::int32_t kUkRoot = 10;
inline constexpr std::int32_t kUkBooks = 11;
inline constexpr std::int32_t kCrime = 12;
inline constexpr std::int32_t kFrRoot = 20;
inline constexpr std::int32_t kLivres = 21;
}  // namespace nodes

// Catalog ids the tests name.
namespace catalogs {
inline constexpr std::int32_t kUsBooks = 2;
inline constexpr std::int32_t kUsElectronics = 4;
inline constexpr std::int32_t kUkBooks = 11;
}  // namespace catalogs

inline constexpr NodeRow kNodeRows[] = {
    {nodes::kUsRoot, 0, 0, "Amazon US", kUs},
    {nodes::kUsBooks, nodes::kUsRoot, 1000, "Books", kUs},
    {nodes::kFiction, nodes::kUsBooks, 1001, "Fiction", kUs},
    {nodes::kCooking, nodes::kUsBooks, 1002, "Cooking", kUs},
    {nodes::kMystery, nodes::kFiction, 1003, "Mystery", kUs},
    {nodes::kElectronics, nodes::kUsRoot, 2000, "Electronics", kUs},
    {nodes::kMusic, nodes::kUsRoot, 5000, "Music", kUs},
    {nodes::kJazz, nodes::kMusic, 5001, "Jazz", kFr},
    {nodes::kUkRoot, 0, 0, "Amazon UK", kUk},
    {nodes::kUkBooks, nodes::kUkRoot, 1000, "Books", kUk},
    {nodes::kCrime, nodes::kUkBooks, 1004, "Crime", kUk},
    {nodes::kFrRoot, 0, 0, "Amazon FR", kFr},
    {nodes::kLivres, nodes::kFrRoot, 4000, "Livres", kFr},
};

// Two US catalogs point at the US books node; the UK catalog of the same browse node labels only
// the UK node.
inline constexpr CatalogRow kCatalogRows[] = {
    {1, 0, "Amazon US", 0, kUs},    {catalogs::kUsBooks, 1, "Books", 1000, kUs},
    {3, 1, "All books", 1000, kUs}, {catalogs::kUsElectronics, 1, "Electronics", 2000, kUs},
    {10, 0, "Amazon UK", 0, kUk},   {catalogs::kUkBooks, 10, "UK books", 1000, kUk},
};

inline void AddNode(const NodeRow& row) {
    data::TableManager& nodes = data::Access(data::TableId::Nodes);
    ASSERT_EQ(nodes.UseFile(), ui::Benign);
    nodes.File().ClearBuffer();
    data::NodesRecord& nod = data::Dict().NOD;
    nod.ID = row.id;
    nod.PARENT = row.parent;
    nod.NODE = row.node;
    data::SetCString(nod.NAME, row.name);
    nod.FLAGS = row.flags;
    ASSERT_EQ(nodes.Insert(), ui::Benign) << row.name;
}

inline void AddCatalog(const CatalogRow& row) {
    data::TableManager& cats = data::Access(data::TableId::Catalogs);
    ASSERT_EQ(cats.UseFile(), ui::Benign);
    cats.File().ClearBuffer();
    data::CatalogsRecord& cat = data::Dict().CAT;
    cat.ID = row.id;
    cat.PARENT = row.parent;
    data::SetCString(cat.NAME, row.name);
    cat.NODE = row.node;
    cat.FLAGS = row.flags;
    ASSERT_EQ(cats.Insert(), ui::Benign) << row.name;
}

inline void SetSiteActive(std::int32_t id, bool active) {
    data::TableManager& sites = data::Access(data::TableId::Sites);
    data::Dict().SIT.ID = id;
    ASSERT_EQ(sites.Fetch(data::SIT_KeyId), ui::Benign);
    data::Dict().SIT.ISACTIVE = active ? 1 : 0;
    ASSERT_EQ(sites.Update(), ui::Benign);
}

// US and UK active, every other store inactive, and the rows above.
inline void SeedCatalogTree() {
    for (const std::int32_t site : {1, 2, 4, 8, 16, 32})
        SetSiteActive(site, site == kUs || site == kUk);
    for (const NodeRow& row : kNodeRows) AddNode(row);
    for (const CatalogRow& row : kCatalogRows) AddCatalog(row);
}

// The stored Nodes row, read through this thread's dictionary; nullopt when it is gone.
inline std::optional<data::NodesRecord> StoredNode(std::int32_t id) {
    data::Dict().NOD.ID = id;
    if (data::Access(data::TableId::Nodes).TryFetch(data::NOD_KeyId) != ui::Benign)
        return std::nullopt;
    return data::Dict().NOD;
}

inline std::size_t StoredNodeCount() {
    data::TableManager& nodes = data::Access(data::TableId::Nodes);
    EXPECT_EQ(nodes.UseFile(), ui::Benign);
    EXPECT_EQ(nodes.File().Set(data::NOD_KeyId), store::NoError);
    std::size_t rows = 0;
    while (nodes.TryNext() == ui::Benign) ++rows;
    return rows;
}

inline std::optional<data::CatalogsRecord> StoredCatalog(std::int32_t id) {
    data::Dict().CAT.ID = id;
    if (data::Access(data::TableId::Catalogs).TryFetch(data::CAT_KeyId) != ui::Benign)
        return std::nullopt;
    return data::Dict().CAT;
}

}  // namespace zem::test
