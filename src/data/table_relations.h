#pragma once
// One thread's relation object of one table or alias: opens the table with everything linked to
// it, and deletes or changes its current record with the relation rules applied to the children
// (through each child's own relation object, so rules reach grandchildren). Cascaded changes are
// not wrapped in a transaction.
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "data/relation_rules.h"
#include "data/table_manager.h"
#include "data/tables.h"

namespace zem::data {

class TableRelations {
  public:
    // peers answers the relation object of another table of the same thread.
    using Peers = std::function<TableRelations&(TableId)>;

    TableRelations(TableId id, TableManager& me, Peers peers);
    TableRelations(const TableRelations&) = delete;
    TableRelations& operator=(const TableRelations&) = delete;

    // Binds the manager (and, for an alias, the real table's relation object); relations are
    // declared later, the first time they are needed.
    void Init(TableRelations* aliasFile);

    TableId Id() const { return id_; }
    TableManager& Me() { return me_; }
    TableRelations* AliasFile() const { return aliasFile_; }
    bool RelationsDeclared() const { return declared_; }
    static constexpr bool kUseLogout = false;

    // Opens (closes) the table and every table linked to it, directly or through others.
    ui::Level Open();
    ui::Level Close();

    // Deletes the current record (the one last read) after applying the delete rules. With ask
    // set the user confirms first; declining answers Cancel and deletes nothing.
    ui::Level Delete(bool ask);
    // Writes the buffer over the current record, then applies the update rules to the children
    // of every link whose parent fields changed.
    ui::Level Update();

  private:
    enum class Action { Delete, Renumber, Clear };
    struct Link {
        std::size_t parentField;
        std::size_t childField;
    };
    struct Relation {
        TableId other;
        bool otherIsChild;  // false: other is this table's parent, a lookup only
        std::size_t childKey;
        std::vector<Link> links;
        Rule onUpdate;
        Rule onDelete;
    };

    void DeclareRelations();
    void Walk(std::vector<bool>& seen, std::vector<TableManager*>& opened, bool open,
              ui::Level& result);
    ui::Level DeleteCurrent();
    ui::Level UpdateCurrent();
    ui::Level ApplyToChildren(const Relation& relation, Action action,
                              std::span<const std::byte> before, std::span<const std::byte> after);
    ui::Level ReportFailure(int messageId);

    TableId id_;
    TableManager& me_;
    Peers peers_;
    TableRelations* aliasFile_ = nullptr;
    bool declared_ = false;
    std::vector<Relation> relations_;
};

}  // namespace zem::data
