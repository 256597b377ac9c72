#include "research/queryform/query_form.h"

#include <chrono>
#include <cstddef>
#include <cstring>
#include <span>
#include <string>
#include <unordered_set>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/date_pictures.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/requests.h"
#include "platform/store/errors.h"
#include "platform/ui/window/browse_list.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/window/field_binding.h"
#include "platform/ui/window/list_format.h"
#include "platform/ui/errors/message_sink.h"
#include "research/google/build_google.h"
#include "research/itemloader/build_list.h"
#include "research/campaign/create_compaign.h"
#include "research/queryform/open_url.h"
#include "research/queryform/query_items.h"
#include "research/tree/select_tree.h"
#include "shell/tagging.h"
#include "shell/window_counters.h"

namespace zem::research {
namespace {

// The catalog drop list's hint, in code page 1251.
constexpr std::string_view kCatalogHint =
    "\xCD\xE0\xE8\xEC\xE5\xED\xEE\xE2\xE0\xED\xE8\xE5";  // Наименование

namespace ev = runtime::event;
namespace request = runtime::request;
namespace response = runtime::response;
using data::TableId;

constexpr std::string_view kFormWindow = "P1$QUICKWINDOW";
constexpr std::string_view kClearWindow = "P1$CLEARWINDOW";
constexpr std::string_view kHelpFile = "zembrola.chm";
constexpr std::string_view kHelpTopic = "UpdateQueries.htm";
constexpr std::string_view kApplication = "zembrola";
constexpr double kGoodsLockTimeout = 5.0;  // seconds
// How often the item list shows the rows a clearing has deleted so far.
constexpr std::chrono::milliseconds kListRedraw{100};

// A DATE or TIME field of a packed record, shown and read back through its picture. Text that
// is no date or time leaves the field as it was, and is refused.
ui::Binding DateField(char* field, std::string picture) {
    return ui::Binding{[field, picture] {
                           runtime::Date date;
                           std::memcpy(&date, field, sizeof date);
                           return runtime::FormatDate(date, picture);
                       },
                       [field, picture](std::string_view text) {
                           const auto date = runtime::DeformatDate(text, picture);
                           if (date) std::memcpy(field, &*date, sizeof *date);
                           return date.has_value();
                       }};
}

ui::Binding TimeField(char* field, std::string picture) {
    return ui::Binding{[field, picture] {
                           runtime::Time time;
                           std::memcpy(&time, field, sizeof time);
                           return runtime::FormatTime(time, picture);
                       },
                       [field, picture](std::string_view text) {
                           const auto time = runtime::DeformatTime(text, picture);
                           if (time) std::memcpy(field, &*time, sizeof *time);
                           return time.has_value();
                       }};
}

static_assert(sizeof(runtime::Date) == sizeof(data::QueriesRecord::BUILDDATE));
static_assert(sizeof(runtime::Time) == sizeof(data::QueriesRecord::BUILDTIME));

char* FieldOf(data::QueriesRecord& query, std::size_t offset) {
    return reinterpret_cast<char*>(&query) + offset;
}

data::QueriesRecord& Query() {
    return data::Dict().QUE;
}

void ShowTransactionError() {
    ui::Message("Transaction error (" + std::string(store::ErrorText()) + ").", "Error",
                ui::Icon::Exclamation, ui::ButtonOk, ui::ButtonOk);
}

// The tables the form keeps open, and whether each goes through its relation object (so the
// tables linked to it open with it).
struct FormTable {
    TableId id;
    bool related;
};
constexpr FormTable kFormTables[] = {
    {TableId::Brands, false}, {TableId::Catalogs, true}, {TableId::Goods, true},
    {TableId::Sites, false},  {TableId::TagFile_, true}, {TableId::aNodes, false},
};

ui::Level OpenFormTable(const FormTable& t) {
    return t.related ? data::Relate(t.id).Open() : data::Access(t.id).Open();
}
void CloseFormTable(const FormTable& t) {
    if (t.related)
        data::Relate(t.id).Close();
    else
        data::Access(t.id).Close();
}

}  // namespace

QueryForm::QueryForm(const QueryFormVariant& variant)
    : FormManager(TableId::Queries), variant_(variant) {}

ui::Level QueryForm::Init() {
    ui::ErrorManager::Global().SetProcedureName(variant_.procedure);
    if (const ui::Level r = FormManager::Init(); r != ui::Benign) return r;
    runtime::SetGlobalRequest(request::kNone);
    runtime::SetGlobalResponse(response::kNone);
    // A request the form does not know only shows the query.
    if (Request != request::kInsert && Request != request::kChange && Request != request::kDelete)
        Request = request::kView;
    if (!data::HasDictionary()) return ui::Fatal;
    data::QueriesRecord& query = Query();
    before_ = query;
    const data::Dictionary& d = data::Dict();
    callerRows_ = ShownRows{d.SIT, d.CAT, d.NOD, d.BRA};
    if (!OpenTables()) return ui::Fatal;
    if (Request == request::kDelete) return DeleteQuery();
    if (Request == request::kInsert) {
        query.BUILDDATE = runtime::Today();
        query.BUILDTIME = runtime::CurrentTime();
    }
    if (!ViewOnly() && !BeginTransaction()) return ui::Fatal;
    curSite_ = Request == request::kInsert ? 0 : std::int32_t{query.SITE};
    FetchShownRows();

    std::string error;
    if (!window_.Load(variant_.resource, kFormWindow, &error)) {
        ui::Message(error, "Error", ui::Icon::Hand);
        return ui::Fatal;
    }
    window_.ChangeProps([&](ui::WindowProps& p) { p.charset = variant_.charset; });
    FindControls();
    OkControl = ok_;
    CancelControl = cancel_;
    sites_.SetControl(site_);
    catalogs_.SetControl(catalog_);
    window_.Change(catalog_, [](ui::Control& c) {
        c.tip = kCatalogHint;
        c.message = kCatalogHint;
        c.tipCharset = ui::kCyrillicCharset;
    });
    brands_.SetControl(brand_);
    items_.SetUp(ViewOnly());
    BindFields();
    ui::RestoreListFormat(window_, items_.List(), kApplication, variant_.procedure);
    if (!window_.Open(variant_.procedure)) return ui::Fatal;
    Opened = true;
    ApplyDefaultIcon();
    SetUpOpenWindow();
    RestorePlacement(variant_.procedure);
    help_.Init(kHelpFile);
    help_.SetTopic(kHelpTopic);
    return ui::Benign;
}

void QueryForm::Ask() {
    // Tags last for one opening of the form.
    shell::ClearTags(Query().ID, 1);
    switch (Request) {
        case request::kInsert:
            window_.SetCaption("New Query");
            break;
        case request::kChange:
            window_.SetCaption("Change Query");
            break;
        default:
            window_.SetCaption(shell::kViewCaption);
            break;
    }
    FormManager::Ask();
}

ui::Level QueryForm::Kill() {
    if (const ui::Level r = FormManager::Kill(); r != ui::Benign) return r;
    EndTransaction();
    if (before_ && Response != response::kCompleted) Query() = *before_;
    if (callerRows_) {
        data::Dictionary& d = data::Dict();
        d.SIT = callerRows_->site;
        d.CAT = callerRows_->catalog;
        d.NOD = callerRows_->node;
        d.BRA = callerRows_->brand;
    }
    CloseTables();
    if (Opened) {
        ui::SaveListFormat(window_, items_.List(), kApplication, variant_.procedure);
        SavePlacement(variant_.procedure);
    }
    EndProcedure({});
    return ui::Benign;
}

void QueryForm::FindControls() {
    auto f = [&](std::string_view use) { return window_.Feq(use); };
    name_ = f("?QUE:NAME");
    buildDate_ = f("?QUE:BUILDDATE");
    buildTime_ = f("?QUE:BUILDTIME");
    site_ = f("?SIT:NAME");
    catalog_ = f("?CAT:NAME");
    node_ = f("?QUE:NODE");
    nodeName_ = f("?NOD:NAME");
    lookup_ = f("?CALLLOOKUP");
    brand_ = f("?BRA:NAME");
    minPrice_ = f("?QUE:MINPRICE");
    maxPrice_ = f("?QUE:MAXPRICE");
    saving_ = f("?CURSAVING");
    keywords_ = f("?QUE:KEYWORDS");
    buildList_ = f("?BUILDLIST");
    campaign_ = f("?CREATECAMPAIGN");
    change_ = f("?CHANGE");
    check_ = f("?CHECKLIST");
    view_ = f("?VIEW");
    ok_ = f("?OK");
    cancel_ = f("?CANCEL");
    HelpControl = f("?HELP");
}

void QueryForm::BindFields() {
    data::QueriesRecord& q = Query();
    window_.Bind(name_, ui::StringField(q.NAME, sizeof q.NAME));
    window_.Bind(buildDate_,
                 DateField(FieldOf(q, offsetof(data::QueriesRecord, BUILDDATE)), "d17"));
    window_.Bind(buildTime_, TimeField(FieldOf(q, offsetof(data::QueriesRecord, BUILDTIME)), "T8"));
    window_.Bind(node_, ui::NumberField<std::int32_t>(
                            FieldOf(q, offsetof(data::QueriesRecord, NODE)), "n-14"));
    data::NodesRecord& node = data::Dict().NOD;
    window_.Bind(nodeName_, ui::CStringField(node.NAME, sizeof node.NAME));
    window_.Bind(minPrice_, ui::NumberField<double>(
                                FieldOf(q, offsetof(data::QueriesRecord, MINPRICE)), "n10.2"));
    window_.Bind(maxPrice_, ui::NumberField<double>(
                                FieldOf(q, offsetof(data::QueriesRecord, MAXPRICE)), "n10.2"));
    window_.Bind(saving_, ui::NumberField<double>(&curSaving_, "n_7.2~%~"));
    window_.Bind(keywords_, ui::CStringField(q.KEYWORDS, sizeof q.KEYWORDS));
}

void QueryForm::SetUpOpenWindow() {
    items_.Opened();
    for (const int feq : {name_, buildDate_, buildTime_, node_, minPrice_, maxPrice_, keywords_})
        AddHistoryField(feq);
    if (ViewOnly()) {
        for (const int feq : {name_, buildDate_, buildTime_, node_}) window_.SetReadOnly(feq, true);
        for (const int feq :
             {site_, catalog_, brand_, lookup_, buildList_, campaign_, change_, check_, view_})
            window_.SetDisable(feq, true);
    }
}

bool QueryForm::OpenTables() {
    std::size_t opened = 0;
    for (const FormTable& t : kFormTables) {
        if (OpenFormTable(t) != ui::Benign) {
            for (std::size_t i = 0; i < opened; ++i) CloseFormTable(kFormTables[i]);
            return false;
        }
        ++opened;
    }
    tablesOpen_ = true;
    return true;
}

void QueryForm::CloseTables() {
    if (!tablesOpen_) return;
    for (const FormTable& t : kFormTables) CloseFormTable(t);
    tablesOpen_ = false;
}

// Everything the form does to Goods while it is open (loads, checks, deletions, edits) is one
// transaction that OK commits and anything else rolls back. A new query gets one too: items
// loaded for a query that is then cancelled would otherwise stay behind under a number that
// may be handed out again.
bool QueryForm::BeginTransaction() {
    data::TableManager& goods = data::Access(TableId::Goods);
    if (goods.UseFile() != ui::Benign) {
        ShowTransactionError();
        return false;
    }
    store::Table* table = &goods.File();
    if (transaction_.Begin(data::Dict().File(), kGoodsLockTimeout,
                           std::span<store::Table* const>(&table, 1)) != store::NoError) {
        ShowTransactionError();
        return false;
    }
    return true;
}

void QueryForm::EndTransaction() {
    if (!transaction_.IsOpen()) return;
    if (Response == response::kCompleted && transaction_.Commit() != store::NoError)
        ShowTransactionError();
    transaction_.Rollback();
}

// The delete request deletes the query with its items (the Queries relations cascade) without
// showing the window.
ui::Level QueryForm::DeleteQuery() {
    data::QueriesRecord& query = Query();
    const data::QueriesRecord held = query;
    Response = response::kCancelled;
    // The row as stored becomes the current record the delete acts on.
    if (data::Access(TableId::Queries).Fetch(data::QUE_KeyId) != ui::Benign) {
        query = held;
        return ui::Notify;
    }
    if (data::Relate(TableId::Queries).Delete(true) != ui::Benign) return ui::Notify;
    shell::ClearTags(held.ID, 1);
    shell::ClearTagPositions(held.ID, 1);
    Response = response::kCompleted;
    return ui::Notify;
}

ui::Level QueryForm::SaveRecord() {
    if (Request != request::kChange) return FormManager::SaveRecord();
    // Whatever the form's thread read since, the change is written over the query's own row.
    data::QueriesRecord& query = Query();
    const data::QueriesRecord edited = query;
    const ui::Level found = data::Access(TableId::Queries).Fetch(data::QUE_KeyId);
    query = edited;
    if (found != ui::Benign) return found;
    return data::Relate(TableId::Queries).Update();
}

ui::Level QueryForm::TakeEvent() {
    const runtime::Event& e = Event();
    if (nodeRefused_ && e.code == ev::kSelected && e.control == node_) {
        // The focus coming back after the picker was left without a choice.
        nodeRefused_ = false;
        return ui::Benign;
    }
    if (e.code != ev::kTimer) nodeRefused_ = false;
    return FormManager::TakeEvent();
}

ui::Level QueryForm::TakeAccepted() {
    const int field = Field();
    if (field == 0) return ui::Benign;
    // A price typed but not yet accepted is accepted when another control acts: the OK
    // button saves it, "&Load List" sends it.
    if (typedPrice_ != 0 && field != typedPrice_) ApplyPriceRule(typedPrice_);
    if (field == node_) {
        NodeAccepted();
        return ui::Benign;
    }
    if (field == minPrice_ || field == maxPrice_) {
        ApplyPriceRule(field);
        Reset();
        return ui::Benign;
    }
    // A drop list's choice is taken when it is made.
    if (field == site_ || field == catalog_ || field == brand_) return ui::Benign;
    if (field == lookup_) {
        LookUpNodeButton();
        return ui::Benign;
    }
    if (field == buildList_) {
        LoadList();
        return ui::Benign;
    }
    if (field == check_) {
        CheckCompetition();
        return ui::Benign;
    }
    if (field == campaign_) {
        CreateCampaign();
        return ui::Benign;
    }
    if (field == view_) {
        ViewItem();
        return ui::Benign;
    }
    // The frame's "Edit This Record" edits the current item too.
    if (field == change_ || field == ui::navigation::kChange) {
        window_.Update();
        if (!ViewOnly()) items_.StartEdit();
        Reset();
        return ui::Benign;
    }
    if (const auto command = items_.CommandOf(field)) {
        window_.Update();
        items_.Run(*command);
        Reset();
        return ui::Benign;
    }
    if (items_.Navigate(field)) {
        Reset();
        return ui::Benign;
    }
    return FormManager::TakeAccepted();
}

ui::Level QueryForm::TakeNewSelection() {
    const int field = Field();
    if (field == site_)
        ChooseSite();
    else if (field == catalog_)
        ChooseCatalog();
    else if (field == brand_)
        ChooseBrand();
    else if (field == items_.List())
        items_.TakeNewSelection();
    else if (field == minPrice_ || field == maxPrice_)
        typedPrice_ = field;  // the rule waits for the whole number: "61" is no 6 first
    return ui::Benign;
}

ui::Level QueryForm::TakeSelected() {
    if (Field() == node_) NodeFocused();
    return ui::Benign;
}

ui::Level QueryForm::TakeFieldEvent() {
    const runtime::Event& e = Event();
    if (e.control != items_.List()) return ui::Benign;
    if ((e.code == ev::kAlertKey && items_.TakeClick(e)) || items_.TakeCellEdit(e)) {
        Reset();
    } else if (e.code == ev::kHeaderPressed) {
        items_.SortBy(e.column);
    } else {
        items_.TakeMenu(e, kApplication, variant_.procedure);
    }
    return ui::Benign;
}

ui::Level QueryForm::TakeWindowEvent() {
    const ui::Level result = FormManager::TakeWindowEvent();
    const runtime::EventCode code = Event().code;
    if (code == ev::kOpenWindow) {
        Reset(true);
    } else if (code == ev::kTimer && shell::TakeTreeReload()) {
        // The configuration was saved: the store's row and the catalog tree may have changed.
        window_.Update();
        Query().NODE = 0;
        Reset(true);
    }
    return result;
}

void QueryForm::Reset(bool force) {
    if (force) LoadDropLists();
    FetchShownRows();
    const std::int32_t query = Query().ID;
    const bool tagged = !ViewOnly() && shell::FirstTagged(query) != 0;
    window_.SetDisable(campaign_, !tagged);
    window_.SetDisable(check_, !tagged);
    if (force) items_.Load(query);
    window_.DisplayFields();
    ShowDropChoices();
}

void QueryForm::FetchShownRows() {
    data::Dictionary& d = data::Dict();
    const data::QueriesRecord& q = d.QUE;
    // A missing row leaves its buffer cleared, so its name shows blank: no result is needed.
    d.SIT.ID = q.SITE;
    (void)data::Access(TableId::Sites).TryFetch(data::SIT_KeyId);
    d.CAT.ID = q.CATALOG;
    (void)data::Access(TableId::Catalogs).TryFetch(data::CAT_KeyId);
    d.NOD.ID = q.NODE;
    (void)data::Access(TableId::Nodes).TryFetch(data::NOD_KeyId);
    d.BRA.ID = q.BRAND;
    (void)data::Access(TableId::Brands).TryFetch(data::BRA_KeyId);
}

void QueryForm::LoadDropLists() {
    data::QueriesRecord& q = Query();
    std::int32_t site = q.SITE;
    sites_.Show(SiteChoices(curSite_), site);
    q.SITE = static_cast<std::uint8_t>(site);
    std::int32_t catalog = q.CATALOG;
    catalogs_.Show(CatalogChoices(q.SITE), catalog);
    q.CATALOG = catalog;
    std::int32_t brand = q.BRAND;
    brands_.Show(BrandChoices(), brand);
    q.BRAND = brand;
}

void QueryForm::ShowDropChoices() {
    const data::QueriesRecord& q = Query();
    sites_.Highlight(q.SITE);
    catalogs_.Highlight(q.CATALOG);
    brands_.Highlight(q.BRAND);
}

bool QueryForm::ClearItems(const std::function<bool(const data::GoodsRecord&)>& remove) {
    ui::Window clearing;
    if (clearing.Load(variant_.resource, kClearWindow)) {
        clearing.ChangeProps([&](ui::WindowProps& p) { p.charset = variant_.charset; });
        clearing.Open(variant_.procedure);
    }
    ui::WaitCursor wait;
    // The list shows the items going as they go. It is sent again a few times a second, not
    // for every row: each sending carries every row still in it.
    std::unordered_set<std::int32_t> gone;
    auto shown = std::chrono::steady_clock::now();
    const bool cleared = DeleteQueryItems(
        Query().ID,
        [&](const data::GoodsRecord& item) {
            const bool goes = !remove || remove(item);
            if (goes) gone.insert(item.ID);
            return goes;
        },
        [&] {
            const auto now = std::chrono::steady_clock::now();
            if (now - shown < kListRedraw) return;
            items_.Drop(gone);
            gone.clear();
            shown = now;
        });
    items_.Drop(gone);
    return cleared;
}

void QueryForm::LoadList() {
    window_.Update();
    const std::int32_t query = Query().ID;
    shell::ClearTags(query, 1);
    // Items that could not be cleared would stand beside the loaded ones, each twice.
    if (!ClearItems({})) {
        Reset(true);
        return;
    }
    // The loader reads the query's catalog and node rows from the buffers.
    FetchShownRows();
    const std::uint8_t answer = BuildList();
    const double minimum = curSaving_;
    ClearItems([&](const data::GoodsRecord& item) {
        return answer != 0 || KeptSaving(item.PRICEREAL, item.AMAZONREAL) < minimum;
    });
    if (answer != 0)
        ui::Message(kOperationCanceled, "Message", ui::Icon::Exclamation, ui::ButtonOk,
                    ui::ButtonOk);
    Reset(true);
}

void QueryForm::CheckCompetition() {
    window_.Update();
    if (BuildGoogle() != 0)
        ui::Message(kOperationCanceled, "Message", ui::Icon::Exclamation, ui::ButtonOk,
                    ui::ButtonOk);
    Reset(true);
}

void QueryForm::CreateCampaign() {
    window_.Update();
    CreateCompaign();
    Reset();
}

void QueryForm::ViewItem() {
    window_.Update();
    if (items_.ReadCurrent())
        OpenURL(data::CStringOf(data::Dict().GOO.DETAILPAGE), variant_.charset);
    Reset();
}

bool QueryForm::PickNode() {
    runtime::SetGlobalRequest(request::kSelect);
    SelectTree();
    const bool chosen =
        runtime::GlobalResponse() == response::kCompleted && data::Dict().ANO.ID != 0;
    runtime::SetGlobalRequest(request::kNone);
    runtime::SetGlobalResponse(response::kNone);
    return chosen;
}

void QueryForm::LookUpNodeButton() {
    window_.Update();
    data::Dict().ANO.ID = Query().NODE;
    if (PickNode()) Query().NODE = data::Dict().ANO.ID;
    Reset(true);
    shell::ClearTagPositions(Query().ID, 1);
}

// The node lookup of the Node field: a value that names no node opens the picker. False when
// the picker was left without a choice; the focus is then back on the field.
bool QueryForm::LookUpNode() {
    data::Dictionary& d = data::Dict();
    d.ANO.ID = d.QUE.NODE;
    if (data::Access(TableId::aNodes).TryFetch(data::ANO_KeyId) == ui::Benign) return true;
    if (PickNode()) {
        d.QUE.NODE = d.ANO.ID;
        return true;
    }
    nodeRefused_ = true;
    window_.Select(node_);
    return false;
}

void QueryForm::NodeAccepted() {
    if (ViewOnly()) return;
    if (Query().NODE != 0 && !LookUpNode()) return;
    Reset();
}

void QueryForm::NodeFocused() {
    if (ViewOnly()) return;
    window_.Update();
    if (LookUpNode()) Reset();
}

void QueryForm::ApplyPriceRule(int field) {
    typedPrice_ = 0;
    data::QueriesRecord& q = Query();
    const double minimum = q.MINPRICE;
    const double maximum = q.MAXPRICE;
    if (!(maximum < minimum)) return;
    if (field == minPrice_) {
        q.MAXPRICE = minimum;
        window_.DisplayFields(maxPrice_);
    } else {
        q.MINPRICE = maximum;
        window_.DisplayFields(minPrice_);
    }
}

void QueryForm::ChooseSite() {
    const auto site = sites_.Chosen();
    data::QueriesRecord& q = Query();
    if (!site || *site == q.SITE) return;
    window_.Update();
    q.SITE = static_cast<std::uint8_t>(*site);
    std::int32_t catalog = q.CATALOG;
    catalogs_.Show(CatalogChoices(q.SITE), catalog);
    q.CATALOG = catalog;
    ForgetItems();
    Reset(true);
}

void QueryForm::ChooseCatalog() {
    const auto catalog = catalogs_.Chosen();
    data::QueriesRecord& q = Query();
    if (!catalog || *catalog == q.CATALOG) return;
    window_.Update();
    q.CATALOG = *catalog;
    ForgetItems();
    Reset(true);
}

void QueryForm::ChooseBrand() {
    const auto brand = brands_.Chosen();
    if (!brand) return;
    window_.Update();
    Query().BRAND = *brand;
    Reset();
}

void QueryForm::ForgetItems() {
    data::QueriesRecord& q = Query();
    shell::ClearTagPositions(q.ID, 1);
    q.NODE = 0;
    // The items go, and so do the tags that pointed at them.
    shell::ClearTags(q.ID, 1);
    DeleteQueryItems(q.ID);
}

}  // namespace zem::research
