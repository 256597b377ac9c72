#include "data/table_relations.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/store/errors.h"
#include "platform/ui/errors/message_sink.h"

namespace zem::data {
namespace {

using store::FieldType;

ui::ErrorManager& Errors() {
    return ui::ErrorManager::Global();
}

bool IsInteger(const store::FieldDef& field) {
    switch (field.type) {
        case FieldType::Byte:
        case FieldType::Short:
        case FieldType::Long:
        case FieldType::Date:
        case FieldType::Time:
            return true;
        default:
            return false;
    }
}

template <typename T>
T Load(const std::byte* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <typename T>
void Save(std::byte* at, std::int64_t value) {
    const T narrowed = static_cast<T>(value);
    std::memcpy(at, &narrowed, sizeof narrowed);
}

// Link fields are whole numbers of any width (SIT:ID is a LONG, QUE:SITE a BYTE).
std::int64_t IntegerAt(const store::FieldDef& field, std::span<const std::byte> record) {
    const std::byte* at = record.data() + field.offset;
    switch (field.type) {
        case FieldType::Byte:
            return Load<std::uint8_t>(at);
        case FieldType::Short:
            return Load<std::int16_t>(at);
        default:
            return Load<std::int32_t>(at);
    }
}

void SetInteger(const store::FieldDef& field, std::span<std::byte> record, std::int64_t value) {
    std::byte* at = record.data() + field.offset;
    switch (field.type) {
        case FieldType::Byte:
            Save<std::uint8_t>(at, value);
            break;
        case FieldType::Short:
            Save<std::int16_t>(at, value);
            break;
        default:
            Save<std::int32_t>(at, value);
            break;
    }
}

std::size_t FieldOf(const store::TableDef& def, std::string_view name) {
    for (std::size_t i = 0; i < def.fields.size(); ++i) {
        if (def.fields[i].name == name && IsInteger(def.fields[i])) return i;
    }
    // The relation table names a field the record lacks: a build of this program that can't
    // keep its data consistent must not run.
    std::fprintf(stderr, "relation of %.*s: no whole-number field %.*s\n",
                 static_cast<int>(def.name.size()), def.name.data(), static_cast<int>(name.size()),
                 name.data());
    std::abort();
}

// Puts a record back into a buffer on leaving, so cascades leave the caller's buffer as it was.
class KeepBuffer {
  public:
    explicit KeepBuffer(std::span<std::byte> buffer)
        : buffer_(buffer), saved_(buffer.begin(), buffer.end()) {}
    ~KeepBuffer() { std::copy(saved_.begin(), saved_.end(), buffer_.begin()); }
    KeepBuffer(const KeepBuffer&) = delete;
    KeepBuffer& operator=(const KeepBuffer&) = delete;

  private:
    std::span<std::byte> buffer_;
    std::vector<std::byte> saved_;
};

}  // namespace

TableRelations::TableRelations(TableId id, TableManager& me, Peers peers)
    : id_(id), me_(me), peers_(std::move(peers)) {}

void TableRelations::Init(TableRelations* aliasFile) {
    me_.Init(aliasFile ? &aliasFile->Me() : nullptr);
    aliasFile_ = aliasFile;
}

void TableRelations::DeclareRelations() {
    if (declared_) return;
    declared_ = true;
    for (const RelationDef* def : RelationsOf(id_)) {
        const bool parentSide = def->parent == id_;
        const store::TableDef& parent = Def(def->parent);
        const store::TableDef& child = Def(def->child);
        Relation relation{parentSide ? def->child : def->parent,
                          parentSide,
                          def->childKey,
                          {},
                          def->onUpdate,
                          def->onDelete};
        for (std::size_t i = 0; i < def->linkCount; ++i) {
            relation.links.push_back({FieldOf(parent, def->links[i].parentField),
                                      FieldOf(child, def->links[i].childField)});
        }
        relations_.push_back(std::move(relation));
    }
}

void TableRelations::Walk(std::vector<bool>& seen, std::vector<TableManager*>& opened, bool open,
                          ui::Level& result) {
    if (seen[Index(id_)]) return;
    seen[Index(id_)] = true;
    DeclareRelations();
    if (open) {
        const ui::Level level = me_.Open();
        if (level == ui::Benign) {
            opened.push_back(&me_);
        } else if (result == ui::Benign) {
            result = level;
        }
    } else {
        me_.Close();
    }
    for (const Relation& relation : relations_) {
        peers_(relation.other).Walk(seen, opened, open, result);
    }
}

ui::Level TableRelations::Open() {
    std::vector<bool> seen(kTableCount, false);
    std::vector<TableManager*> opened;
    ui::Level result = ui::Benign;
    Walk(seen, opened, true, result);
    // All or nothing: a partly opened set would leave the open counts unbalanced for Close.
    if (result != ui::Benign) {
        for (TableManager* manager : opened) manager->Close();
    }
    return result;
}

ui::Level TableRelations::Close() {
    std::vector<bool> seen(kTableCount, false);
    std::vector<TableManager*> opened;
    ui::Level result = ui::Benign;
    Walk(seen, opened, false, result);
    return result;
}

ui::Level TableRelations::ReportFailure(int messageId) {
    Errors().SetErrors();
    Errors().SetFile(me_.Label());
    Errors().Throw(messageId);
    return ui::Fatal;
}

ui::Level TableRelations::Delete(bool ask) {
    if (ask) {
        const unsigned answer =
            ui::Message("Are you sure you want to delete the highlighted record?", "Confirm Delete",
                        ui::Icon::Question, ui::ButtonYes | ui::ButtonNo, ui::ButtonYes);
        if (answer != ui::ButtonYes) return ui::Cancel;
    }
    return DeleteCurrent();
}

ui::Level TableRelations::Update() {
    return UpdateCurrent();
}

ui::Level TableRelations::DeleteCurrent() {
    DeclareRelations();
    if (const ui::Level level = me_.UseFile(); level != ui::Benign) return level;
    store::Table& table = me_.File();
    const store::Position position = table.CurrentPosition();
    // The rules follow the row as stored, not whatever the buffer was changed to since.
    const int rc =
        position != 0 ? table.Reget(position) : store::SetError(store::RecordNotAvailable);
    if (rc != store::NoError) return ReportFailure(ui::msg::DeleteFailed);

    const std::vector<std::byte> row(me_.Buffer().begin(), me_.Buffer().end());
    for (const Relation& relation : relations_) {
        if (!relation.otherIsChild || relation.onDelete == Rule::None) continue;
        const Action action = relation.onDelete == Rule::Cascade ? Action::Delete : Action::Clear;
        if (const ui::Level level = ApplyToChildren(relation, action, row, row);
            level != ui::Benign) {
            return level;
        }
    }
    if (table.CurrentPosition() != position && table.Reget(position) != store::NoError) {
        return ReportFailure(ui::msg::DeleteFailed);
    }
    if (table.Delete() != store::NoError) return ReportFailure(ui::msg::DeleteFailed);
    return ui::Benign;
}

ui::Level TableRelations::UpdateCurrent() {
    DeclareRelations();
    if (const ui::Level level = me_.UseFile(); level != ui::Benign) return level;
    store::Table& table = me_.File();
    const store::Position position = table.CurrentPosition();
    if (position == 0) return me_.Update();  // nothing to change: the manager reports it

    // The row as stored tells which link fields the buffer changes.
    const std::vector<std::byte> after(me_.Buffer().begin(), me_.Buffer().end());
    const int rc = table.Reget(position);
    const std::vector<std::byte> before(me_.Buffer().begin(), me_.Buffer().end());
    std::copy(after.begin(), after.end(), me_.Buffer().begin());
    if (rc != store::NoError) return ReportFailure(ui::msg::PutFailed);

    if (const ui::Level level = me_.Update(); level != ui::Benign) return level;
    const store::TableDef& def = me_.Def();
    for (const Relation& relation : relations_) {
        if (!relation.otherIsChild || relation.onUpdate == Rule::None) continue;
        const bool changed =
            std::any_of(relation.links.begin(), relation.links.end(), [&](const Link& link) {
                const store::FieldDef& field = def.fields[link.parentField];
                return IntegerAt(field, before) != IntegerAt(field, after);
            });
        if (!changed) continue;
        const Action action = relation.onUpdate == Rule::Cascade ? Action::Renumber : Action::Clear;
        if (const ui::Level level = ApplyToChildren(relation, action, before, after);
            level != ui::Benign) {
            return level;
        }
    }
    return ui::Benign;
}

ui::Level TableRelations::ApplyToChildren(const Relation& relation, Action action,
                                          std::span<const std::byte> before,
                                          std::span<const std::byte> after) {
    TableRelations& child = peers_(relation.other);
    TableManager& manager = child.Me();
    if (const ui::Level level = manager.UseFile(); level != ui::Benign) return level;
    store::Table& table = manager.File();
    const store::TableDef& parentDef = me_.Def();
    const store::TableDef& childDef = manager.Def();
    const std::span<std::byte> buffer = manager.Buffer();
    const KeepBuffer keep(buffer);

    auto setLinks = [&](std::span<const std::byte> parent) {
        for (const Link& link : relation.links) {
            SetInteger(childDef.fields[link.childField], buffer,
                       IntegerAt(parentDef.fields[link.parentField], parent));
        }
    };
    auto matches = [&] {
        return std::all_of(relation.links.begin(), relation.links.end(), [&](const Link& link) {
            return IntegerAt(childDef.fields[link.childField], buffer) ==
                   IntegerAt(parentDef.fields[link.parentField], before);
        });
    };
    // An alias and its table are one physical table: the parent row itself may turn up among
    // its children, and must be left for the parent's own delete.
    const bool sameTable = parentDef.sqlName == childDef.sqlName;
    const store::Position parentPosition = me_.File().CurrentPosition();

    table.ClearBuffer(-1);
    setLinks(before);
    if (table.SetAt(relation.childKey) != store::NoError) {
        return child.ReportFailure(ui::msg::FetchFailed);
    }
    for (;;) {
        const int rc = table.Next();
        if (rc == store::RecordNotAvailable) break;
        if (rc != store::NoError) return child.ReportFailure(ui::msg::FetchFailed);
        if (!matches()) break;
        const store::Position position = table.CurrentPosition();
        const std::vector<std::byte> row(buffer.begin(), buffer.end());
        if (!(sameTable && position == parentPosition)) {
            ui::Level level = ui::Benign;
            switch (action) {
                case Action::Delete:
                    level = child.DeleteCurrent();
                    break;
                case Action::Renumber:
                    setLinks(after);
                    level = child.UpdateCurrent();
                    break;
                case Action::Clear:
                    for (const Link& link : relation.links) table.ClearField(link.childField);
                    level = child.UpdateCurrent();
                    break;
            }
            if (level != ui::Benign) return level;
        }
        // Continue after the row as it was: changed rows have left the range being walked, and
        // deleted ones are skipped whether or not the cursor still sees them.
        std::copy(row.begin(), row.end(), buffer.begin());
        if (table.SetAfter(relation.childKey, position) != store::NoError) {
            return child.ReportFailure(ui::msg::FetchFailed);
        }
    }
    return ui::Benign;
}

}  // namespace zem::data
