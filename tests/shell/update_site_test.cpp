#include "shell/update_site.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "data_file_fixture.h"
#include "platform/runtime/requests.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/input.h"
#include "platform/ui/window/layout.h"

namespace zem::test {
namespace {

using data::TableId;
namespace request = runtime::request;
namespace response = runtime::response;

// How a test opens the form: the request, the store fetched into the Sites buffer (primed
// instead for an insert), changes made to the buffer before the form opens, and the procedure.
struct FormStart {
    int request = request::kChange;
    std::int32_t site = 1;
    std::function<void(data::SitesRecord&)> edit;
    void (*procedure)() = &shell::UpdateSiteA;
    const char* window = "UpdateSiteA";
};

class UpdateSiteTest : public DataFileTest {
  protected:
    // Runs the form on a framework thread of its own, as the configuration window's thread
    // would, and waits for its window.
    ui::WindowId Open(FormStart start) {
        thread_ = runtime::Start([this, start] {
            // Thread 1 gets its dictionary from start-up, which these tests do not run.
            if (!data::HasDictionary()) {
                ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
            }
            runtime::SetGlobalRequest(start.request);
            data::SitesRecord& site = data::Dict().SIT;
            data::TableManager& sites = data::Access(TableId::Sites);
            if (start.request == request::kInsert) {
                EXPECT_EQ(sites.PrimeRecord(), ui::Benign);
                site.ID = start.site;
            } else {
                site.ID = start.site;
                EXPECT_EQ(sites.Fetch(data::SIT_KeyId), ui::Benign);
            }
            if (start.edit) start.edit(site);
            start.procedure();
            bufferAfter_ = site;
            response_ = runtime::GlobalResponse();
        });
        const auto window = display->WaitForWindow(start.window);
        EXPECT_TRUE(window) << start.window;
        return window.value_or(0);
    }

    // Opens Amazon US as stored and waits until the form has handled its opening.
    ui::WindowId OpenUs(int request = request::kChange) {
        const ui::WindowId w = Open({.request = request});
        EXPECT_TRUE(Shows(w, "?ADFOOTER", "www.amazon.com"));
        return w;
    }

    // Waits for the window to close and its thread to end.
    void Finish(ui::WindowId w) {
        EXPECT_TRUE(display->WaitForClose(w));
        runtime::Join(thread_);
        thread_ = 0;
    }

    bool Shows(ui::WindowId w, std::string_view use, const std::string& expected,
               ui::HeadlessDisplay::Timeout timeout = ui::HeadlessDisplay::kWait) {
        const bool shown = display->WaitForControl(
            w, use, [&](const ui::Control& c) { return c.screen == expected; }, timeout);
        if (!shown && timeout == ui::HeadlessDisplay::kWait)
            ADD_FAILURE() << use << " shows \"" << display->Shown(w, use) << "\", expected \""
                          << expected << "\"";
        return shown;
    }

    // The row as stored, read through a dictionary of the test's own thread.
    static data::SitesRecord Stored(std::int32_t id) {
        data::SitesRecord row{};
        if (!data::InitDictionary(data::ZembrolaFile())) {
            ADD_FAILURE() << "no dictionary";
            return row;
        }
        data::Dict().SIT.ID = id;
        EXPECT_EQ(data::Access(TableId::Sites).Fetch(data::SIT_KeyId), ui::Benign);
        row = data::Dict().SIT;
        data::KillDictionary();
        return row;
    }

    static bool Same(const data::SitesRecord& a, const data::SitesRecord& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }

    std::string Caption(ui::WindowId w) const {
        const auto view = display->View(w);
        return view ? view->window.props.caption : std::string();
    }

    std::atomic<int> response_{-1};
    data::SitesRecord bufferAfter_{};  // the form thread's Sites buffer once the form returned
};

TEST(UpdateSiteLayoutTest, ControlsComeInTabOrderInsideTheSheetAndTheWindow) {
    std::string error;
    const auto layout = ui::LoadLayout("zembrola$zembr036", "P1$QUICKWINDOW", &error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->props.type, ui::WindowType::Mdi);
    EXPECT_EQ(layout->props.font.name, "MS Sans Serif");
    EXPECT_EQ(layout->props.font.size, 8);
    EXPECT_EQ(layout->props.toolbarWallpaper, "toolbox.jpg");
    EXPECT_TRUE(layout->props.icon.empty());
    EXPECT_EQ(layout->timer, 10);

    std::vector<std::string> uses;
    for (const ui::Control& c : layout->controls) uses.push_back(c.use);
    EXPECT_EQ(uses, (std::vector<std::string>{"?CURRENTTAB",
                                              "?TAB:1",
                                              "?SIT:NAME:PROMPT",
                                              "?SIT:NAME",
                                              "?SIT:ACTIONS:PROMPT",
                                              "?SAMPLEKEYWORDS:PROMPT",
                                              "?SAMPLEKEYWORDS",
                                              "?SIT:ACTIONS",
                                              "?SIT:ADWORDS:PROMPT",
                                              "?SIT:ADWORDS_1",
                                              "?BOX1",
                                              "?ADHEAD",
                                              "?STRING1",
                                              "?SIT:ADWORDS_2",
                                              "?ADBODY2",
                                              "?ADBODY1",
                                              "?SIT:ADWORDS_3",
                                              "?ADFOOTER",
                                              "?SIT:AFFILATEID:PROMPT",
                                              "?SIT:AFFILATEID",
                                              "?SIT:ISACTIVE",
                                              "?OK",
                                              "?CANCEL",
                                              "?HELP"}));

    auto find = [&](std::string_view use) -> const ui::Control& {
        static const ui::Control none;
        for (const ui::Control& c : layout->controls)
            if (c.use == use) return c;
        ADD_FAILURE() << "no control " << use;
        return none;
    };
    struct Expect {
        const char* use;
        ui::ControlKind kind;
        const char* text;
        const char* picture;
        const char* tip;  // also the status bar message
        const char* icon;
    };
    using K = ui::ControlKind;
    const Expect expected[] = {
        {"?TAB:1", K::Tab, "&1) General", "", "", ""},
        {"?SIT:NAME:PROMPT", K::Prompt, "Name:", "", "", ""},
        {"?SIT:NAME", K::Entry, "", "s120", "Name", ""},
        {"?SIT:ACTIONS:PROMPT", K::Prompt, "Call to action phrases (1 per line)", "", "", ""},
        {"?SAMPLEKEYWORDS:PROMPT", K::Prompt, "Sample keyword (\"Epson Stylus\")", "", "", ""},
        {"?SAMPLEKEYWORDS", K::Text, "", "", "", ""},
        {"?SIT:ACTIONS", K::Text, "", "", "", ""},
        {"?SIT:ADWORDS:PROMPT", K::Prompt, "Default ad text", "", "", ""},
        {"?SIT:ADWORDS_1", K::Entry, "", "s255", "", ""},
        {"?BOX1", K::Box, "", "", "", ""},
        {"?ADHEAD", K::Display, "", "s255", "", ""},
        {"?STRING1", K::String, "Sample ad", "", "", ""},
        {"?SIT:ADWORDS_2", K::Entry, "", "s255", "", ""},
        {"?ADBODY2", K::Display, "", "s255", "", ""},
        {"?ADBODY1", K::Display, "", "s255", "", ""},
        {"?SIT:ADWORDS_3", K::Entry, "", "s255", "", ""},
        {"?ADFOOTER", K::Display, "", "s255", "", ""},
        {"?SIT:AFFILATEID:PROMPT", K::Prompt, "Affilate Id:", "", "", ""},
        {"?SIT:AFFILATEID", K::Entry, "", "s20", "Affilate Id", ""},
        {"?SIT:ISACTIVE", K::Check, "is Active", "", "Site is active", ""},
        {"?OK", K::Button, "&OK", "", "Accept data and close the window", "WAOK.ICO"},
        {"?CANCEL", K::Button, "&Cancel", "", "Cancel operation", "WACANCEL.ICO"},
        {"?HELP", K::Button, "&Help", "", "See Help Window", "WAHELP.ICO"},
    };
    for (const Expect& e : expected) {
        const ui::Control& c = find(e.use);
        EXPECT_EQ(c.kind, e.kind) << e.use;
        EXPECT_EQ(c.text, e.text) << e.use;
        EXPECT_EQ(c.picture, e.picture) << e.use;
        EXPECT_EQ(c.tip, e.tip) << e.use;
        EXPECT_EQ(c.message, e.tip) << e.use;
        EXPECT_EQ(c.icon, e.icon) << e.use;
        EXPECT_EQ(c.action, ui::StdAction::None) << e.use;  // help is the form's own
    }
    EXPECT_TRUE(find("?OK").isDefault);
    EXPECT_TRUE(find("?SAMPLEKEYWORDS").readOnly);  // a preview, not an entry

    // The tab's controls lie inside the sheet, and everything inside the window.
    const ui::Rect sheet = find("?CURRENTTAB").at;
    const ui::Rect window = layout->props.at;
    auto inside = [](const ui::Rect& in, const ui::Rect& r) {
        return r.width > 0 && r.height > 0 && r.x >= in.x && r.y >= in.y &&
               r.x + r.width <= in.x + in.width && r.y + r.height <= in.y + in.height;
    };
    const int tab = find("?TAB:1").feq;
    for (const ui::Control& c : layout->controls) {
        if (c.kind == K::Tab) continue;
        EXPECT_TRUE(inside(ui::Rect{0, 0, window.width, window.height}, c.at)) << c.use;
        if (c.parent == tab) {
            EXPECT_TRUE(inside(sheet, c.at)) << c.use;
        }
    }
}

struct StoreCase {
    const char* name;
    std::int32_t site;
    int request;
    const char* sign;
    const char* domain;
    friend void PrintTo(const StoreCase& c, std::ostream* out) { *out << c.name; }
};

class StorePreviewTest : public UpdateSiteTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(StorePreviewTest, TemplatesAreExpandedForTheSampleItemWithTheStoresSignAndDomain) {
    const StoreCase& store = GetParam();
    const ui::WindowId w =
        Open({.request = store.request, .site = store.site, .edit = [](data::SitesRecord& site) {
                  data::SetCString(site.ACTIONS,
                                   "Buy {KEYWORD} now and save {SAVINGS%}\r\n"
                                   "Only {PRICE}");
                  data::SetCString(site.ADWORDS[0], "{KEYWORD} Deals");
                  data::SetCString(site.ADWORDS[1], "Save {SAVINGS}");
                  data::SetCString(site.ADWORDS[2], "Only {PRICE} today");
              }});
    const std::string sign = store.sign;
    EXPECT_TRUE(Shows(w, "?SAMPLEKEYWORDS",
                      "Buy Epson Stylus now and save 17.95 %\r\nOnly " + sign + "123.00"));
    EXPECT_TRUE(Shows(w, "?ADHEAD", "Epson Stylus Deals"));
    EXPECT_TRUE(Shows(w, "?ADBODY1", "Save " + sign + "26.90"));
    EXPECT_TRUE(Shows(w, "?ADBODY2", "Only " + sign + "123.00 today"));
    EXPECT_TRUE(Shows(w, "?ADFOOTER", store.domain));
    // The entries show the templates themselves, line breaks as stored.
    EXPECT_EQ(display->Shown(w, "?SIT:ACTIONS"),
              "Buy {KEYWORD} now and save {SAVINGS%}\r\nOnly {PRICE}");
    EXPECT_EQ(display->Shown(w, "?SIT:ADWORDS_3"), "Only {PRICE} today");
    ASSERT_TRUE(display->Press(w, "?CANCEL"));
    Finish(w);
}

INSTANTIATE_TEST_SUITE_P(
    Stores, StorePreviewTest,
    ::testing::Values(StoreCase{"US", 1, request::kChange, "$", "www.amazon.com"},
                      StoreCase{"UK", 2, request::kChange, "\xA3", "www.amazon.co.uk"},
                      StoreCase{"FR", 4, request::kChange, "\x80", "www.amazon.fr"},
                      StoreCase{"DE", 8, request::kChange, "\x80", "www.amazon.de"},
                      StoreCase{"JP", 16, request::kChange, "\xA5", "www.amazon.co.jp"},
                      StoreCase{"CA", 32, request::kChange, "$", "www.amazon.ca"},
                      // A new row whose number is no store: no sign, no domain.
                      StoreCase{"NoStore", 64, request::kInsert, "", ""}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(UpdateSiteTest, TypingChangesThePreviewAtTheNextTimerTickWithoutLeavingTheEntry) {
    const ui::WindowId w = OpenUs();
    ASSERT_TRUE(Shows(w, "?ADBODY1", "Save 17.95 % on Epson Stylus today."));
    struct Typing {
        const char* entry;
        const char* typed;
        const char* preview;
        std::string expected;
    };
    const Typing typing[] = {
        {"?SIT:ADWORDS_1", "Hot {keyword}", "?ADHEAD", "Hot Epson Stylus"},
        {"?SIT:ADWORDS_2", "From {PRICE}", "?ADBODY1", "From $123.00"},
        {"?SIT:ADWORDS_3", "", "?ADBODY2", ""},  // an empty ad line previews empty
        {"?SIT:ACTIONS", "Save {SAVINGS}\r\n{KEYWORD} {FOO}", "?SAMPLEKEYWORDS",
         "Save $26.90\r\nEpson Stylus {FOO}"},
    };
    for (const Typing& t : typing) {
        SCOPED_TRACE(t.entry);
        ASSERT_TRUE(display->TypeOnly(w, t.entry, t.typed));
        // Nothing is accepted, so the preview waits for the timer: 9 hundredths are not enough.
        clock.Advance(9);
        EXPECT_FALSE(Shows(w, t.preview, t.expected, std::chrono::milliseconds(100)));
        clock.Advance(1);
        EXPECT_TRUE(Shows(w, t.preview, t.expected));
        EXPECT_EQ(display->Shown(w, t.entry), t.typed);
    }
    ASSERT_TRUE(display->Press(w, "?CANCEL"));
    Finish(w);
}

TEST_F(UpdateSiteTest, EntriesKeepABlankTypedAtTheEndButShowATextCutToItsField) {
    const ui::WindowId w = OpenUs();
    ASSERT_TRUE(display->TypeOnly(w, "?SIT:NAME", "Amazon "));
    const std::string affiliate = "abcdefghijklmnopqrstuvwxyz";
    ASSERT_TRUE(display->TypeOnly(w, "?SIT:AFFILATEID", affiliate));
    clock.Advance(10);
    // The field holds 20 characters; the name's blank must survive until the next keystroke.
    EXPECT_TRUE(Shows(w, "?SIT:AFFILATEID", affiliate.substr(0, 20)));
    EXPECT_EQ(display->Shown(w, "?SIT:NAME"), "Amazon ");
    ASSERT_TRUE(display->TypeOnly(w, "?SIT:NAME", "Amazon U"));
    clock.Advance(10);
    ASSERT_TRUE(display->Press(w, "?OK"));
    Finish(w);
    EXPECT_EQ(data::StringOf(Stored(1).NAME), "Amazon U");
}

TEST_F(UpdateSiteTest, CaptionFollowsTheRequestAndKeepsTheWholeNameField) {
    std::string padded = "Amazon US";
    padded.resize(120, ' ');
    const std::pair<int, std::string> cases[] = {
        {request::kChange, "Record Will Be Changed  (" + padded + ")"},
        {request::kInsert, "Record Will Be Added  (New)"},
        {request::kView, "View Record"},
    };
    for (const auto& [req, caption] : cases) {
        SCOPED_TRACE(caption);
        const ui::WindowId w = OpenUs(req);
        EXPECT_EQ(Caption(w), caption);
        const auto view = display->View(w);
        ASSERT_TRUE(view);
        EXPECT_EQ(view->window.props.icon, "~gendict.ico");
        EXPECT_EQ(view->window.props.charset, 0);
        ASSERT_TRUE(display->Press(w, "?CANCEL"));
        Finish(w);
        EXPECT_EQ(response_, response::kCancelled);
    }
}

TEST_F(UpdateSiteTest, ViewModeShowsTheRowReadOnlyAndOkChangesNothing) {
    const data::SitesRecord before = Stored(1);
    const ui::WindowId w = OpenUs(request::kView);
    EXPECT_TRUE(Shows(w, "?ADHEAD", "Epson Stylus Deals"));
    for (const char* use : {"?SIT:NAME", "?SIT:ACTIONS", "?SIT:ADWORDS_1", "?SIT:ADWORDS_2",
                            "?SIT:ADWORDS_3", "?SIT:AFFILATEID", "?SIT:ISACTIVE"}) {
        EXPECT_TRUE(display->ControlOf(w, use)->readOnly) << use;
        EXPECT_FALSE(display->TypeOnly(w, use, "typed")) << use;
    }
    EXPECT_FALSE(display->Check(w, "?SIT:ISACTIVE", false));
    ASSERT_TRUE(display->Press(w, "?OK"));
    Finish(w);
    EXPECT_TRUE(Same(Stored(1), before));
    EXPECT_TRUE(Same(bufferAfter_, before));
}

TEST_F(UpdateSiteTest, OkSavesTheRowAsTyped) {
    const ui::WindowId w = Open({.site = 2});
    ASSERT_TRUE(Shows(w, "?ADFOOTER", "www.amazon.co.uk"));
    ASSERT_TRUE(display->Type(w, "?SIT:NAME", "Amazon United Kingdom"));
    ASSERT_TRUE(display->TypeOnly(w, "?SIT:ACTIONS", "Order {KEYWORD}\r\nSave {SAVINGS}"));
    ASSERT_TRUE(display->TypeOnly(w, "?SIT:ADWORDS_1", "{KEYWORD}"));
    ASSERT_TRUE(display->TypeOnly(w, "?SIT:ADWORDS_2", "Just {PRICE}"));
    ASSERT_TRUE(display->TypeOnly(w, "?SIT:ADWORDS_3", ""));
    ASSERT_TRUE(display->Type(w, "?SIT:AFFILATEID", "zembrola-21"));
    ASSERT_TRUE(display->Check(w, "?SIT:ISACTIVE", true));
    ASSERT_TRUE(display->Press(w, "?OK"));
    Finish(w);
    EXPECT_EQ(response_, response::kCompleted);

    const data::SitesRecord row = Stored(2);
    EXPECT_EQ(row.ID, 2);
    EXPECT_EQ(data::StringOf(row.NAME), "Amazon United Kingdom");
    EXPECT_EQ(row.NAME[119], ' ');
    EXPECT_EQ(data::CStringOf(row.ACTIONS), "Order {KEYWORD}\r\nSave {SAVINGS}");
    EXPECT_EQ(data::CStringOf(row.ADWORDS[0]), "{KEYWORD}");
    EXPECT_EQ(data::CStringOf(row.ADWORDS[1]), "Just {PRICE}");
    EXPECT_EQ(data::CStringOf(row.ADWORDS[2]), "");
    EXPECT_EQ(data::CStringOf(row.AFFILATEID), "zembrola-21");
    EXPECT_EQ(row.ISACTIVE, 1);
    EXPECT_EQ(data::StringOf(Stored(1).NAME), "Amazon US");
}

TEST_F(UpdateSiteTest, CancelLeavesTheRowAndTheCallersBufferAsTheyWere) {
    const data::SitesRecord before = Stored(1);
    const std::pair<const char*, std::function<void(ui::WindowId)>> ways[] = {
        {"CancelButton", [&](ui::WindowId w) { ASSERT_TRUE(display->Press(w, "?CANCEL")); }},
        {"CloseBox", [&](ui::WindowId w) { ASSERT_TRUE(display->CloseBox(w)); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        const ui::WindowId w = OpenUs();
        ASSERT_TRUE(display->Type(w, "?SIT:NAME", "Changed"));
        ASSERT_TRUE(display->Check(w, "?SIT:ISACTIVE", false));
        ASSERT_TRUE(display->TypeOnly(w, "?SIT:ADWORDS_1", "Changed {KEYWORD}"));
        clock.Advance(10);  // the timer takes the typing into the buffer
        ASSERT_TRUE(Shows(w, "?ADHEAD", "Changed Epson Stylus"));
        close(w);
        Finish(w);
        EXPECT_EQ(response_, response::kCancelled);
        EXPECT_TRUE(Same(Stored(1), before));
        EXPECT_TRUE(Same(bufferAfter_, before));
    }
}

TEST_F(UpdateSiteTest, PreviousValueKeyBringsBackWhatTheFieldHeldAtOpening) {
    const ui::WindowId w = OpenUs();
    ASSERT_TRUE(display->Type(w, "?SIT:NAME", "Other"));
    ASSERT_TRUE(display->Type(w, "?SIT:ADWORDS_1", "Other {KEYWORD}"));
    ASSERT_TRUE(display->PressKey(w, ui::key::CtrlH));
    EXPECT_TRUE(Shows(w, "?SIT:NAME", "Amazon US"));
    // The ad lines keep no history: the key went to the name, the last field that has one.
    EXPECT_EQ(display->Shown(w, "?SIT:ADWORDS_1"), "Other {KEYWORD}");
    ASSERT_TRUE(display->Press(w, "?CANCEL"));
    Finish(w);
}

TEST_F(UpdateSiteTest, HelpButtonAndF1ShowTheFormsTopic) {
    const ui::WindowId w = OpenUs();
    ASSERT_TRUE(display->Press(w, "?HELP"));
    ASSERT_TRUE(display->PressKey(w, ui::key::F1));
    EXPECT_TRUE(Eventually([&] { return help->Requests().size() == 2; }));
    for (const ui::HelpRequest& r : help->Requests()) {
        EXPECT_EQ(r.kind, ui::HelpKind::Topic);
        EXPECT_EQ(r.file, "zembrola.chm");
        EXPECT_EQ(r.topic, "UpdateSite.htm");
    }
    EXPECT_TRUE(display->IsOpen(w));
    ASSERT_TRUE(display->Press(w, "?CANCEL"));
    Finish(w);
}

TEST_F(UpdateSiteTest, RouterOpensTheVariantOfJapaneseModeWithItsCharsetAndPlacement) {
    struct Mode {
        std::uint8_t jpMode;
        const char* procedure;
        const char* other;
        int charset;
    };
    const Mode modes[] = {{0, "UpdateSiteA", "UpdateSiteJ", 0},
                          {128, "UpdateSiteJ", "UpdateSiteA", 128}};
    for (const Mode& m : modes) {
        SCOPED_TRACE(m.procedure);
        ui::IniManager& ini = ui::IniManager::Global();
        ini.Init(dir / "quorel.ini");
        ini.SaveWindow(m.procedure, {40, 30, 600, 450, false});
        shell::JPMode = m.jpMode;
        const ui::WindowId w = Open({.procedure = &shell::UpdateSite, .window = m.procedure});
        EXPECT_TRUE(Shows(w, "?ADFOOTER", "www.amazon.com"));
        const auto view = display->View(w);
        ASSERT_TRUE(view);
        EXPECT_EQ(view->window.props.charset, m.charset);
        EXPECT_EQ(view->window.props.at, (ui::Rect{40, 30, 600, 450}));
        // The user moves the window; closing keeps the new place under the variant's name.
        ASSERT_TRUE(ui::ReportPlacement(w, ui::Rect{50, 60, 610, 460}, false));
        ASSERT_TRUE(display->Press(w, "?CANCEL"));
        Finish(w);
        const auto kept = ini.FetchWindow(m.procedure);
        ASSERT_TRUE(kept);
        EXPECT_EQ((ui::Rect{kept->x, kept->y, kept->width, kept->height}),
                  (ui::Rect{50, 60, 610, 460}));
        EXPECT_FALSE(ini.FetchWindow(m.other));
        ini.Kill();
    }
    shell::JPMode = 0;
}

}  // namespace
}  // namespace zem::test
