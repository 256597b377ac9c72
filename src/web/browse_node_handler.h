#pragma once
// The node queue of a catalog crawl and the reader of one BrowseNodeLookup reply: it renames
// the requested node with the name the reply gives it and adds each child once under it. A node
// listed under two parents gets a row under each; a child that is the requested node itself or
// one of its ancestors closes a loop and gets none.
#include <algorithm>
#include <cstdint>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

#include "platform/runtime/code_pages.h"
#include "web/html_event_handler.h"

namespace zem::web {

// A node of the crawl: a store's root (NODE 0), a search index, or a crawled node.
struct BrowseNodeRow {
    std::int32_t ID = 0;      // unique in the queue
    std::int32_t NODE = 0;    // browse-node number; 0 for a store's root
    std::int32_t PARENT = 0;  // ID of the parent row; 0 for a root
    char NAME[81] = {};       // CSTRING, at most 80 characters
    std::uint8_t BSTATE = 0;  // 0 still to fetch; 1 fetched or never to be fetched
    std::uint8_t BSITE = 0;   // the store's SiteFlag
    std::uint8_t LEVEL = 0;   // 0 root, 1 search index, 2 and more crawled
};

// Rows kept in ascending ID order, one row per ID.
template <typename Row>
class RowQueue {
  public:
    std::span<const Row> Rows() const { return rows_; }
    std::size_t Records() const { return rows_.size(); }
    std::int32_t LastId() const { return rows_.empty() ? 0 : rows_.back().ID; }
    void Free() { rows_.clear(); }

    const Row* Get(std::int32_t id) const {
        const auto at = Lower(id);
        return at != rows_.end() && at->ID == id ? &*at : nullptr;
    }
    template <typename Predicate>
    const Row* FindIf(Predicate predicate) const {
        const auto at = std::find_if(rows_.begin(), rows_.end(), predicate);
        return at != rows_.end() ? &*at : nullptr;
    }
    // Inserts in ID order; false when the ID is taken.
    bool Add(const Row& row) {
        const auto at = Lower(row.ID);
        if (at != rows_.end() && at->ID == row.ID) return false;
        rows_.insert(at, row);
        return true;
    }
    // Replaces the row with row's ID; false when there is none.
    bool Put(const Row& row) {
        const auto at = Lower(row.ID);
        if (at == rows_.end() || at->ID != row.ID) return false;
        *at = row;
        return true;
    }
    bool Delete(std::int32_t id) {
        const auto at = Lower(id);
        if (at == rows_.end() || at->ID != id) return false;
        rows_.erase(at);
        return true;
    }

  private:
    typename std::vector<Row>::iterator Lower(std::int32_t id) {
        return std::lower_bound(rows_.begin(), rows_.end(), id,
                                [](const Row& row, std::int32_t key) { return row.ID < key; });
    }
    typename std::vector<Row>::const_iterator Lower(std::int32_t id) const {
        return std::lower_bound(rows_.begin(), rows_.end(), id,
                                [](const Row& row, std::int32_t key) { return row.ID < key; });
    }

    std::vector<Row> rows_;
};

using BrowseNodeQueue = RowQueue<BrowseNodeRow>;

class BrowseNodeHandler : public HTML::EventHandler {
  public:
    // Points the handler at the queue and its lock for the reply to the row with rowId.
    void Setup(BrowseNodeQueue& queue, std::mutex& lock, std::int32_t rowId, std::uint8_t maxLevel);

    void OnStartElement(const HTML::Element& element, std::uint32_t appData,
                        std::uint8_t& stop) override;
    void OnEndElement(const HTML::Element& element, std::uint32_t appData,
                      std::uint8_t& stop) override;
    void OnCharacters(std::string_view text, std::uint32_t appData, std::uint8_t& stop) override;

    // Whether the reply came to the end of its child list, or of its nodes when it lists no
    // children. One that stopped before was cut on its way, and children may be missing.
    bool ReplyEnded() const { return ended_; }

    BrowseNodeQueue* Q = nullptr;  // the loader's node queue; not owned
    std::mutex* C = nullptr;       // guards every change of Q; not owned
    std::uint8_t STATE = 0;
    std::int32_t NODEID = 0;  // the current child's BrowseNodeId
    char NODENAME[81] = {};   // the current child's Name, CSTRING
    std::int32_t ID = 0;      // the requested row
    std::uint8_t MAXLEVEL = 0;

  private:
    void RenameRequested(std::string_view name);
    void AddChild();

    // A reply without children goes on to the node's ancestors, whose names are not its own.
    bool renamed_ = false;
    bool childIsNode_ = false;  // the current child's id names a node
    bool ended_ = false;
    runtime::CodePage codePage_ = runtime::CodePage::Ansi;
};

}  // namespace zem::web
