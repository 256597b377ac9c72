#include "web/browse_node_handler.h"

#include <limits>

#include "data/text_fields.h"
#include "web/numeric_text.h"
#include "web/reply_fields.h"
#include "web/stores.h"

namespace zem::web {
namespace {

// Browse nodes are numbered from 1; a child whose id is 0, negative or beyond the queue's
// NODE would be asked for in vain or, as 0, pass for a store's root.
bool IsNodeId(std::int64_t value) {
    return value > 0 && value <= std::numeric_limits<std::int32_t>::max();
}

// Whether node is the row's own browse node or one of its ancestors'. The service's trees
// have child lists that name a node's parent again: following such a loop would nest the node
// inside itself level after level down to the depth limit, each copy asked for again, and
// several loops in one tree multiply the copies with every level. Parents are always rows added
// before their children, so the walk up ends.
bool IsOnPathTo(const BrowseNodeQueue& queue, const BrowseNodeRow& row, std::int32_t node) {
    for (const BrowseNodeRow* up = &row; up;) {
        if (up->NODE == node) return true;
        if (up->PARENT == 0 || up->PARENT >= up->ID) break;
        up = queue.Get(up->PARENT);
    }
    return false;
}

}  // namespace

void BrowseNodeHandler::Setup(BrowseNodeQueue& queue, std::mutex& lock, std::int32_t rowId,
                              std::uint8_t maxLevel) {
    Q = &queue;
    C = &lock;
    ID = rowId;
    MAXLEVEL = maxLevel;
    STATE = 0;
    renamed_ = false;
    ended_ = false;
    // Names are kept in the code page of the requested node's store.
    const std::lock_guard guard(lock);
    const BrowseNodeRow* requested = queue.Get(rowId);
    codePage_ = CodePageOf(requested ? requested->BSITE : 0);
}

void BrowseNodeHandler::OnStartElement(const HTML::Element& element, std::uint32_t, std::uint8_t&) {
    const std::string_view tag = element.GetName();
    switch (STATE) {
        case 0:
            if (tag == "Children") {
                STATE = 1;
            } else if (tag == "BrowseNode" && !renamed_) {
                STATE = 10;  // the requested node itself
            }
            break;
        case 10:
            if (tag == "Name") STATE = 11;
            break;
        case 1:
            if (tag == "BrowseNode") STATE = 2;  // a child begins
            break;
        case 2:
            if (tag == "BrowseNodeId") STATE = 3;
            break;
        case 4:
            if (tag == "Name") STATE = 5;
            break;
        default:
            break;
    }
}

void BrowseNodeHandler::OnEndElement(const HTML::Element& element, std::uint32_t appData,
                                     std::uint8_t& stop) {
    const std::string_view tag = element.GetName();
    if (STATE == 1 && tag == "Children") {
        ended_ = true;
        Stop(stop);
    } else if (tag == "BrowseNodes") {
        ended_ = true;  // a leaf's reply: no child list
    } else if ((STATE == 11 || STATE == 5) && tag == "Name") {
        // A name element without text: the next text (the next child's id) is no name.
        OnCharacters({}, appData, stop);
    } else if (STATE == 3 && tag == "BrowseNodeId") {
        OnCharacters({}, appData, stop);
    }
}

void BrowseNodeHandler::OnCharacters(std::string_view reply, std::uint32_t, std::uint8_t&) {
    const std::string_view text = TrimBlanks(reply);
    switch (STATE) {
        case 11:
            RenameRequested(text);
            STATE = 0;
            break;
        case 3:
            childIsNode_ = IsNodeId(NumericValue(text));
            NODEID = NumericValueAs<std::int32_t>(text);
            STATE = 4;
            break;
        case 5:
            SetCStringFromReply(NODENAME, text, codePage_);
            if (childIsNode_) AddChild();
            STATE = 1;
            break;
        default:
            break;
    }
}

void BrowseNodeHandler::RenameRequested(std::string_view name) {
    renamed_ = true;
    // A reply without the node's name leaves the caption it had.
    if (name.empty() || !Q || !C) return;
    const std::lock_guard lock(*C);
    const BrowseNodeRow* found = Q->Get(ID);
    if (!found) return;
    BrowseNodeRow row = *found;
    SetCStringFromReply(row.NAME, name, codePage_);
    Q->Put(row);
}

void BrowseNodeHandler::AddChild() {
    if (!Q || !C) return;
    const std::lock_guard lock(*C);
    const std::int32_t parentId = ID;
    const std::int32_t node = NODEID;
    // Duplicates count under one parent only: a node listed under two parents is kept twice.
    if (Q->FindIf([&](const BrowseNodeRow& r) { return r.NODE == node && r.PARENT == parentId; }))
        return;
    const BrowseNodeRow* parent = Q->Get(parentId);
    if (!parent || Q->LastId() == std::numeric_limits<std::int32_t>::max()) return;
    if (IsOnPathTo(*Q, *parent, node)) return;

    BrowseNodeRow child = *parent;  // keeps the store and the fetch state
    child.ID = Q->LastId() + 1;
    child.NODE = node;
    child.PARENT = parentId;
    data::SetCString(child.NAME, data::CStringOf(NODENAME));
    child.LEVEL = parent->LEVEL == 255 ? 255 : static_cast<std::uint8_t>(parent->LEVEL + 1);
    if (child.LEVEL == MAXLEVEL) child.BSTATE = 1;  // at the depth limit: never fetched
    Q->Add(child);
}

}  // namespace zem::web
