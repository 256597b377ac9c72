#pragma once
// In-memory queues of records with a sort order, as windows and loaders keep their lists.
// Positions count from 1. The queue has a current record: the one last got, added or put, which
// Put replaces and Delete removes. Every operation answers an error code instead of throwing:
// QueueOk, QueueEntryNotFound (no such record, position or current record) or QueueNoMemory.
// A queue is not locked: one thread uses it at a time, or its owner guards it with a lock.
#include <algorithm>
#include <cstddef>
#include <new>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/runtime/sort_order.h"

namespace zem::runtime {

enum QueueError : int {
    QueueOk = 0,
    QueueNoMemory = 8,
    QueueEntryNotFound = 30,
};

// "Entry Not Found", "Insufficient Memory", or empty for QueueOk and unknown codes.
std::string_view QueueErrorText(int code);

template <class Record>
class Queue {
  public:
    Queue() = default;
    explicit Queue(SortOrder<Record> order) : order_(std::move(order)) {}

    std::size_t Count() const { return entries_.size(); }
    // The current record's position; 0 when there is none.
    std::size_t Pointer() const { return current_; }
    const SortOrder<Record>& Order() const { return order_; }
    // Read-only view of the records in queue order; invalid after the next change.
    std::span<const Record> Records() const { return entries_; }

    // Appends the record whatever the sort order.
    int Add(const Record& record) { return Insert(entries_.size(), record); }

    // Inserts the record at position (1 .. Count() + 1), moving the later ones down.
    int Add(const Record& record, std::size_t position) {
        if (position < 1 || position > entries_.size() + 1) return QueueEntryNotFound;
        return Insert(position - 1, record);
    }

    // Inserts the record in sort order, after the records with equal keys.
    int AddSorted(const Record& record) {
        return Insert(SortedSlot(record, entries_.size()), record);
    }

    // Copies into buffer the first record whose key fields (the sort order's) equal the
    // buffer's. A queue without a sort order has no key, so nothing is found.
    int Get(Record& buffer) {
        if (order_.empty()) return QueueEntryNotFound;
        std::size_t index = entries_.size();
        if (sorted_) {
            const auto found = std::lower_bound(entries_.begin(), entries_.end(), buffer,
                                                [this](const Record& a, const Record& b) {
                                                    return CompareRecords(order_, a, b) < 0;
                                                });
            if (found != entries_.end() && CompareRecords(order_, *found, buffer) == 0) {
                index = static_cast<std::size_t>(found - entries_.begin());
            }
        } else {
            index = FirstEqual(buffer, order_);
        }
        return CopyOut(index, buffer);
    }

    // The same with other key fields than the sort order's; a linear search.
    int Get(Record& buffer, const SortOrder<Record>& by) {
        if (by.empty()) return QueueEntryNotFound;
        return CopyOut(FirstEqual(buffer, by), buffer);
    }

    // Copies the record at position (1 .. Count()) into buffer.
    int GetAt(std::size_t position, Record& buffer) {
        if (position < 1 || position > entries_.size()) return QueueEntryNotFound;
        return CopyOut(position - 1, buffer);
    }

    // Replaces the current record where it stands.
    int Put(const Record& record) {
        if (current_ == 0) return QueueEntryNotFound;
        const std::size_t index = current_ - 1;
        try {
            entries_[index] = record;
        } catch (const std::bad_alloc&) {
            return QueueNoMemory;
        }
        sorted_ = sorted_ && InOrderAt(index);
        return QueueOk;
    }

    // Replaces the current record and moves it to its place in the sort order, after equal keys.
    int PutSorted(const Record& record) {
        if (current_ == 0) return QueueEntryNotFound;
        const auto at = entries_.begin() + static_cast<std::ptrdiff_t>(current_ - 1);
        try {
            *at = record;
        } catch (const std::bad_alloc&) {
            return QueueNoMemory;
        }
        // Park it at the end, find its place among the others, and rotate it in.
        std::rotate(at, at + 1, entries_.end());
        const std::size_t others = entries_.size() - 1;
        const std::size_t slot = SortedSlot(entries_.back(), others);
        std::rotate(entries_.begin() + static_cast<std::ptrdiff_t>(slot), entries_.end() - 1,
                    entries_.end());
        current_ = slot + 1;
        return QueueOk;
    }

    // Removes the current record; afterwards there is none.
    int Delete() {
        if (current_ == 0) return QueueEntryNotFound;
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(current_ - 1));
        current_ = 0;
        return QueueOk;
    }

    // Empties the queue and gives its memory back.
    void Free() {
        std::vector<Record>().swap(entries_);
        current_ = 0;
        sorted_ = true;
    }

    // Puts the records in the queue's sort order; equal keys keep their relative order. The
    // current record is forgotten, since it has moved.
    void Sort() {
        std::stable_sort(
            entries_.begin(), entries_.end(),
            [this](const Record& a, const Record& b) { return CompareRecords(order_, a, b) < 0; });
        current_ = 0;
        sorted_ = true;
    }

    // Adopts another sort order and sorts by it.
    void Sort(SortOrder<Record> order) {
        order_ = std::move(order);
        Sort();
    }

  private:
    int Insert(std::size_t index, const Record& record) {
        try {
            entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(index), record);
        } catch (const std::bad_alloc&) {
            return QueueNoMemory;
        }
        current_ = index + 1;
        sorted_ = sorted_ && InOrderAt(index);
        return QueueOk;
    }

    // Before the first of the first count records that sorts after this one. In a queue that is
    // not in order (plain adds, puts) this still leaves every record in place.
    std::size_t SortedSlot(const Record& record, std::size_t count) const {
        const auto compare = [this](const Record& a, const Record& b) {
            return CompareRecords(order_, a, b) < 0;
        };
        const auto end = entries_.begin() + static_cast<std::ptrdiff_t>(count);
        if (sorted_) {
            return static_cast<std::size_t>(
                std::upper_bound(entries_.begin(), end, record, compare) - entries_.begin());
        }
        const auto later = std::find_if(
            entries_.begin(), end, [&](const Record& entry) { return compare(record, entry); });
        return static_cast<std::size_t>(later - entries_.begin());
    }

    std::size_t FirstEqual(const Record& key, const SortOrder<Record>& by) const {
        const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Record& entry) {
            return CompareRecords(by, entry, key) == 0;
        });
        return static_cast<std::size_t>(found - entries_.begin());
    }

    int CopyOut(std::size_t index, Record& buffer) {
        if (index >= entries_.size()) return QueueEntryNotFound;
        try {
            buffer = entries_[index];
        } catch (const std::bad_alloc&) {
            return QueueNoMemory;
        }
        current_ = index + 1;
        return QueueOk;
    }

    // Whether the record at index sits between its neighbours in the sort order.
    bool InOrderAt(std::size_t index) const {
        if (index > 0 && CompareRecords(order_, entries_[index - 1], entries_[index]) > 0) {
            return false;
        }
        return index + 1 >= entries_.size() ||
               CompareRecords(order_, entries_[index], entries_[index + 1]) <= 0;
    }

    SortOrder<Record> order_;
    std::vector<Record> entries_;
    std::size_t current_ = 0;
    // Whether the records are known to be in sort order, which lets keyed gets and adds search
    // by halves; any change that might break the order clears it until the next Sort.
    bool sorted_ = true;
};

}  // namespace zem::runtime
