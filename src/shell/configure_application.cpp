#include "shell/configure_application.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "data/dictionary.h"
#include "data/field_rules.h"
#include "data/text_fields.h"
#include "platform/runtime/event_codes.h"
#include "platform/runtime/requests.h"
#include "platform/store/errors.h"
#include "platform/store/transaction.h"
#include "platform/ui/help/help.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/field_binding.h"
#include "platform/ui/window/list_format.h"
#include "shell/form_manager.h"
#include "shell/japanese_mode.h"
#include "shell/sites_list.h"
#include "shell/update_site.h"
#include "shell/window_counters.h"

namespace zem::shell {
namespace {

namespace ev = runtime::event;
using data::TableId;

constexpr const char* kProcedure = "UpdateSysInfo";
constexpr const char* kToggleQuestion =
    "Do you wish to toggle the \"Active\" status for this record?";
constexpr const char* kJapanActive =
    "Inconsistent localization. Please, deactivate \"Amazon JP\" !";
constexpr const char* kOthersActive =
    "Inconsistent localization. Please, deactivate all Amazon sites!";

constexpr int kChangeButton = 3002;  // the frame's navigation button "Edit This Record"

// Applies a toggle to a stored switch: whatever it held, it becomes exactly 0 or 1.
std::uint8_t Toggled(std::uint8_t active) {
    return active != 0 ? 0 : 1;
}

bool AskToToggle() {
    return ui::Message(kToggleQuestion, "Toggle Active Status?", ui::Icon::Question,
                       ui::ButtonYes | ui::ButtonNo, ui::ButtonYes) == ui::ButtonYes;
}

class SysInfoForm final : public FormManager {
  public:
    SysInfoForm() : FormManager(TableId::Sysinfo) {}

    ui::Level Init() override {
        ui::ErrorManager::Global().SetProcedureName(kProcedure);
        if (const ui::Level r = FormManager::Init(); r != ui::Benign) return r;
        showActive_ = "A";
        runtime::SetGlobalRequest(runtime::request::kNone);
        runtime::SetGlobalResponse(runtime::response::kNone);
        data::Relate(TableId::Browsers).Open();
        data::Relate(TableId::Sites).Open();
        data::Relate(TableId::Sysinfo).Open();
        tablesOpen_ = true;

        if (!BeginTransaction()) return ui::Fatal;

        std::string error;
        if (!window_.Load("zembrola$zembr007", "P1$QUICKWINDOW", &error)) {
            ui::Message(error, "Error", ui::Icon::Hand);
            return ui::Fatal;
        }
        Feqs();
        OkControl = ok_;
        CancelControl = cancel_;
        Bind();
        ui::RestoreListFormat(window_, list_, "zembrola", kProcedure);
        if (!window_.Open(kProcedure)) return ui::Fatal;
        Opened = true;
        ApplyDefaultIcon();
        window_.SetText(toggle_, "&Deactivate");
        window_.SetSkip(option_, true);
        if (ViewOnly()) {
            for (int feq : {userAgent_, proxy_, user_, password_}) window_.SetReadOnly(feq, true);
            for (int feq : {browsers_, toggle_, change_}) window_.SetDisable(feq, true);
        }
        window_.Alert(ui::key::MouseLeft);
        sites_.RestoreSort();
        LoadSites();
        RestorePlacement(kProcedure);
        EnableByBoxes();
        LoadBrowsers();
        for (int feq : {userAgent_, proxy_, user_, password_, usePassword_, useAccount_, manual_,
                        autoload_, level_})
            AddHistoryField(feq);
        help_.Init("zembrola.chm");
        help_.SetTopic("UpdateSysInfo.htm");
        Refresh();
        return ui::Benign;
    }

    void Ask() override {
        window_.SetCaption(ViewOnly() ? std::string(kViewCaption)
                                      : std::string("Zembrola configuration manager"));
        FormManager::Ask();
    }

    ui::Level TakeAccepted() override {
        const int field = Field();
        if (field == usePassword_ || field == useAccount_ || field == manual_) {
            ClearRuledOut(field);
            EnableByBoxes();
            Refresh();
            return ui::Benign;
        }
        if (field == userAgent_) {
            Refresh();  // the drop list follows the typed id
            return ui::Benign;
        }
        if (field == level_) return CheckLevel();
        if (field == browsers_) {
            ChooseBrowser();
            return ui::Benign;
        }
        if (field == option_) {
            ShowActiveChanged();
            return ui::Benign;
        }
        if (field == toggle_) {
            Toggle();
            return ui::Benign;
        }
        // The list's own change action (a double click, the frame's "Edit This Record") too.
        if (field == change_ || field == list_ || field == kChangeButton) {
            Change();
            return ui::Benign;
        }
        return FormManager::TakeAccepted();
    }

    ui::Level TakeNewSelection() override {
        if (Field() == option_) ShowActiveChanged();
        if (Field() == browsers_) ChooseBrowser();
        return ui::Benign;
    }

    ui::Level TakeFieldEvent() override {
        const runtime::Event& e = Event();
        if (e.control == list_ && e.code == ev::kAlertKey && e.key == ui::key::MouseLeft &&
            e.column == site_column::kStatus && e.row > 0)
            ClickStatus(e.row);
        if (e.control == list_ && e.code == ev::kHeaderPressed) sites_.SortBy(e.column);
        return ui::Benign;
    }

    ui::Level TakeCompleted() override {
        window_.Update();
        if (ViewOnly()) {
            window_.Post(ev::kCloseWindow);
            return ui::Benign;
        }
        if (CheckLevel() != ui::Benign) return ui::Notify;
        if (SaveRecord() != ui::Benign) {
            // The Sites changes so far are undone; what the user does next is again one
            // transaction that Cancel can undo.
            EndTransaction(false);
            return Restart();
        }
        // The record is stored now, whatever becomes of the Sites transaction: a second OK
        // after a failed commit changes it instead of adding another.
        if (Request == runtime::request::kInsert) Request = runtime::request::kChange;
        const int reloads = TreeReloadCount.exchange(BusyWindows.load());
        if (!EndTransaction(true)) {
            TreeReloadCount = reloads;
            return Restart();
        }
        SetResponse(runtime::response::kCompleted);
        return ui::Benign;
    }

    ui::Level Kill() override {
        if (const ui::Level r = FormManager::Kill(); r != ui::Benign) return r;
        EndTransaction(false);
        if (tablesOpen_) {
            data::Relate(TableId::Browsers).Close();
            data::Relate(TableId::Sites).Close();
            data::Relate(TableId::Sysinfo).Close();
        }
        if (Opened) {
            sites_.SaveSort();
            ui::SaveListFormat(window_, list_, "zembrola", kProcedure);
            SavePlacement(kProcedure);
        }
        EndProcedure({});
        return ui::Benign;
    }

  private:
    void Feqs() {
        auto f = [&](const char* use) { return window_.Feq(use); };
        userAgent_ = f("?SYS:USERAGENT");
        browsers_ = f("?BRO:NAME");
        proxyPrompt_ = f("?SYS:PROXY:PROMPT");
        proxy_ = f("?SYS:PROXY");
        group_ = f("?GROUP1");
        user_ = f("?SYS:USER");
        passwordPrompt_ = f("?SYS:PASSWORD:PROMPT");
        password_ = f("?SYS:PASSWORD");
        usePassword_ = f("?SYS:USEPASSWORD");
        useAccount_ = f("?SYS:USEACCOUNT");
        manual_ = f("?SYS:MANUAL");
        autoload_ = f("?SYS:AUTOLOADBRANDS");
        level_ = f("?SYS:CATALOGLEVEL");
        list_ = f("?LIST");
        sites_.SetList(list_);
        option_ = f("?ST::SHOWACTIVE");
        toggle_ = f("?TOGGLEACTIVE");
        change_ = f("?CHANGE");
        ok_ = f("?OK");
        cancel_ = f("?CANCEL");
        HelpControl = f("?HELP");
    }

    void Bind() {
        data::SysinfoRecord& sys = data::Dict().SYS;
        window_.Bind(
            userAgent_,
            ui::NumberField<std::int32_t>(
                reinterpret_cast<char*>(&sys) + offsetof(data::SysinfoRecord, USERAGENT), "n-14"));
        window_.Bind(proxy_, ui::CStringField(sys.PROXY, sizeof sys.PROXY));
        window_.Bind(user_, ui::CStringField(sys.USER, sizeof sys.USER));
        window_.Bind(password_, ui::CStringField(sys.PASSWORD, sizeof sys.PASSWORD));
        window_.Bind(usePassword_, ui::SwitchField(&sys.USEPASSWORD));
        window_.Bind(useAccount_, ui::SwitchField(&sys.USEACCOUNT));
        window_.Bind(manual_, ui::SwitchField(reinterpret_cast<char*>(&sys) +
                                                  offsetof(data::SysinfoRecord, MANUAL),
                                              sizeof(std::int32_t)));
        window_.Bind(autoload_, ui::SwitchField(&sys.AUTOLOADBRANDS));
        window_.Bind(level_, ui::NumberField<std::uint8_t>(&sys.CATALOGLEVEL, "n3"));
        window_.Bind(option_, ui::VariableField(&showActive_));
    }

    data::SysinfoRecord& Sys() { return data::Dict().SYS; }

    std::int32_t Manual() {
        std::int32_t manual;
        std::memcpy(&manual,
                    reinterpret_cast<const char*>(&Sys()) + offsetof(data::SysinfoRecord, MANUAL),
                    sizeof manual);
        return manual;
    }

    // The check-box rules. Only a box the user changes clears the switches it rules out; the
    // values the form opens with stay as stored (clearing them at opening would stop the proxy
    // password from being sent after any visit).
    void ClearRuledOut(int box) {
        if (box == useAccount_) Sys().USEPASSWORD = 0;
        if (box == manual_ && Manual() == 0) {
            Sys().USEACCOUNT = 0;
            Sys().USEPASSWORD = 0;
        }
    }

    // Enables the controls as the switches now stand.
    void EnableByBoxes() {
        const bool password = Sys().USEPASSWORD != 0;
        window_.SetDisable(passwordPrompt_, !password);
        window_.SetDisable(password_, !password);
        const bool account = Sys().USEACCOUNT != 0;
        window_.SetDisable(group_, !account);
        if (account) window_.SetDisable(usePassword_, false);
        const bool manual = Manual() != 0;
        window_.SetDisable(proxyPrompt_, !manual);
        window_.SetDisable(proxy_, !manual);
        window_.SetDisable(useAccount_, !manual);
    }

    // Shows the fields again, with the drop list on the record's user agent.
    void Refresh() {
        window_.DisplayFields();
        const std::int32_t agent = Sys().USERAGENT;
        const auto it = std::find(browserIds_.begin(), browserIds_.end(), agent);
        window_.SetSelected(browsers_, it == browserIds_.end()
                                           ? 0
                                           : static_cast<int>(it - browserIds_.begin()) + 1);
    }

    void LoadBrowsers() {
        data::TableManager& browsers = data::Access(TableId::Browsers);
        data::BrowsersRecord& bro = data::Dict().BRO;
        std::vector<ui::ListRow> rows;
        browserIds_.clear();
        browsers.UseFile();
        browsers.File().Set(data::BRO_KeyName);
        while (browsers.TryNext() == ui::Benign) {
            rows.push_back(ui::ListRow{{std::string(data::ShownText(bro.NAME))}});
            browserIds_.push_back(std::int32_t{bro.ID});  // a copy: the record is packed
        }
        window_.SetRows(browsers_, std::move(rows));
    }

    void ChooseBrowser() {
        const int row = window_.Selected(browsers_);
        if (row < 1 || row > static_cast<int>(browserIds_.size())) return;
        Sys().USERAGENT = browserIds_[static_cast<std::size_t>(row) - 1];
        Refresh();
    }

    ui::Level CheckLevel() {
        window_.Update(level_);
        if (data::Access(TableId::Sysinfo)
                .ValidateField(data::SysinfoManager::kCatalogLevelField, true) == ui::Benign)
            return ui::Benign;
        window_.Select(level_);
        return ui::Notify;
    }

    void LoadSites(std::int32_t keep = 0) { sites_.Load(showActive_ == "A", keep); }
    bool FetchRow(int row) const { return sites_.FetchRow(row); }

    void ShowActiveChanged() {
        window_.Update(option_);
        window_.SetText(toggle_, showActive_ == "I" ? "&Activate" : "&Deactivate");
        LoadSites();
        window_.Select(list_);
    }

    void Toggle() {
        window_.Update();
        if (!FetchRow(window_.Selected(list_))) return;
        const data::SitesRecord& sit = data::Dict().SIT;
        if (sit.ISACTIVE == 0) {
            if (JPMode.load() == kShiftJisCharset)
                ui::Message(kJapanActive, "Error", ui::Icon::Exclamation);
            else if (sit.ID == kSiteJapan && CheckLocalization() == 0)
                ui::Message(kOthersActive, "Error", ui::Icon::Exclamation);
            else
                ToggleCurrent();
        } else {
            ToggleCurrent();
        }
        JPMode = GetJPMode();
    }

    void ToggleCurrent() {
        if (!AskToToggle()) return;
        data::SitesRecord& sit = data::Dict().SIT;
        sit.ISACTIVE = Toggled(sit.ISACTIVE);
        if (data::Relate(TableId::Sites).Update() != ui::Benign) return;
        LoadSites(sit.ID);
        window_.Select(list_);
    }

    // A click on a row's status icon switches the store at once, without the rule.
    void ClickStatus(int row) {
        const int remembered = window_.Selected(list_);
        if (!FetchRow(row)) {
            window_.SetSelected(list_, remembered);
            return;
        }
        data::SitesRecord& sit = data::Dict().SIT;
        sit.ISACTIVE = Toggled(sit.ISACTIVE);
        if (data::Access(TableId::Sites).Update() != ui::Benign) {
            window_.SetSelected(list_, remembered);
            return;
        }
        window_.SetSelected(list_, row);
        LoadSites(sit.ID);
    }

    void Change() {
        if (ViewOnly()) {
            Response = runtime::response::kCancelled;
            return;
        }
        if (!FetchRow(window_.Selected(list_))) return;
        const std::int32_t id = data::Dict().SIT.ID;
        runtime::SetGlobalRequest(runtime::request::kChange);
        UpdateSite();
        runtime::SetGlobalRequest(runtime::request::kNone);
        LoadSites(id);
    }

    // The one transaction over Sites, with its 1-second lock time-out.
    bool BeginTransaction() {
        store::Table* sites = &data::Access(TableId::Sites).File();
        if (transaction_.Begin(data::Dict().File(), 1.0,
                               std::span<store::Table* const>(&sites, 1)) != store::NoError) {
            ui::Message(std::string("Transaction error: ") + std::string(store::ErrorText()),
                        "Error", ui::Icon::Exclamation);
            return false;
        }
        return true;
    }

    // After a failed save: a new transaction and the list as the file holds it now; the form
    // ends when no transaction can be had.
    ui::Level Restart() {
        if (!BeginTransaction()) {
            SetResponse(runtime::response::kCancelled);
            return ui::Benign;
        }
        LoadSites();
        return ui::Notify;
    }

    // False when the commit failed: everything is rolled back then, and the user told.
    bool EndTransaction(bool commit) {
        if (!transaction_.IsOpen()) return true;
        bool committed = false;
        if (commit) {
            committed = transaction_.Commit() == store::NoError;
            if (!committed)
                ui::Message(std::string("Transaction error: ") + std::string(store::ErrorText()),
                            "Error", ui::Icon::Exclamation);
        }
        transaction_.Rollback();
        // A cancelled activation must not leave the routers in Japanese mode.
        JPMode = GetJPMode();
        return !commit || committed;
    }

    std::string showActive_ = "A";
    std::vector<std::int32_t> browserIds_;
    SitesList sites_{window_, kProcedure};
    bool tablesOpen_ = false;
    store::Transaction transaction_;
    int userAgent_ = 0, browsers_ = 0, proxyPrompt_ = 0, proxy_ = 0, group_ = 0, user_ = 0,
        passwordPrompt_ = 0, password_ = 0, usePassword_ = 0, useAccount_ = 0, manual_ = 0,
        autoload_ = 0, level_ = 0, list_ = 0, option_ = 0, toggle_ = 0, change_ = 0, ok_ = 0,
        cancel_ = 0;
};

}  // namespace

void ToggleSiteActive() {
    if (!AskToToggle()) return;
    data::SitesRecord& sit = data::Dict().SIT;
    sit.ISACTIVE = Toggled(sit.ISACTIVE);
    data::Relate(TableId::Sites).Update();
}

void UpdateSysInfo() {
    SysInfoForm form;
    form.Run();
}

void ConfigureApplication() {
    if (BusyWindows.load() != 0) {
        ui::Message("Please, close all windows before running setup.", "Warning",
                    ui::Icon::Exclamation, ui::ButtonOk, ui::ButtonOk);
        return;
    }
    constexpr std::array tables{TableId::Browsers, TableId::Sysinfo, TableId::Sites};
    for (TableId id : tables) data::Relate(id).Open();
    data::TableManager& sysinfo = data::Access(TableId::Sysinfo);
    sysinfo.UseFile();
    sysinfo.File().SetFile();
    int request = runtime::request::kChange;
    if (sysinfo.TryNext() != ui::Benign) {
        sysinfo.File().ClearBuffer();
        if (sysinfo.PrimeRecord() != ui::Benign) {
            for (TableId id : tables) data::Relate(id).Close();
            return;
        }
        request = runtime::request::kInsert;
    }
    runtime::SetGlobalRequest(request);
    UpdateSysInfo();
    for (TableId id : tables) data::Relate(id).Close();
}

}  // namespace zem::shell
