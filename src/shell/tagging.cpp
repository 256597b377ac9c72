#include "shell/tagging.h"

#include <cstring>
#include <limits>
#include <mutex>
#include <string>
#include <unordered_set>

#include "data/dictionary.h"
#include "platform/store/errors.h"
#include "platform/store/view.h"
#include "platform/ui/errors/error_manager.h"
#include "platform/ui/window/busy.h"

namespace zem::shell {
namespace {

using data::TableId;

std::mutex g_sync;
std::int32_t g_userNo = 0;  // every tag of this program belongs to user 0

struct ThreadTags {
    int tagFileOpens = 0;
    int tagPosOpens = 0;
    // Whether the counted open took the table's lock; a lock that was already held stays with
    // whoever took it.
    bool tagFileLocked = false;
    bool tagPosLocked = false;
    // Where the current walk stands: the last tag's set, value and row.
    bool walking = false;
    std::int16_t walkSet = 0;
    char walkValue[10] = {};
    store::Position walkRow = 0;
};

ThreadTags& Thread() {
    thread_local ThreadTags tags;
    return tags;
}

// The SHORT a set number is stored as; 0 is no set.
std::int16_t StoredSet(std::int32_t set) {
    return static_cast<std::int16_t>(set);
}

bool IsNumeric(std::string_view text) {
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ') ++i;
    while (n > i && text[n - 1] == ' ') --n;
    if (i < n && (text[i] == '-' || text[i] == '+')) ++i;
    bool digits = false, point = false;
    for (; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

data::TagFileRecord& TF() {
    return data::Dict().TF_;
}

void FillTagKey(std::int16_t set, std::int32_t pointer) {
    TF().USR = CurrentTagUser();
    TF().TBL = set;
    TF().PTR = pointer;
}

void ReportDeleteFailure(std::string_view file) {
    ui::ErrorManager::Global().SetErrors();
    ui::ErrorManager::Global().ThrowFile(ui::msg::DeleteFailed, file);
}

bool BelongsTo(std::int32_t usr, std::int16_t tbl, std::int32_t user, std::int16_t set) {
    return usr == user && tbl == set;
}

// What ClearTags and ClearTagPositions share, by tag table.
struct TagTable {
    TableId id;
    std::size_t firstLastKey;
    const char* prefix;
    const char* fileName;
    void (*open)();
    void (*close)();
    std::int32_t (*usr)();
    std::int16_t (*tbl)();
};

void Clear(const TagTable& table, std::int32_t setNumber, std::uint8_t manageOpen) {
    const std::int16_t set = StoredSet(setNumber);
    if (setNumber == 0 || set == 0) return;
    data::TableManager& manager = data::Access(table.id);
    if (manager.Open() != ui::Benign) return;
    manager.UseFile();
    store::Table& file = manager.File();
    const std::int32_t user = CurrentTagUser();

    // Fast path: when the set is all the table holds, empty it in one step. A lock the caller
    // already holds (bulk work between OpenTagFile and CloseTagFile) serves as well, and stays
    // the caller's.
    const bool lockedBefore = file.Locked();
    const bool locked = lockedBefore || file.Lock(1) == store::NoError;
    bool done = false;
    if (locked) {
        file.Set(table.firstLastKey);
        if (file.Next() != store::NoError) {
            done = true;
        } else if (BelongsTo(table.usr(), table.tbl(), user, set)) {
            file.Set(table.firstLastKey);
            if (file.Previous() == store::NoError && BelongsTo(table.usr(), table.tbl(), user, set))
                done = file.Empty() == store::NoError;
        }
    }
    if (!done) {
        ui::WaitCursor wait;
        if (manageOpen) table.open();
        const std::string filter = std::string(table.prefix) + ":Usr=" + std::to_string(user) +
                                   " AND " + table.prefix + ":Tbl=" + std::to_string(set);
        store::View view(file, filter);
        if (view.Open() == store::NoError) {
            int rows = 0;
            while (view.Next() == store::NoError) {
                if (++rows % 10 == 0) ui::YieldToEvents();
                if (view.Delete() == store::NoError) continue;
                const bool lockedByOther = store::ErrorCode() == store::FileLocked;
                ReportDeleteFailure(table.fileName);
                // Another holder's lock stands for every row: waiting it out row by row would
                // only repeat the wait and the message.
                if (lockedByOther) break;
            }
            view.Close();
        }
        if (manageOpen) table.close();
        file.ClearBuffer();
    }
    if (locked && !lockedBefore && file.IsOpen()) file.Unlock();
    manager.Close();
}

void OpenCounted(TableId id, int& count, bool& tookLock) {
    if (count == 0) {
        data::TableManager& manager = data::Access(id);
        manager.Open();
        manager.UseFile();
        // Bulk work goes on without the lock when others hold it.
        tookLock = !manager.File().Locked() && manager.File().Lock(1) == store::NoError;
        // Not tested: batch mode fails only on a table whose open failed and was reported.
        (void)manager.File().Stream();
    }
    ++count;
}

void CloseCounted(TableId id, int& count, bool& tookLock) {
    if (--count > 0) return;
    data::TableManager& manager = data::Access(id);
    if (manager.OpenCount() > 0) {
        // The walk's tags are committed here; a commit that fails is reported to the user (the
        // close itself has no result to give).
        (void)manager.Flush();
        if (tookLock) manager.File().Unlock();
        manager.Close();
    }
    count = 0;
    tookLock = false;
}

void OpenTagPosFile() {
    OpenCounted(TableId::TagFilePos_, Thread().tagPosOpens, Thread().tagPosLocked);
}
void CloseTagPosFile() {
    CloseCounted(TableId::TagFilePos_, Thread().tagPosOpens, Thread().tagPosLocked);
}

}  // namespace

void TagModuleInit() {
    std::lock_guard lock(g_sync);
    g_userNo = 0;
}

void TagModuleKill() {}

std::int32_t CurrentTagUser() {
    std::lock_guard lock(g_sync);
    return g_userNo;
}

void TagValue(std::string_view text, char (&out)[10]) {
    std::memset(out, ' ', sizeof out);
    if (!text.empty() && IsNumeric(text)) {
        std::size_t b = 0, e = text.size();
        while (b < e && text[b] == ' ') ++b;
        while (e > b && text[e - 1] == ' ') --e;
        std::string_view digits = text.substr(b, e - b);
        if (digits.size() > sizeof out) digits = digits.substr(digits.size() - sizeof out);
        std::memcpy(out + sizeof out - digits.size(), digits.data(), digits.size());
        return;
    }
    std::memcpy(out, text.data(), std::min(text.size(), sizeof out));
}

std::uint8_t IsTagged(std::int32_t setNumber, std::int32_t pointer) {
    const std::int16_t set = StoredSet(setNumber);
    if (setNumber == 0 || set == 0 || pointer == 0) return 0;
    data::TableManager& manager = data::Access(TableId::TagFile_);
    if (manager.Open() != ui::Benign) return 0;
    manager.UseFile();
    FillTagKey(set, pointer);
    const bool found = manager.TryFetch(data::TF_PtrKey) == ui::Benign;
    manager.File().ClearBuffer();
    manager.Close();
    return found ? 1 : 0;
}

void ToggleTag(std::int32_t setNumber, std::int32_t pointer, std::string_view value) {
    const std::int16_t set = StoredSet(setNumber);
    if (setNumber == 0 || set == 0 || pointer == 0) return;
    data::TableManager& manager = data::Access(TableId::TagFile_);
    if (manager.Open() != ui::Benign) return;
    manager.UseFile();
    FillTagKey(set, pointer);
    if (manager.TryFetch(data::TF_PtrKey) != ui::Benign) {
        if (manager.PrimeRecord() == ui::Benign) {
            FillTagKey(set, pointer);
            TagValue(value, TF().VAL);
            (void)manager.Insert();  // reports its own failure; a toggle has no result
        }
    } else {
        if (manager.File().Delete() != store::NoError) ReportDeleteFailure("TagFile_");
        manager.File().ClearBuffer();
    }
    manager.Close();
}

void RemoveTag(std::int32_t setNumber, std::int32_t pointer) {
    const std::int16_t set = StoredSet(setNumber);
    if (setNumber == 0 || set == 0 || pointer == 0) return;
    data::TableRelations& relations = data::Relate(TableId::TagFile_);
    data::TableManager& manager = data::Access(TableId::TagFile_);
    if (relations.Open() != ui::Benign) return;
    manager.UseFile();
    FillTagKey(set, pointer);
    if (manager.TryFetch(data::TF_PtrKey) == ui::Benign) relations.Delete(false);
    manager.File().ClearBuffer();
    relations.Close();
}

std::uint8_t SetTagValue(std::int32_t setNumber, std::int32_t pointer, std::string_view value) {
    const std::int16_t set = StoredSet(setNumber);
    if (setNumber == 0 || set == 0 || pointer == 0) return 0;
    data::TableManager& manager = data::Access(TableId::TagFile_);
    if (manager.Open() != ui::Benign) return 0;
    manager.UseFile();
    FillTagKey(set, pointer);
    std::uint8_t added = 0;
    if (manager.TryFetch(data::TF_PtrKey) != ui::Benign) {
        if (manager.PrimeRecord() == ui::Benign) {
            FillTagKey(set, pointer);
            TagValue(value, TF().VAL);
            if (manager.Insert() == ui::Benign) added = 1;
        }
    } else {
        TagValue(value, TF().VAL);
        (void)manager.Update();  // reports its own failure; only adding counts in the result
    }
    manager.Close();
    return added;
}

std::vector<std::int32_t> TaggedPointers(std::int32_t setNumber) {
    std::vector<std::int32_t> pointers;
    const std::int16_t set = StoredSet(setNumber);
    if (setNumber == 0 || set == 0) return pointers;
    data::TableManager& manager = data::Access(TableId::TagFile_);
    if (manager.Open() != ui::Benign) return pointers;
    manager.UseFile();
    store::Table& file = manager.File();
    // One positioning and a run of reads along the pointer key, where a walk in value order
    // positions itself anew at every step.
    const std::int32_t user = CurrentTagUser();
    FillTagKey(set, std::numeric_limits<std::int32_t>::min());
    if (file.SetAt(data::TF_PtrKey) == store::NoError)
        while (file.Next() == store::NoError && BelongsTo(TF().USR, TF().TBL, user, set))
            pointers.push_back(TF().PTR);
    file.ClearBuffer();
    manager.Close();
    return pointers;
}

void SetTagValues(std::int32_t setNumber, std::span<const std::int32_t> pointers,
                  std::string_view value, const std::function<void()>& each) {
    const std::int16_t set = StoredSet(setNumber);
    if (setNumber == 0 || set == 0) {
        for (std::size_t i = 0; i < pointers.size(); ++i) each();
        return;
    }
    data::TableManager& manager = data::Access(TableId::TagFile_);
    if (manager.Open() != ui::Benign) {
        for (std::size_t i = 0; i < pointers.size(); ++i) each();
        return;
    }
    const std::vector<std::int32_t> held = TaggedPointers(setNumber);
    std::unordered_set<std::int32_t> present(held.begin(), held.end());
    for (const std::int32_t pointer : pointers) {
        each();
        if (pointer == 0) continue;
        // A pointer the set did not hold is added without looking it up first. When the add
        // fails (the tag came meanwhile, or the write failed), SetTagValue looks again and
        // updates, or adds and reports the failure, as it would have done on its own.
        bool added = false;
        if (!present.contains(pointer) && manager.PrimeRecord() == ui::Benign) {
            FillTagKey(set, pointer);
            TagValue(value, TF().VAL);
            added = manager.TryInsert() == ui::Benign;
        }
        if (!added) (void)SetTagValue(setNumber, pointer, value);
        present.insert(pointer);
    }
    manager.File().ClearBuffer();
    manager.Close();
}

namespace {

// Reads the walk's next row from the positioned tag table and remembers where it stands.
std::int32_t StepWalk(std::int16_t set) {
    ThreadTags& walk = Thread();
    data::TableManager& manager = data::Access(TableId::TagFile_);
    if (manager.File().Next() != store::NoError ||
        !BelongsTo(TF().USR, TF().TBL, CurrentTagUser(), set)) {
        walk.walking = false;
        return 0;
    }
    walk.walking = true;
    walk.walkSet = set;
    std::memcpy(walk.walkValue, TF().VAL, sizeof walk.walkValue);
    walk.walkRow = manager.File().CurrentPosition();
    return TF().PTR;
}

}  // namespace

std::int32_t FirstTagged(std::int32_t setNumber) {
    const std::int16_t set = StoredSet(setNumber);
    Thread().walking = false;
    if (setNumber == 0 || set == 0) return 0;
    data::TableManager& manager = data::Access(TableId::TagFile_);
    if (manager.UseFile() != ui::Benign) return 0;
    TF().USR = CurrentTagUser();
    TF().TBL = set;
    manager.File().ClearField(3, -1);  // VAL at its lowest
    if (manager.File().SetAt(data::TF_ValKey) != store::NoError) return 0;
    return StepWalk(set);
}

std::int32_t NextTagged(std::int32_t setNumber) {
    const std::int16_t set = StoredSet(setNumber);
    ThreadTags& walk = Thread();
    if (setNumber == 0 || set == 0 || !walk.walking || walk.walkSet != set) return 0;
    data::TableManager& manager = data::Access(TableId::TagFile_);
    if (manager.UseFile() != ui::Benign) return 0;
    TF().USR = CurrentTagUser();
    TF().TBL = set;
    std::memcpy(TF().VAL, walk.walkValue, sizeof walk.walkValue);
    if (manager.File().SetAfter(data::TF_ValKey, walk.walkRow) != store::NoError) return 0;
    return StepWalk(set);
}

void OpenTagFile() {
    OpenCounted(TableId::TagFile_, Thread().tagFileOpens, Thread().tagFileLocked);
}
void CloseTagFile() {
    CloseCounted(TableId::TagFile_, Thread().tagFileOpens, Thread().tagFileLocked);
}

void ClearTags(std::int32_t set, std::uint8_t manageOpen) {
    static const TagTable table{TableId::TagFile_,
                                data::TF_PtrKey,
                                "TF_",
                                "TagFile_",
                                &OpenTagFile,
                                &CloseTagFile,
                                [] { return data::Dict().TF_.USR; },
                                [] { return data::Dict().TF_.TBL; }};
    Clear(table, set, manageOpen);
}

void ClearTagPositions(std::int32_t set, std::uint8_t manageOpen) {
    static const TagTable table{TableId::TagFilePos_,
                                data::TP_ValKey,
                                "TP_",
                                "TagFilePos_",
                                &OpenTagPosFile,
                                &CloseTagPosFile,
                                [] { return data::Dict().TP_.USR; },
                                [] { return data::Dict().TP_.TBL; }};
    Clear(table, set, manageOpen);
}

}  // namespace zem::shell
