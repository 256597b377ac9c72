#include "research/cataloglist/browse_catalogs.h"

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "data/dictionary.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/requests.h"
#include "platform/ui/help/help.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/list_format.h"
#include "platform/ui/window/typed_list.h"
#include "platform/ui/window/window_manager.h"

namespace zem::research {
namespace {

namespace ev = runtime::event;
using data::TableId;

constexpr const char* kProcedure = "BrowseCatalogs";

std::string Text(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

const ui::ColumnSpec<CatalogRow> kColumns[] = {
    {"Name", "s255", ui::ColumnAlign::Left, [](const CatalogRow& r) { return r.name; },
     [](const CatalogRow& r) { return ui::SortValue::Text(r.name); }},
    {"Parent", "s255", ui::ColumnAlign::Left, [](const CatalogRow& r) { return r.parent; },
     [](const CatalogRow& r) { return ui::SortValue::Text(r.parent); }},
};

class CatalogBrowse final : public ui::WindowManager {
  public:
    ui::Level Init() override {
        ui::ErrorManager::Global().SetProcedureName(kProcedure);
        if (const ui::Level r = WindowManager::Init(); r != ui::Benign) return r;
        runtime::SetGlobalRequest(runtime::request::kNone);
        runtime::SetGlobalResponse(runtime::response::kNone);
        // A list over a table it could not open would show nothing, and its close would take
        // the caller's open of the table with it.
        if (data::Relate(TableId::Catalogs).Open() != ui::Benign) return ui::Fatal;
        tablesOpen_ = true;
        std::string error;
        if (!window_.Load("zembrola$zembr011", "P1$QUICKWINDOW", &error)) {
            ui::Message(error, "Error", ui::Icon::Hand);
            return ui::Fatal;
        }
        list_ = window_.Feq("?BROWSE:1");
        catalogs_.SetList(list_);
        select_ = window_.Feq("?SELECT:2");
        close_ = window_.Feq("?CLOSE");
        HelpControl = window_.Feq("?HELP");
        window_.SetHide(select_, !Selecting());
        window_.Alert(ui::key::MouseRight);
        RestoreSort();
        ui::RestoreListFormat(window_, list_, "zembrola", kProcedure);
        Load();
        if (!window_.Open(kProcedure)) return ui::Fatal;
        Opened = true;
        ApplyDefaultIcon();
        RestorePlacement(kProcedure);
        help_.Init("zembrola.chm");
        help_.SetTopic("BrowseCatalogs.htm");
        return ui::Benign;
    }

    ui::Level TakeAccepted() override {
        const int field = Field();
        if ((field == select_ || field == ui::navigation::kSelect ||
             (field == list_ && Selecting())) &&
            Selecting()) {
            Choose();
            return ui::Benign;
        }
        if (field == close_) {
            SetResponse(Selecting() ? runtime::response::kCancelled
                                    : runtime::response::kCompleted);
            return ui::Benign;
        }
        if (catalogs_.Browse().Navigate(field)) return ui::Benign;
        return WindowManager::TakeAccepted();
    }

    ui::Level TakeFieldEvent() override {
        if (Field() == list_ && menu_.Take(Event())) return ui::Benign;
        if (Field() == list_ && Event().code == ev::kAlertKey &&
            Event().key == ui::key::MouseRight) {
            ui::ShowBrowseMenu(menu_, window_, list_, "zembrola", kProcedure, {select_},
                               ui::FormatEntries::First);
            return ui::Benign;
        }
        if (Field() == list_ && Event().code == ev::kHeaderPressed &&
            catalogs_.SortBy(Event().column))
            ui::IniManager::Global().SaveSortOrder(
                kProcedure, {catalogs_.SortColumn(), catalogs_.Descending()});
        return ui::Benign;
    }

    ui::Level Kill() override {
        if (const ui::Level r = WindowManager::Kill(); r != ui::Benign) return r;
        if (tablesOpen_) data::Relate(TableId::Catalogs).Close();
        if (Opened) {
            ui::SaveListFormat(window_, list_, "zembrola", kProcedure);
            SavePlacement(kProcedure);
        }
        EndProcedure({});
        return ui::Benign;
    }

  private:
    bool Selecting() const { return Request == runtime::request::kSelect; }

    // Catalogs by name, each with its parent's name from the alias.
    void Load() {
        data::Dictionary& d = data::Dict();
        data::TableManager& catalogs = data::Access(TableId::Catalogs);
        data::TableManager& parents = data::Access(TableId::aCatalogs);
        catalogs.UseFile();
        parents.UseFile();
        std::vector<CatalogRow> rows;
        catalogs.File().Set(data::CAT_KeyName);
        while (catalogs.TryNext() == ui::Benign) {
            std::string parent;
            if (d.CAT.PARENT != 0) {
                d.ACA.ID = d.CAT.PARENT;
                if (parents.TryFetch(data::ACA_KeyId) == ui::Benign)
                    parent = Text(d.ACA.NAME, sizeof d.ACA.NAME);
            }
            rows.push_back(CatalogRow{d.CAT.ID, Text(d.CAT.NAME, sizeof d.CAT.NAME), parent});
        }
        catalogs_.Show(std::move(rows));
    }

    void Choose() {
        const CatalogRow* row = catalogs_.Current();
        if (!row) return;
        data::Dict().CAT.ID = row->id;
        if (data::Access(TableId::Catalogs).Fetch(data::CAT_KeyId) != ui::Benign) return;
        SetResponse(runtime::response::kCompleted);
    }

    void RestoreSort() {
        // The list shows the catalogs by name until the user sorts otherwise.
        const auto saved = ui::IniManager::Global().FetchSortOrder(
            kProcedure, static_cast<int>(std::size(kColumns)));
        catalogs_.SetSort(saved ? saved->column : 1, saved && saved->descending);
    }

    ui::TypedList<CatalogRow> catalogs_{window_, kColumns};
    int list_ = 0, select_ = 0, close_ = 0;
    bool tablesOpen_ = false;
    ui::PopupActions menu_;
};

}  // namespace

std::span<const ui::ColumnSpec<CatalogRow>> CatalogColumns() {
    return kColumns;
}

void BrowseCatalogs() {
    CatalogBrowse browse;
    browse.Run();
}

}  // namespace zem::research
