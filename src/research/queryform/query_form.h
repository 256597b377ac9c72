#pragma once
// The query form: one query (name, store, catalog, browse node, brand, price range, keywords)
// with its item list. From it the user loads the items from the store, tags them, checks their
// competition, creates the campaign and opens an item's page. Runs on the caller's thread over
// its record buffers; the request (insert, change, delete, view) is the thread's, and so is the
// response it leaves.
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "data/records.h"
#include "platform/store/transaction.h"
#include "platform/ui/help/help.h"
#include "research/queryform/query_drop_lists.h"
#include "research/queryform/query_item_list.h"
#include "shell/form_manager.h"

namespace zem::research {

// What tells the variants apart: the window's character set and the procedure name the error
// manager, the INI file and the list formats know the window by.
struct QueryFormVariant {
    std::string_view resource;
    std::string_view procedure;
    int charset;
};

// Messages the form shows.
inline constexpr std::string_view kOperationCanceled = "Operation has been canceled";

class QueryForm final : public shell::FormManager {
  public:
    explicit QueryForm(const QueryFormVariant& variant);

    ui::Level Init() override;
    void Ask() override;
    ui::Level Kill() override;

    ui::Level TakeEvent() override;
    ui::Level TakeAccepted() override;
    ui::Level TakeNewSelection() override;
    ui::Level TakeSelected() override;
    ui::Level TakeFieldEvent() override;
    ui::Level TakeWindowEvent() override;
    // Re-evaluates the buttons that follow the tags, fetches the rows shown by name and shows
    // the fields; a forced reset reads the drop lists and the item list anew.
    void Reset(bool force = false) override;

  protected:
    ui::Level SaveRecord() override;

  private:
    void FindControls();
    void BindFields();
    void SetUpOpenWindow();
    bool OpenTables();
    void CloseTables();
    bool BeginTransaction();
    void EndTransaction();
    ui::Level DeleteQuery();

    void FetchShownRows();
    void LoadDropLists();
    void ShowDropChoices();

    // Commands.
    void LoadList();
    void CheckCompetition();
    void CreateCampaign();
    void ViewItem();
    void LookUpNodeButton();
    bool LookUpNode();
    void NodeAccepted();
    void NodeFocused();
    // Runs the node picker for the query; true when the user chose a node.
    bool PickNode();
    void ApplyPriceRule(int field);
    void ChooseSite();
    void ChooseCatalog();
    void ChooseBrand();
    // What choosing another store or catalog does to the query's items.
    void ForgetItems();
    // Deletes the query's rows while the small clearing window shows; false when a delete
    // failed.
    bool ClearItems(const std::function<bool(const data::GoodsRecord&)>& remove);

    const QueryFormVariant& variant_;
    QueryItemList items_{window_};
    DropList sites_{window_, true};
    DropList catalogs_{window_, true};
    DropList brands_{window_, false};

    // Values of one opening of the form.
    std::int32_t curSite_ = 0;
    double curSaving_ = 0;
    std::optional<data::QueriesRecord> before_;
    // The caller's rows in the buffers the form fetches for display: the query list ranges its
    // catalog and node tabs on them, so they go back when the form ends.
    struct ShownRows {
        data::SitesRecord site;
        data::CatalogsRecord catalog;
        data::NodesRecord node;
        data::BrandsRecord brand;
    };
    std::optional<ShownRows> callerRows_;
    bool tablesOpen_ = false;
    store::Transaction transaction_;
    // Set when the picker was left without a choice: the focus the form puts back on the Node
    // field must not open it again at once.
    bool nodeRefused_ = false;
    // The price entry the user is typing into: its rule runs once the entry is accepted.
    int typedPrice_ = 0;

    int name_ = 0, buildDate_ = 0, buildTime_ = 0, site_ = 0, catalog_ = 0, node_ = 0,
        nodeName_ = 0, lookup_ = 0, brand_ = 0, minPrice_ = 0, maxPrice_ = 0, saving_ = 0,
        keywords_ = 0, buildList_ = 0, campaign_ = 0, change_ = 0, check_ = 0, view_ = 0, ok_ = 0,
        cancel_ = 0;
};

}  // namespace zem::research
