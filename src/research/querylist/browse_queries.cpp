#include "research/querylist/browse_queries.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/dictionary.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/requests.h"
#include "platform/ui/errors/message_sink.h"
#include "platform/ui/help/help.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/list_format.h"
#include "platform/ui/window/typed_list.h"
#include "platform/ui/window/window_manager.h"
#include "research/cataloglist/browse_catalogs.h"
#include "research/queryform/update_queries.h"
#include "research/querylist/query_list_rows.h"
#include "research/tree/browse_tree.h"
#include "shell/japanese_mode.h"
#include "shell/routers.h"

namespace zem::research {
namespace {

namespace ev = runtime::event;
namespace request = runtime::request;
namespace response = runtime::response;
using data::TableId;

struct Variant {
    std::string_view procedure;
    int charset;
};

// The J variant opens the A variant's layout: the two windows are the same but for the
// character set.
constexpr std::string_view kResource = "zembrola$zembr025";
constexpr Variant kVariantA{"BrowseQueriesA", 0};
constexpr Variant kVariantJ{"BrowseQueriesJ", shell::kShiftJisCharset};

constexpr std::string_view kApplication = "zembrola";
constexpr std::string_view kHelpTopic = "BrowseQueries.htm";
// The header sort the user chose last, as a signed column (negative: descending; 0: the tab's
// own order), kept under the procedure's name.
constexpr int kTabs = 4;
constexpr std::array kTables{TableId::Queries, TableId::Catalogs, TableId::Nodes};

class QueryBrowse final : public ui::WindowManager {
  public:
    explicit QueryBrowse(const Variant& variant) : variant_(variant) {}

    ui::Level Init() override {
        ui::ErrorManager::Global().SetProcedureName(variant_.procedure);
        if (const ui::Level r = WindowManager::Init(); r != ui::Benign) return r;
        runtime::SetGlobalRequest(request::kNone);
        runtime::SetGlobalResponse(response::kNone);
        for (const TableId id : kTables) {
            if (data::Relate(id).Open() != ui::Benign) return ui::Fatal;
            opened_.push_back(id);
        }
        std::string error;
        if (!window_.Load(kResource, "P1$QUICKWINDOW", &error)) {
            ui::Message(error, "Error", ui::Icon::Hand);
            return ui::Fatal;
        }
        window_.ChangeProps([&](ui::WindowProps& p) { p.charset = variant_.charset; });
        Feqs();
        window_.SetHide(select_, true);
        for (const int feq : {insert_, change_, delete_}) window_.SetDisable(feq, ViewOnly());
        ui::RestoreListFormat(window_, list_, kApplication, FormatName(tab_));
        RestoreSort();
        Refresh();
        window_.Alert(ui::key::MouseRight);
        if (!window_.Open(variant_.procedure)) return ui::Fatal;
        Opened = true;
        ApplyDefaultIcon();
        RestorePlacement(variant_.procedure);
        help_.Init("zembrola.chm");
        help_.SetTopic(kHelpTopic);
        window_.Select(list_);
        return ui::Benign;
    }

    ui::Level TakeAccepted() override {
        const int field = Field();
        if (field == insert_ || field == ui::navigation::kInsert) {
            Insert();
        } else if (field == change_ || field == list_ || field == ui::navigation::kChange) {
            // The list's own acceptance (a double click) changes the query too.
            ChangeOrDelete(request::kChange);
        } else if (field == delete_ || field == ui::navigation::kDelete) {
            ChangeOrDelete(request::kDelete);
        } else if (field == selectCatalog_) {
            PickCatalog();
        } else if (field == selectNode_) {
            PickNode();
        } else if (field == close_) {
            SetResponse(response::kCompleted);
        } else if (!queries_.Browse().Navigate(field)) {
            return WindowManager::TakeAccepted();
        }
        return ui::Benign;
    }

    ui::Level TakeNewSelection() override {
        if (Field() == sheet_) ChangeTab(window_.Selected(sheet_));
        return ui::Benign;
    }

    ui::Level TakeFieldEvent() override {
        if (Field() != list_ || menu_.Take(Event())) return ui::Benign;
        if (Event().code == ev::kHeaderPressed) SortByHeader(Event().column);
        if (Event().code == ev::kAlertKey && Event().key == ui::key::MouseRight)
            ui::ShowBrowseMenu(menu_, window_, list_, kApplication, FormatName(tab_),
                               {select_, insert_, change_, delete_}, ui::FormatEntries::Last);
        return ui::Benign;
    }

    ui::Level Kill() override {
        if (const ui::Level r = WindowManager::Kill(); r != ui::Benign) return r;
        for (const TableId id : opened_) data::Relate(id).Close();
        opened_.clear();
        if (Opened) {
            ui::SaveListFormat(window_, list_, kApplication, FormatName(tab_));
            SavePlacement(variant_.procedure);
        }
        EndProcedure({});
        return ui::Benign;
    }

  private:
    void Feqs() {
        list_ = window_.Feq("?BROWSE:1");
        queries_.SetList(list_);
        select_ = window_.Feq("?SELECT:2");
        insert_ = window_.Feq("?INSERT:4");
        change_ = window_.Feq("?CHANGE:4");
        delete_ = window_.Feq("?DELETE:4");
        sheet_ = window_.Feq("?CURRENTTAB");
        selectCatalog_ = window_.Feq("?SELECT:3");
        selectNode_ = window_.Feq("?SELECT:4");
        close_ = window_.Feq("?CLOSE");
        HelpControl = window_.Feq("?HELP");
    }

    bool ViewOnly() const { return Request == request::kView; }

    // Each tab keeps its own column widths.
    std::string FormatName(int tab) const {
        return std::string(variant_.procedure) + ".SortOrder" + std::to_string(tab);
    }

    // Reads the list again in the tab's order, keeping the current query current.
    void Refresh() { queries_.Show(LoadQueryRows(static_cast<QueryOrder>(tab_))); }

    void SelectQuery(std::int32_t id) {
        if (const int row = queries_.RowOfId(id); row != 0) queries_.Browse().Select(row);
    }

    // The list's one update procedure: the query form for the request, whose response it
    // answers. A list opened only to view never runs it.
    int RunQueryForm(int formRequest) {
        if (ViewOnly()) return response::kCancelled;
        runtime::SetGlobalRequest(formRequest);
        // A refused form leaves the response as it finds it: a stale "completed" must not count.
        runtime::SetGlobalResponse(response::kNone);
        UpdateQueries();
        runtime::SetGlobalRequest(request::kNone);
        return runtime::GlobalResponse();
    }

    // The form receives a primed record; a new query that is not saved gives its number back.
    void Insert() {
        window_.Update();
        if (ViewOnly()) return;
        data::TableManager& queries = data::Access(TableId::Queries);
        if (queries.PrimeRecord() != ui::Benign) return;
        const std::int32_t id = data::Dict().QUE.ID;
        const bool saved = RunQueryForm(request::kInsert) == response::kCompleted;
        if (!saved) queries.CancelAutoInc();
        Refresh();
        if (saved) SelectQuery(id);
        window_.Select(list_);
    }

    // The form works on the highlighted query, read again so that it is the table's current
    // record; one that is gone meanwhile is not acted on.
    void ChangeOrDelete(int formRequest) {
        window_.Update();
        if (ViewOnly()) return;
        const int row = queries_.Browse().Current();
        const std::int32_t id = queries_.IdAt(row);
        if (id == 0) return;
        data::Dict().QUE.ID = id;
        if (data::Access(TableId::Queries).TryFetch(data::QUE_KeyId) == ui::Benign)
            RunQueryForm(formRequest);
        Refresh();
        // A deleted query's place goes to the one that followed it.
        if (queries_.IdAt(queries_.Browse().Current()) != id && formRequest == request::kDelete)
            queries_.Browse().Select(row);
        window_.Select(list_);
    }

    // The picked catalog stays in the thread's Catalogs buffer for the catalog tab; a pick that
    // is given up leaves the one picked before.
    void PickCatalog() {
        window_.Update();
        const data::CatalogsRecord before = data::Dict().CAT;
        runtime::SetGlobalRequest(request::kSelect);
        BrowseCatalogs();
        if (runtime::GlobalResponse() != response::kCompleted) data::Dict().CAT = before;
        runtime::SetGlobalRequest(request::kNone);
        Reset();
        Refresh();
    }

    void PickNode() {
        window_.Update();
        const data::NodesRecord before = data::Dict().NOD;
        runtime::SetGlobalRequest(request::kSelect);
        BrowseTree();
        if (runtime::GlobalResponse() != response::kCompleted) data::Dict().NOD = before;
        runtime::SetGlobalRequest(request::kNone);
        Reset();
        Refresh();
    }

    void ChangeTab(int tab) {
        if (tab < 1 || tab > kTabs || tab == tab_) return;
        ui::SaveListFormat(window_, list_, kApplication, FormatName(tab_));
        tab_ = tab;
        // A tab without saved widths shows the layout's.
        ui::ShowLayoutFormat(window_, list_);
        ui::RestoreListFormat(window_, list_, kApplication, FormatName(tab_));
        SetSort(0, false);
        Refresh();
    }

    // A click on a header sorts by that column, a second click reverses it.
    // The rows shown are sorted where they are; nothing is read again.
    void SortByHeader(int column) {
        if (queries_.SortBy(column)) SaveSort();
    }

    // Column 0 is the tab's own key order.
    void SetSort(int column, bool descending) {
        queries_.SetSort(column, descending);
        SaveSort();
    }
    void SaveSort() {
        ui::IniManager::Global().SaveSortOrder(variant_.procedure,
                                               {queries_.SortColumn(), queries_.Descending()});
    }

    void RestoreSort() {
        const auto saved = ui::IniManager::Global().FetchSortOrder(
            variant_.procedure, static_cast<int>(QueryColumns().size()));
        queries_.SetSort(saved ? saved->column : 0, saved && saved->descending);
    }

    const Variant& variant_;
    ui::TypedList<QueryRow> queries_{window_, QueryColumns()};
    std::vector<TableId> opened_;
    ui::PopupActions menu_;
    int tab_ = 1;
    int list_ = 0, select_ = 0, insert_ = 0, change_ = 0, delete_ = 0, sheet_ = 0,
        selectCatalog_ = 0, selectNode_ = 0, close_ = 0;
};

void RunQueryBrowse(const Variant& variant) {
    QueryBrowse browse(variant);
    browse.Run();
}

}  // namespace

void BrowseQueries() {
    shell::Route(BrowseQueriesA, BrowseQueriesJ);
}

void BrowseQueriesA() {
    RunQueryBrowse(kVariantA);
}

void BrowseQueriesJ() {
    RunQueryBrowse(kVariantJ);
}

}  // namespace zem::research
