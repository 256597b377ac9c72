#pragma once
// The per-thread dictionary: this thread's record buffers, named by table prefix, with a table
// manager and a relation object for each table and alias. Code reaches a table only through the
// dictionary of its own thread; two threads never share a buffer or a manager.
#include <array>
#include <memory>

#include "data/records.h"
#include "data/table_manager.h"
#include "data/table_relations.h"
#include "data/tables.h"
#include "platform/store/data_file.h"

namespace zem::data {

struct Dictionary {
    explicit Dictionary(std::shared_ptr<store::DataFile> file);
    ~Dictionary();
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    TableManager& Manager(TableId id) { return *managers[Index(id)]; }
    TableRelations& Relations(TableId id) { return *relations[Index(id)]; }
    store::DataFile& File() { return *file; }

    std::shared_ptr<store::DataFile> file;

    SitesRecord SIT{};
    SitesRecord ASI{};
    NodesRecord NOD{};
    NodesRecord ANO{};
    CatalogsRecord CAT{};
    CatalogsRecord ACA{};
    BrandsRecord BRA{};
    QueriesRecord QUE{};
    GoodsRecord GOO{};
    BrowsersRecord BRO{};
    SysinfoRecord SYS{};
    TagSetRecord TS_{};
    TagFileRecord TF_{};
    TagFilePosRecord TP_{};

    // Declared after the buffers they use, so they go first.
    std::array<std::unique_ptr<TableManager>, kTableCount> managers;
    std::array<std::unique_ptr<TableRelations>, kTableCount> relations;
};

// Builds this thread's dictionary over the data file: every manager and relation object is
// created and initialised (real tables before their aliases); keys and relations wait for their
// first use. Replaces a dictionary the thread already has. False when file is null.
bool InitDictionary(std::shared_ptr<store::DataFile> file);
// Closes and releases this thread's managers, then its connection to the data file.
void KillDictionary();

bool HasDictionary();
// This thread's dictionary; InitDictionary must have run on this thread.
Dictionary& Dict();
TableManager& Access(TableId id);
TableRelations& Relate(TableId id);

}  // namespace zem::data
