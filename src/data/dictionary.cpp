#include "data/dictionary.h"

#include <utility>

#include "data/field_rules.h"

namespace zem::data {
namespace {

using enum TableId;

// Each real table comes before its alias: an alias binds to the real table's objects.
constexpr TableId kInitOrder[] = {Sysinfo,  Goods,     Browsers, Nodes,    Queries,
                                  Catalogs, Brands,    TagSet_,  TagFile_, TagFilePos_,
                                  Sites,    aCatalogs, aNodes,   aSites};
static_assert(std::size(kInitOrder) == kTableCount);

// Heap-held: the buffers alone are some 20 KB, too much for small thread stacks. A thread that
// ends without KillDictionary still closes its tables and gives back its connection.
struct ThreadDictionary {
    std::unique_ptr<Dictionary> dictionary;
    ~ThreadDictionary() { Release(); }
    void Release() {
        if (!dictionary) return;
        const std::shared_ptr<store::DataFile> file = dictionary->file;
        dictionary.reset();
        file->ReleaseThreadConnection();
    }
};
thread_local ThreadDictionary t_dictionary;

void* BufferOf(Dictionary& d, TableId id) {
    switch (id) {
        case Sites:
            return &d.SIT;
        case aSites:
            return &d.ASI;
        case Nodes:
            return &d.NOD;
        case aNodes:
            return &d.ANO;
        case Catalogs:
            return &d.CAT;
        case aCatalogs:
            return &d.ACA;
        case Brands:
            return &d.BRA;
        case Queries:
            return &d.QUE;
        case Goods:
            return &d.GOO;
        case Browsers:
            return &d.BRO;
        case Sysinfo:
            return &d.SYS;
        case TagSet_:
            return &d.TS_;
        case TagFile_:
            return &d.TF_;
        case TagFilePos_:
            return &d.TP_;
    }
    return nullptr;
}

void CreateTableManagers(Dictionary& d) {
    for (std::size_t i = 0; i < kTableCount; ++i) {
        const auto id = static_cast<TableId>(i);
        if (id == Queries) {
            d.managers[i] = std::make_unique<QueriesManager>(*d.file, d.QUE);
        } else if (id == Sysinfo) {
            d.managers[i] = std::make_unique<SysinfoManager>(*d.file, d.SYS);
        } else {
            d.managers[i] = std::make_unique<TableManager>(*d.file, Def(id), BufferOf(d, id));
        }
        // Peers are looked up when needed, so the objects may be created in any order.
        d.relations[i] = std::make_unique<TableRelations>(
            id, *d.managers[i],
            [&d](TableId other) -> TableRelations& { return d.Relations(other); });
    }
}

void InitTableManagers(Dictionary& d) {
    for (const TableId id : kInitOrder) {
        d.Relations(id).Init(IsAlias(id) ? &d.Relations(RealTable(id)) : nullptr);
    }
}

}  // namespace

Dictionary::Dictionary(std::shared_ptr<store::DataFile> dataFile) : file(std::move(dataFile)) {
    CreateTableManagers(*this);
    InitTableManagers(*this);
}

Dictionary::~Dictionary() = default;

bool InitDictionary(std::shared_ptr<store::DataFile> file) {
    if (!file) return false;
    t_dictionary.Release();
    t_dictionary.dictionary = std::make_unique<Dictionary>(std::move(file));
    return true;
}

void KillDictionary() {
    t_dictionary.Release();
}

bool HasDictionary() {
    return t_dictionary.dictionary != nullptr;
}

Dictionary& Dict() {
    return *t_dictionary.dictionary;
}

TableManager& Access(TableId id) {
    return Dict().Manager(id);
}

TableRelations& Relate(TableId id) {
    return Dict().Relations(id);
}

}  // namespace zem::data
