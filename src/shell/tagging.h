#pragma once
// Tag sets kept in the data file: a set is (user, set number) and a tag points at one record of
// some table by its id, carrying a short value. A query's tagged items are the set QUE:ID with
// GOO:ID pointers. Set numbers are stored in a SHORT; every operation uses the stored value.
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace zem::shell {

void TagModuleInit();
void TagModuleKill();

std::int32_t CurrentTagUser();

// 1 when (user, set, pointer) is tagged; 0 for set or pointer 0.
std::uint8_t IsTagged(std::int32_t set, std::int32_t pointer);
// Adds the tag when absent, removes it when present.
void ToggleTag(std::int32_t set, std::int32_t pointer, std::string_view value);
void RemoveTag(std::int32_t set, std::int32_t pointer);
// Sets the tag's value; adds the tag (answer 1) when it was absent, else answers 0.
std::uint8_t SetTagValue(std::int32_t set, std::int32_t pointer, std::string_view value);

// SetTagValue for each pointer in turn, with one read of the set's tags before the first
// instead of a look-up per pointer: a pointer the set did not hold is added straight away.
// `each` runs before each pointer (the caller counts rows and lets its window catch up there;
// a tag changed meanwhile is still handled as SetTagValue would).
void SetTagValues(std::int32_t set, std::span<const std::int32_t> pointers, std::string_view value,
                  const std::function<void()>& each);

// The pointers of a set's tags in one pass, in pointer order: for a reader that tags and
// untags nothing until it has them all. Empty for set 0.
std::vector<std::int32_t> TaggedPointers(std::int32_t set);

// A walk over a set in value order. The walk keeps its own place, so tagging, untagging or
// testing tags between two steps neither skips nor repeats one.
std::int32_t FirstTagged(std::int32_t set);
std::int32_t NextTagged(std::int32_t set);

// Counted opens of the tag table for bulk work on this thread: locked and in batch mode.
void OpenTagFile();
void CloseTagFile();

void ClearTags(std::int32_t set, std::uint8_t manageOpen);
void ClearTagPositions(std::int32_t set, std::uint8_t manageOpen);

// The stored form of a tag value: a numeric text right-justified in 10 characters (a longer
// one keeps its last 10), any other text left-aligned, cut to 10 and blank-padded.
void TagValue(std::string_view text, char (&out)[10]);

}  // namespace zem::shell
