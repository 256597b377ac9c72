#include "shell/configure_application.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "configure_fixture.h"
#include "data/dictionary.h"
#include "platform/runtime/requests.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/input.h"
#include "shell/main_frame.h"
#include "shell/sites_list.h"
#include "shell/window_counters.h"
#include "support/column_table_check.h"

namespace zem::test {
namespace {

using data::TableId;

constexpr const char* kJapanActive =
    "Inconsistent localization. Please, deactivate \"Amazon JP\" !";
constexpr const char* kOthersActive =
    "Inconsistent localization. Please, deactivate all Amazon sites!";

// The configuration window with the helpers that set stores and the configuration up.
class ConfigureTest : public ConfigureWindowTest {
  protected:
    static void SetSiteActive(std::int32_t id, std::uint8_t active) {
        data::Dict().SIT.ID = id;
        ASSERT_EQ(data::Access(TableId::Sites).Fetch(data::SIT_KeyId), ui::Benign);
        data::Dict().SIT.ISACTIVE = active;
        ASSERT_EQ(data::Access(TableId::Sites).Update(), ui::Benign);
    }

    // The configuration record, or nullopt when there is none.
    static std::optional<data::SysinfoRecord> Sysinfo() {
        data::TableManager& sys = data::Access(TableId::Sysinfo);
        sys.UseFile();
        sys.File().SetFile();
        if (sys.TryNext() != ui::Benign) return std::nullopt;
        return data::Dict().SYS;
    }
    static void WriteSysinfo(int manual, int account, int password) {
        data::TableManager& sys = data::Access(TableId::Sysinfo);
        ASSERT_EQ(sys.PrimeRecord(), ui::Benign);
        data::SysinfoRecord& r = data::Dict().SYS;
        const std::int32_t m = manual;
        std::memcpy(reinterpret_cast<char*>(&r) + offsetof(data::SysinfoRecord, MANUAL), &m,
                    sizeof m);
        r.USEACCOUNT = static_cast<std::uint8_t>(account);
        r.USEPASSWORD = static_cast<std::uint8_t>(password);
        r.CATALOGLEVEL = 3;
        ASSERT_EQ(sys.Insert(), ui::Benign);
    }

    std::vector<std::string> ListNames(ui::WindowId window) const {
        std::vector<std::string> names;
        if (const auto list = display->ControlOf(window, "?LIST"))
            for (const auto& row : list->rows) names.push_back(row.cells.at(1));
        return names;
    }

    // Chooses the list row of the store with this name.
    bool ChooseStore(ui::WindowId window, const std::string& name) {
        const auto names = ListNames(window);
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name)
                return display->ChooseRow(window, "?LIST", static_cast<int>(i) + 1);
        return false;
    }

    bool ShowInactive(ui::WindowId window) {
        // The list follows the relabelled button.
        return display->ChooseRadio(window, "?ST::SHOWACTIVE", "?ST::SHOWACTIVE:RADIO2") &&
               display->WaitForControl(
                   window, "?TOGGLEACTIVE",
                   [](const ui::Control& c) { return c.text == "&Activate"; }) &&
               display->WaitForControl(window, "?LIST", [](const ui::Control& c) {
                   return !c.rows.empty() &&
                          std::all_of(c.rows.begin(), c.rows.end(),
                                      [](const ui::ListRow& r) { return r.cells.at(0) == "2"; });
               });
    }

    // Presses the toggle for a store (answering its question with Yes) and waits for the
    // message count to reach expected.
    void Toggle(ui::WindowId window, const std::string& name, std::size_t expectedMessages) {
        ASSERT_TRUE(ChooseStore(window, name)) << name;
        display->AnswerNext(ui::ButtonYes);
        ASSERT_TRUE(display->Press(window, "?TOGGLEACTIVE"));
        ASSERT_TRUE(display->WaitForMessage(expectedMessages)) << name;
    }
};

TEST_F(ConfigureTest, RefusesWhileACountedWindowIsOpen) {
    shell::BusyWindows = 1;
    runtime::Join(runtime::Start(&shell::ConfigureApplication));
    const auto messages = display->Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].request.caption, "Warning");
    EXPECT_EQ(messages[0].request.text, "Please, close all windows before running setup.");
    EXPECT_EQ(messages[0].request.icon, ui::Icon::Exclamation);
    EXPECT_TRUE(display->OpenedProcedures().empty());
}

TEST_F(ConfigureTest, FirstRunAddsTheRecordWithTheFirstUserAgent) {
    ASSERT_FALSE(Sysinfo());
    const ui::WindowId window = Open();
    EXPECT_EQ(display->Shown(window, "?SYS:USERAGENT"), "1");
    data::Dict().BRO.ID = 1;
    ASSERT_EQ(data::Access(TableId::Browsers).Fetch(data::BRO_KeyId), ui::Benign);
    const auto browsers = display->ControlOf(window, "?BRO:NAME");
    ASSERT_GE(browsers->selected, 1);
    EXPECT_EQ(browsers->rows.at(static_cast<std::size_t>(browsers->selected) - 1).cells.at(0),
              std::string(data::Dict().BRO.NAME, strnlen(data::Dict().BRO.NAME, 120))
                  .substr(0, std::string(data::Dict().BRO.NAME, 120).find_last_not_of(' ') + 1));
    EXPECT_EQ(display->View(window)->window.props.caption, "Zembrola configuration manager");
    EXPECT_TRUE(display->ControlOf(window, "?SYS:PROXY")->disable);
    ASSERT_TRUE(display->Check(window, "?SYS:MANUAL", true));
    ASSERT_TRUE(display->WaitForControl(window, "?SYS:PROXY",
                                        [](const ui::Control& c) { return !c.disable; }));
    ASSERT_TRUE(display->Type(window, "?SYS:PROXY", "127.0.0.1:3128"));
    Finish(window, "?OK");
    const auto sys = Sysinfo();
    ASSERT_TRUE(sys);
    EXPECT_EQ(sys->USERAGENT, 1);
    EXPECT_STREQ(sys->PROXY, "127.0.0.1:3128");
}

// Opening only enables and disables: a visit that changes nothing else keeps the proxy password
// in use. Changing the account box clears "Using password", and the box shows it.
TEST_F(ConfigureTest, OpeningKeepsUsingPasswordAndChangingTheAccountBoxClearsIt) {
    WriteSysinfo(1, 1, 1);
    ui::WindowId window = Open();
    EXPECT_EQ(display->Shown(window, "?SYS:USEPASSWORD"), "1");
    EXPECT_FALSE(display->ControlOf(window, "?SYS:PASSWORD")->disable);
    EXPECT_FALSE(display->ControlOf(window, "?SYS:USEPASSWORD")->disable);
    EXPECT_FALSE(display->ControlOf(window, "?GROUP1")->disable);
    Finish(window, "?OK");
    EXPECT_EQ(Sysinfo()->USEPASSWORD, 1);
    EXPECT_EQ(Sysinfo()->USEACCOUNT, 1);

    window = Open();
    // The window has handled a change once the help request sent after it has come.
    auto handled = [&] {
        const std::size_t before = help->Requests().size();
        return display->PressKey(window, ui::key::F1) &&
               Eventually([&] { return help->Requests().size() > before; });
    };
    ASSERT_TRUE(display->Check(window, "?SYS:USEACCOUNT", false));
    ASSERT_TRUE(handled());
    EXPECT_TRUE(display->ControlOf(window, "?GROUP1")->disable);
    EXPECT_EQ(display->Shown(window, "?SYS:USEPASSWORD"), "0");
    EXPECT_TRUE(display->ControlOf(window, "?SYS:PASSWORD")->disable);
    ASSERT_TRUE(display->Check(window, "?SYS:USEACCOUNT", true));
    ASSERT_TRUE(handled());
    EXPECT_FALSE(display->ControlOf(window, "?GROUP1")->disable);
    EXPECT_EQ(display->Shown(window, "?SYS:USEPASSWORD"), "0");
    EXPECT_FALSE(display->ControlOf(window, "?SYS:USEPASSWORD")->disable);
    EXPECT_TRUE(display->ControlOf(window, "?SYS:PASSWORD")->disable);
    Finish(window, "?OK");
    EXPECT_EQ(Sysinfo()->USEPASSWORD, 0);
    EXPECT_EQ(Sysinfo()->USEACCOUNT, 1);
}

// A stored switch the manual setting rules out is shown as stored until the user changes a box.
TEST_F(ConfigureTest, OpeningWithoutManualProxyDisablesButKeepsTheAccount) {
    WriteSysinfo(0, 1, 1);
    const ui::WindowId window = Open();
    EXPECT_EQ(display->Shown(window, "?SYS:USEACCOUNT"), "1");
    EXPECT_TRUE(display->ControlOf(window, "?SYS:USEACCOUNT")->disable);
    EXPECT_TRUE(display->ControlOf(window, "?SYS:PROXY")->disable);
    Finish(window, "?CANCEL");
    EXPECT_EQ(Sysinfo()->USEACCOUNT, 1);
    EXPECT_EQ(Sysinfo()->USEPASSWORD, 1);
}

TEST_F(ConfigureTest, TypingAUserAgentIdMovesTheDropList) {
    const ui::WindowId window = Open();
    const auto browsers = display->ControlOf(window, "?BRO:NAME");
    ASSERT_TRUE(browsers);
    ASSERT_GE(browsers->rows.size(), 2u);
    // The row of the highest id is the one the typed id must reach.
    data::TableManager& table = data::Access(TableId::Browsers);
    table.UseFile();
    table.File().Set(data::BRO_KeyName);
    std::int32_t id = 0;
    int row = 0, wanted = 0;
    while (table.TryNext() == ui::Benign) {
        ++row;
        if (data::Dict().BRO.ID > id) {
            id = data::Dict().BRO.ID;
            wanted = row;
        }
    }
    ASSERT_NE(id, 1);
    ASSERT_TRUE(display->Type(window, "?SYS:USERAGENT", std::to_string(id)));
    EXPECT_TRUE(display->WaitForControl(
        window, "?BRO:NAME", [&](const ui::Control& c) { return c.selected == wanted; }));
    Finish(window, "?OK");
    EXPECT_EQ(Sysinfo()->USERAGENT, id);
}

TEST_F(ConfigureTest, UncheckingManualProxyClearsBothAccountSwitches) {
    WriteSysinfo(1, 1, 0);
    const ui::WindowId window = Open();
    ASSERT_TRUE(display->Check(window, "?SYS:USEPASSWORD", true));
    ASSERT_TRUE(display->WaitForControl(window, "?SYS:PASSWORD",
                                        [](const ui::Control& c) { return !c.disable; }));
    ASSERT_TRUE(display->Check(window, "?SYS:MANUAL", false));
    ASSERT_TRUE(display->WaitForControl(window, "?SYS:USEACCOUNT", [](const ui::Control& c) {
        return c.disable && c.screen == "0";
    }));
    EXPECT_TRUE(display->ControlOf(window, "?SYS:PROXY")->disable);
    EXPECT_EQ(display->Shown(window, "?SYS:USEPASSWORD"), "0");
    Finish(window, "?OK");
    EXPECT_EQ(Sysinfo()->USEACCOUNT, 0);
    EXPECT_EQ(Sysinfo()->USEPASSWORD, 0);
}

TEST_F(ConfigureTest, TheOptionRelabelsTheButtonAndFiltersTheList) {
    const ui::WindowId window = Open();
    EXPECT_EQ(ListNames(window), (std::vector<std::string>{"Amazon US"}));
    EXPECT_EQ(display->Shown(window, "?TOGGLEACTIVE"), "&Deactivate");
    EXPECT_EQ(display->ControlOf(window, "?LIST")->rows.at(0).cells.at(0), "1");  // active icon
    ASSERT_TRUE(ShowInactive(window));
    EXPECT_EQ(ListNames(window), (std::vector<std::string>{"Amazon CA", "Amazon DE", "Amazon FR",
                                                           "Amazon JP", "Amazon UK"}));
    EXPECT_EQ(display->ControlOf(window, "?LIST")->rows.at(0).cells.at(0), "2");
    // Sorting by the affiliate column and back by name; the status column does not sort.
    ASSERT_TRUE(display->ClickHeader(window, "?LIST", 1));
    ASSERT_TRUE(display->ClickHeader(window, "?LIST", 2));
    ASSERT_TRUE(display->WaitForControl(window, "?LIST", [](const ui::Control& c) {
        return c.rows.size() == 5 && c.rows.front().cells.at(1) == "Amazon UK";
    }));
    Finish(window, "?CANCEL");
}

struct LocalizationCase {
    const char* name;
    std::vector<std::int32_t> active;  // stores active before
    const char* store;                 // the store the user activates
    const char* refusal;               // nullptr: activated
    std::uint8_t jpMode;               // after the toggle
    friend void PrintTo(const LocalizationCase& c, std::ostream* out) { *out << c.name; }
};

class LocalizationTest : public ConfigureTest,
                         public ::testing::WithParamInterface<LocalizationCase> {};

TEST_P(LocalizationTest, TheActivationFollowsTheJapaneseModeRule) {
    const LocalizationCase& c = GetParam();
    SetSiteActive(1, 0);
    for (std::int32_t id : c.active) SetSiteActive(id, 1);
    shell::JPMode = shell::GetJPMode();
    const ui::WindowId window = Open();
    ASSERT_TRUE(ShowInactive(window));
    Toggle(window, c.store, 1);
    const auto message = display->Messages().back();
    if (c.refusal) {
        EXPECT_EQ(message.request.caption, "Error");
        EXPECT_EQ(message.request.text, c.refusal);
    } else {
        EXPECT_EQ(message.request.caption, "Toggle Active Status?");
        EXPECT_EQ(message.request.buttons, ui::ButtonYes | ui::ButtonNo);
        ASSERT_TRUE(display->WaitForControl(window, "?LIST", [&](const ui::Control& l) {
            for (const auto& r : l.rows)
                if (r.cells.at(1) == c.store) return false;
            return true;
        }));
    }
    // Japanese mode is recomputed after every use of the button, refused or not.
    EXPECT_TRUE(Eventually([&] { return shell::JPMode.load() == c.jpMode; }));
    Finish(window, "?OK");
    EXPECT_EQ(shell::JPMode.load(), c.jpMode);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, LocalizationTest,
    ::testing::Values(
        LocalizationCase{"OtherStoreWhileJapanIsActive", {16}, "Amazon UK", kJapanActive, 128},
        LocalizationCase{"JapanWhileAnotherIsActive", {1}, "Amazon JP", kOthersActive, 0},
        LocalizationCase{"JapanWhenNothingIsActive", {}, "Amazon JP", nullptr, 128},
        LocalizationCase{"OtherStoreWhenNothingIsActive", {}, "Amazon UK", nullptr, 0}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(ConfigureTest, DeactivatingJapanIsAlwaysAllowed) {
    SetSiteActive(1, 0);
    SetSiteActive(16, 1);
    shell::JPMode = 128;
    const ui::WindowId window = Open();
    EXPECT_EQ(ListNames(window), (std::vector<std::string>{"Amazon JP"}));
    Toggle(window, "Amazon JP", 1);
    ASSERT_TRUE(display->WaitForControl(window, "?LIST",
                                        [](const ui::Control& l) { return l.rows.empty(); }));
    EXPECT_TRUE(Eventually([] { return shell::JPMode.load() == 0; }));
    Finish(window, "?OK");
    EXPECT_EQ(Site(16).ISACTIVE, 0);
}

TEST_F(ConfigureTest, CancelAfterTogglesRestoresEveryRowAndJapaneseMode) {
    SetSiteActive(1, 0);
    const ui::WindowId window = Open();
    ASSERT_TRUE(ShowInactive(window));
    Toggle(window, "Amazon JP", 1);
    ASSERT_TRUE(display->WaitForControl(window, "?LIST",
                                        [](const ui::Control& l) { return l.rows.size() == 5; }));
    EXPECT_TRUE(Eventually([] { return shell::JPMode.load() == 128; }));
    // A click on a status icon switches without asking and without the rule.
    ASSERT_TRUE(display->ClickCell(window, "?LIST", 1, 1, ui::key::MouseLeft));
    ASSERT_TRUE(display->WaitForControl(window, "?LIST",
                                        [](const ui::Control& l) { return l.rows.size() == 4; }));
    EXPECT_EQ(display->Messages().size(), 1u);
    Finish(window, "?CANCEL");
    for (std::int32_t id : {1, 2, 4, 8, 16, 32}) EXPECT_EQ(Site(id).ISACTIVE, 0) << id;
    EXPECT_EQ(shell::JPMode.load(), 0);
}

TEST_F(ConfigureTest, TogglesStoreExactlyZeroOrOne) {
    SetSiteActive(2, 7);  // a stray value, shown as active
    const ui::WindowId window = Open();
    ASSERT_TRUE(ChooseStore(window, "Amazon UK"));
    ASSERT_TRUE(display->ClickCell(window, "?LIST", 1, 1, ui::key::MouseLeft));
    ASSERT_TRUE(display->WaitForControl(window, "?LIST",
                                        [](const ui::Control& l) { return l.rows.size() == 1; }));
    Finish(window, "?OK");
    EXPECT_EQ(Site(1).ISACTIVE, 1);
    EXPECT_EQ(Site(2).ISACTIVE, 0);
}

TEST_F(ConfigureTest, ASuccessfulSaveAsksTheCountedWindowsToReload) {
    const ui::WindowId window = Open();
    shell::BusyWindows = 2;  // opened on other threads after the configuration started
    Finish(window, "?OK");
    EXPECT_EQ(shell::TreeReloadCount.load(), 2);
    EXPECT_TRUE(shell::TakeTreeReload());
    EXPECT_TRUE(shell::TakeTreeReload());
    EXPECT_FALSE(shell::TakeTreeReload());
    EXPECT_EQ(shell::TreeReloadCount.load(), 0);
}

TEST_F(ConfigureTest, CancelLeavesTheReloadCountAlone) {
    const ui::WindowId window = Open();
    shell::BusyWindows = 2;
    Finish(window, "?CANCEL");
    EXPECT_EQ(shell::TreeReloadCount.load(), 0);
}

TEST_F(ConfigureTest, StoreFormSavesJoinTheTransactionAndCancelUndoesThem) {
    const ui::WindowId window = Open();
    ASSERT_TRUE(ChooseStore(window, "Amazon US"));
    ASSERT_TRUE(display->Press(window, "?CHANGE"));
    const auto form = display->WaitForWindow("UpdateSiteA");
    ASSERT_TRUE(form);
    EXPECT_EQ(display->View(*form)->window.outer, window);
    EXPECT_FALSE(display->View(window)->enabled);
    ASSERT_TRUE(display->Type(*form, "?SIT:AFFILATEID", "changed-20"));
    ASSERT_TRUE(display->Press(*form, "?OK"));
    ASSERT_TRUE(display->WaitForClose(*form));
    ASSERT_TRUE(display->WaitForControl(window, "?LIST", [](const ui::Control& l) {
        return l.rows.size() == 1 && l.rows[0].cells.at(2) == "changed-20";
    }));
    Toggle(window, "Amazon US", 1);
    ASSERT_TRUE(display->WaitForControl(window, "?LIST",
                                        [](const ui::Control& l) { return l.rows.empty(); }));
    Finish(window, "?CANCEL");
    const data::SitesRecord us = Site(1);
    EXPECT_EQ(us.ISACTIVE, 1);
    EXPECT_STRNE(us.AFFILATEID, "changed-20");
}

TEST_F(ConfigureTest, TheSitesListKeepsItsColumnWidths) {
    ui::WindowId window = Open();
    const int list = display->ControlOf(window, "?LIST")->feq;
    ASSERT_TRUE(ui::ReportColumnWidths(window, list, {18, 150, 120}));
    Finish(window, "?CANCEL");
    window = Open();
    const auto columns = display->ControlOf(window, "?LIST")->columns;
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[1].width, 150);
    EXPECT_EQ(columns[2].width, 120);
    Finish(window, "?CANCEL");
}

// The Sites list is filled through its column table: the layout shows the same columns.
TEST(SitesListLayoutTest, TheListsLayoutHoldsItsColumnTable) {
    ExpectLayoutColumns("zembrola$zembr007", "P1$QUICKWINDOW", "?LIST", shell::SiteColumns());
}

}  // namespace
}  // namespace zem::test
