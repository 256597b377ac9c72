#include "research/updater/catalog_write_back.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/store/errors.h"
#include "platform/store/transaction.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/errors/message_sink.h"

namespace zem::research {
namespace {

using data::TableId;

constexpr std::string_view kCatalogsError = "Update catalogs error: ";
constexpr std::string_view kNodesError = "Update nodes error: ";
constexpr std::string_view kIdOutOfRange =
    "the new rows' IDs would pass the highest ID a row can have";

// What stopped the rewrite: the table's message and the reason.
struct Failure {
    std::string_view what;
    std::string text;
};
// The store's text, with the database's reason (a full disk and where, say) when it gave one.
std::string StoreErrorText() {
    std::string text(store::ErrorText());
    if (store::FileErrorCode() != 0) text += " (" + std::string(store::FileErrorText()) + ")";
    return text;
}
Failure StoreFailure(std::string_view what) {
    return {what, StoreErrorText()};
}

void Report(std::string_view what, std::string_view text) {
    ui::Message(std::string(what) + std::string(text), "Error", ui::Icon::Exclamation);
}

// Deletes, in file order, every row whose flags (read from the table's buffer after each read)
// share a bit with mask.
template <typename FlagsOf>
std::optional<Failure> DeleteRowsOf(store::Table& table, std::uint8_t mask, FlagsOf flagsOf,
                                    std::string_view what) {
    if (table.SetFile() != store::NoError) return StoreFailure(what);
    for (;;) {
        const int rc = table.Next();
        if (rc == store::RecordNotAvailable) return std::nullopt;
        if (rc != store::NoError) return StoreFailure(what);
        if ((flagsOf() & mask) != 0 && table.Delete() != store::NoError) return StoreFailure(what);
    }
}

// The ID of the last row by the table's ID key, 0 when the table is empty.
template <typename IdOf>
std::optional<std::int32_t> HighestId(store::Table& table, std::size_t idKey, IdOf idOf) {
    if (table.Set(idKey) != store::NoError) return std::nullopt;
    const int rc = table.Previous();
    if (rc == store::RecordNotAvailable) return 0;
    if (rc != store::NoError) return std::nullopt;
    return idOf();
}

// A queue ID moved above base; nothing when the sum no longer fits an ID. A parent of 0 (a
// root) stays 0.
std::optional<std::int32_t> Shifted(std::int32_t id, std::int32_t base) {
    const std::int64_t sum = std::int64_t{id} + base;
    if (sum > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(sum);
}
std::optional<std::int32_t> ShiftedParent(std::int32_t parent, std::int32_t base) {
    return parent == 0 ? std::optional<std::int32_t>(0) : Shifted(parent, base);
}

std::optional<Failure> AddCatalogs(store::Table& table, const web::SearchIndexQueue& queue,
                                   std::int32_t base) {
    data::CatalogsRecord& cat = data::Dict().CAT;
    for (const web::SearchIndexRow& row : queue.Rows()) {
        const auto id = Shifted(row.ID, base);
        const auto parent = ShiftedParent(row.PARENT, base);
        if (!id || !parent) return Failure{kCatalogsError, std::string(kIdOutOfRange)};
        cat = {};
        cat.ID = *id;
        cat.PARENT = *parent;
        data::SetCString(cat.NAME, data::CStringOf(row.NAME));
        cat.NODE = row.NODE;
        data::SetCString(cat.CATALOG, data::CStringOf(row.CATALOG));
        cat.FLAGS = row.BSITE;
        if (table.Add() != store::NoError) return StoreFailure(kCatalogsError);
    }
    return std::nullopt;
}

std::optional<Failure> AddNodes(store::Table& table, const web::BrowseNodeQueue& queue,
                                std::int32_t base) {
    data::NodesRecord& nod = data::Dict().NOD;
    for (const web::BrowseNodeRow& row : queue.Rows()) {
        const auto id = Shifted(row.ID, base);
        const auto parent = ShiftedParent(row.PARENT, base);
        if (!id || !parent) return Failure{kNodesError, std::string(kIdOutOfRange)};
        nod = {};
        nod.ID = *id;
        nod.PARENT = *parent;
        nod.NODE = row.NODE;
        data::SetCString(nod.NAME, data::CStringOf(row.NAME));
        nod.FLAGS = row.BSITE;
        if (table.Add() != store::NoError) return StoreFailure(kNodesError);
    }
    return std::nullopt;
}

// The rewrite inside the transaction. Each table's base is read after the deletions, so the
// new rows sit above whatever the other stores keep.
std::optional<Failure> RewriteRows(store::Table& catalogs, store::Table& nodes, std::uint8_t mask,
                                   const web::SearchIndexQueue& catalogQueue,
                                   const web::BrowseNodeQueue& nodeQueue) {
    data::Dictionary& d = data::Dict();
    const auto catalogFlags = [&] { return std::int32_t{d.CAT.FLAGS}; };
    const auto nodeFlags = [&] { return std::int32_t{d.NOD.FLAGS}; };
    if (auto f = DeleteRowsOf(catalogs, mask, catalogFlags, kCatalogsError)) return f;
    if (auto f = DeleteRowsOf(nodes, mask, nodeFlags, kNodesError)) return f;

    const auto catalogBase =
        HighestId(catalogs, data::CAT_KeyId, [&] { return std::int32_t{d.CAT.ID}; });
    if (!catalogBase) return StoreFailure(kCatalogsError);
    const auto nodeBase = HighestId(nodes, data::NOD_KeyId, [&] { return std::int32_t{d.NOD.ID}; });
    if (!nodeBase) return StoreFailure(kNodesError);

    if (auto f = AddCatalogs(catalogs, catalogQueue, *catalogBase)) return f;
    return AddNodes(nodes, nodeQueue, *nodeBase);
}

// The rows go in batch mode: a few commits instead of one per row, each commit holding the
// journal entries of its rows, so the journal still restores the old rows after any failure or
// crash.
std::optional<Failure> Rewrite(store::Table& catalogs, store::Table& nodes, std::uint8_t mask,
                               const web::SearchIndexQueue& catalogQueue,
                               const web::BrowseNodeQueue& nodeQueue) {
    if (catalogs.Stream() != store::NoError) return StoreFailure(kCatalogsError);
    if (nodes.Stream() != store::NoError) {
        const auto failure = StoreFailure(kNodesError);
        // Not tested: the rewrite has failed already and its transaction takes back what this
        // wrote.
        (void)catalogs.Flush();
        return failure;
    }
    auto failure = RewriteRows(catalogs, nodes, mask, catalogQueue, nodeQueue);
    if (nodes.Flush() != store::NoError && !failure) failure = StoreFailure(kNodesError);
    if (catalogs.Flush() != store::NoError && !failure) failure = StoreFailure(kCatalogsError);
    return failure;
}

bool Replace(std::uint8_t siteMask, const web::SearchIndexQueue& catalogs,
             const web::BrowseNodeQueue& nodes) {
    store::Table& catalogTable = data::Access(TableId::Catalogs).File();
    store::Table& nodeTable = data::Access(TableId::Nodes).File();
    const std::array<store::Table*, 2> tables{&catalogTable, &nodeTable};
    store::Transaction transaction;
    if (transaction.Begin(data::Dict().File(), kCatalogLockTimeout, tables) != store::NoError) {
        Report("Logout error: ", StoreErrorText());
        return false;
    }
    if (const auto failure = Rewrite(catalogTable, nodeTable, siteMask, catalogs, nodes)) {
        Report(failure->what, failure->text);
        return false;
    }
    if (transaction.Commit() != store::NoError) {
        Report("Commit error: ", StoreErrorText());
        return false;
    }
    return true;
}

}  // namespace

bool ReplaceCatalogs(std::uint8_t siteMask, const web::SearchIndexQueue& catalogs,
                     const web::BrowseNodeQueue& nodes) {
    const ui::WaitCursor wait;
    data::Dictionary& d = data::Dict();
    // The rewrite reads and writes through the thread's buffers; the caller's rows come back.
    const data::CatalogsRecord callerCatalog = d.CAT;
    const data::NodesRecord callerNode = d.NOD;
    const bool committed = Replace(siteMask, catalogs, nodes);
    d.CAT = callerCatalog;
    d.NOD = callerNode;
    return committed;
}

}  // namespace zem::research
