#include "research/campaign/create_compaign.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/requests.h"
#include "platform/store/errors.h"
#include "platform/store/table.h"
#include "platform/ui/settings/ini_manager.h"
#include "platform/ui/window/busy.h"
#include "platform/ui/window/input.h"
#include "platform/ui/window/layout.h"
#include "platform/win/clipboard.h"
#include "research/campaign/campaign_lines.h"
#include "shell/data_file_fixture.h"
#include "shell/tag_rows.h"
#include "shell/tagging.h"

namespace zem::test {
namespace {

using data::TableId;

constexpr std::int32_t kQuery = 7;
// What the caller's buffers and global request and response hold when it opens the window.
constexpr std::int32_t kCallerGoods = 4242;
constexpr int kCallerRequest = runtime::request::kChange;
constexpr int kCallerResponse = runtime::response::kCompleted;
constexpr const char* kCallerProcedure = "UpdateQueriesA";

struct Item {
    std::int32_t id;
    std::string keywords;
    double listPrice = 149.90;
    double amazonPrice = 123.00;
    std::string tag;     // the tag's value, which orders the walk
    bool stored = true;  // false: only its tag is left
    std::string asin = "B000TEST00";
};

// How a test opens the window: the query's store, its tagged items, changes to the store's
// buffer, and the procedure the caller runs.
struct Campaign {
    std::int32_t site = 1;
    std::vector<Item> items;
    std::function<void(data::SitesRecord&)> store;
    void (*procedure)() = &research::CreateCompaignA;
    const char* window = "CreateCompaignA";
};

// What the caller's thread holds once the window has returned.
struct CallerAfter {
    std::int32_t goodsId = 0;
    int request = -1;
    int response = -1;
    std::string procedure;
    bool tablesClosed = false;
};

// A store's templates, set in its buffer as the query form would have read them.
std::function<void(data::SitesRecord&)> Templates(std::string_view actions,
                                                  std::string_view adLine1,
                                                  std::string_view adLine2,
                                                  std::string_view affiliate = "xyz-21") {
    return [=](data::SitesRecord& site) {
        data::SetCString(site.ACTIONS, actions);
        data::SetCString(site.ADWORDS[0], "not used");
        data::SetCString(site.ADWORDS[1], adLine1);
        data::SetCString(site.ADWORDS[2], adLine2);
        data::SetCString(site.AFFILATEID, affiliate);
    };
}

class CampaignWindowTest : public DataFileTest {
  protected:
    void SetUp() override {
        DataFileTest::SetUp();
        if (HasFatalFailure()) return;
        win::SetClipboardText("", 0);
    }

    void TearDown() override {
        DataFileTest::TearDown();
        ui::InstallWindowBusyHooks();
    }

    // Runs the window on a framework thread of its own, as the query form's thread would:
    // the query, its items and their tags are written there first.
    ui::WindowId Open(Campaign campaign) {
        thread_ = runtime::Start([this, campaign] {
            if (!data::HasDictionary()) {
                ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
            }
            data::Dictionary& dict = data::Dict();
            // A test may open the window more than once over the same rows.
            dict.QUE.ID = kQuery;
            if (data::Access(TableId::Queries).TryFetch(data::QUE_KeyId) != ui::Benign) {
                dict.QUE = {};
                dict.QUE.ID = kQuery;
                data::SetString(dict.QUE.NAME, "Garden");
                ASSERT_EQ(data::Access(TableId::Queries).Insert(), ui::Benign);
            }
            dict.QUE.SITE = static_cast<std::uint8_t>(campaign.site);
            for (const Item& item : campaign.items) {
                dict.GOO.ID = item.id;
                if (item.stored &&
                    data::Access(TableId::Goods).TryFetch(data::GOO_KeyId) != ui::Benign) {
                    dict.GOO = {};
                    dict.GOO.ID = item.id;
                    dict.GOO.QUERY = kQuery;
                    data::SetCString(dict.GOO.ASIN, item.asin);
                    data::SetCString(dict.GOO.KEYWORDS, item.keywords);
                    dict.GOO.PRICEREAL = item.listPrice;
                    dict.GOO.AMAZONREAL = item.amazonPrice;
                    ASSERT_EQ(data::Access(TableId::Goods).Insert(), ui::Benign);
                }
                shell::SetTagValue(kQuery, item.id, item.tag);
            }
            dict.SIT.ID = campaign.site;
            ASSERT_EQ(data::Access(TableId::Sites).TryFetch(data::SIT_KeyId), ui::Benign);
            if (campaign.store) campaign.store(dict.SIT);

            dict.GOO = {};
            dict.GOO.ID = kCallerGoods;
            runtime::SetGlobalRequest(kCallerRequest);
            runtime::SetGlobalResponse(kCallerResponse);
            ui::ErrorManager::Global().SetProcedureName(kCallerProcedure);
            const int goodsOpens = data::Access(TableId::Goods).OpenCount();
            const int tagOpens = data::Access(TableId::TagFile_).OpenCount();
            const int queryOpens = data::Access(TableId::Queries).OpenCount();

            campaign.procedure();

            after_.goodsId = data::Dict().GOO.ID;
            after_.request = runtime::GlobalRequest();
            after_.response = runtime::GlobalResponse();
            after_.procedure = ui::ErrorManager::Global().ProcedureName();
            after_.tablesClosed = data::Access(TableId::Goods).OpenCount() == goodsOpens &&
                                  data::Access(TableId::TagFile_).OpenCount() == tagOpens &&
                                  data::Access(TableId::Queries).OpenCount() == queryOpens;
            ui::ErrorManager::Global().RemoveProcedureName();
        });
        const auto window = display->WaitForWindow(campaign.window);
        EXPECT_TRUE(window) << campaign.window;
        return window.value_or(0);
    }

    // Closes the window with its Close button and waits for its thread to end.
    void Close(ui::WindowId w) {
        ASSERT_TRUE(display->Press(w, "?CANCEL"));
        EXPECT_TRUE(display->WaitForClose(w));
        runtime::Join(thread_);
        thread_ = 0;
    }

    bool Shows(ui::WindowId w, std::string_view use, const std::string& expected) {
        const bool shown = display->WaitForControl(
            w, use, [&](const ui::Control& c) { return c.screen == expected; });
        if (!shown)
            ADD_FAILURE() << use << " shows \"" << display->Shown(w, use) << "\", expected \""
                          << expected << "\"";
        return shown;
    }

    // charset: the one the clipboard is read in.
    bool Copies(ui::WindowId w, std::string_view button, const std::string& expected,
                int charset = 0) {
        win::SetClipboardText("", charset);
        EXPECT_TRUE(display->Press(w, button));
        const bool copied = Eventually([&] { return win::ClipboardText(charset) == expected; });
        if (!copied)
            ADD_FAILURE() << button << " copied \"" << win::ClipboardText(charset)
                          << "\", expected \"" << expected << "\"";
        return copied;
    }

    static std::vector<std::int32_t> TaggedPointers() {
        std::vector<std::int32_t> pointers;
        for (const TagRow& row : TagFileRows())
            if (row.tbl == kQuery) pointers.push_back(row.ptr);
        return pointers;
    }

    CallerAfter after_;  // read once the window's thread has ended
};

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) text += "\r\n";
        text += line;
    }
    return text;
}

TEST(CampaignLayoutTest, ControlsComeInEquateOrderWithTheirTextsAndIcons) {
    std::string error;
    const auto layout = ui::LoadLayout("zembrola$zembr035", "P1$QUICKWINDOW", &error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->props.caption, "Compaign creation");
    EXPECT_EQ(layout->props.icon, "~gendict.ico");
    EXPECT_EQ(layout->props.wallpaper, "toolbox.jpg");
    EXPECT_EQ(layout->props.font.name, "MS Sans Serif");
    EXPECT_EQ(layout->props.font.size, 8);
    EXPECT_EQ(layout->props.charset, -1);  // the variant sets it
    EXPECT_TRUE(layout->props.resizable);
    EXPECT_EQ(layout->timer, 0);

    using K = ui::ControlKind;
    struct Expect {
        const char* use;
        K kind;
        const char* text;
        const char* parent;
        const char* tip = "";
        const char* icon = "";
    };
    const Expect expected[] = {
        {"?SHEET1", K::Sheet, "", ""},
        {"?TAB1", K::Tab, "1) General", "?SHEET1"},
        {"?COMPAGNNAME:PROMPT", K::Prompt, "Compagn Name:", "?TAB1"},
        {"?COMPAGNNAME", K::Entry, "", "?TAB1"},
        {"?GROUP1", K::Group, "Match options", "?TAB1"},
        {"?EXACT", K::Check, "Exact", "?GROUP1"},
        {"?BROAD", K::Check, "Broad", "?GROUP1"},
        {"?PHRASE", K::Check, "Phrase", "?GROUP1"},
        {"?STRING1", K::String, "To copy into AdWords editor (add/update multiple keywords)",
         "?TAB1"},
        {"?FSTR", K::Text, "", "?TAB1"},
        {"?COPY", K::Button, "&Copy", "?TAB1", "Copy into clipboard"},
        {"?STRING1:2", K::String, "To copy into AdWords editor (add/update multiple text ads)",
         "?TAB1"},
        {"?SSTR", K::Text, "", "?TAB1"},
        {"?COPY:2", K::Button, "&Copy", "?TAB1", "Copy into clipboard"},
        {"?CANCEL", K::Button, "&Close", "", "Close window", "WACANCEL.ICO"},
        {"?HELP", K::Button, "&Help", "", "Help", "WAHELP.ICO"},
    };
    ASSERT_EQ(layout->controls.size(), std::size(expected));
    auto feqOf = [&](std::string_view use) {
        for (const ui::Control& c : layout->controls)
            if (c.use == use) return c.feq;
        return 0;
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const Expect& e = expected[i];
        const ui::Control& c = layout->controls[i];
        EXPECT_EQ(c.use, e.use);
        EXPECT_EQ(c.feq, static_cast<int>(i) + 1) << e.use;
        EXPECT_EQ(c.kind, e.kind) << e.use;
        EXPECT_EQ(c.text, e.text) << e.use;
        EXPECT_EQ(c.parent, feqOf(e.parent)) << e.use;
        EXPECT_EQ(c.tip, e.tip) << e.use;
        EXPECT_EQ(c.message, e.tip) << e.use;
        EXPECT_EQ(c.icon, e.icon) << e.use;
        EXPECT_GT(c.kind == K::Tab ? 1 : c.at.width, 0) << e.use;
        // Everything lies inside the window.
        EXPECT_LE(c.at.x + c.at.width, layout->props.at.width) << e.use;
        EXPECT_LE(c.at.y + c.at.height, layout->props.at.height) << e.use;
    }
    EXPECT_EQ(layout->controls[3].picture, "s127");
}

// Two items of Amazon US whose templates use every placeholder.
const std::vector<Item> kGardenItems = {{1, "garden hose"}, {2, "rain barrel", 80.00, 60.00}};
const auto kGardenTemplates =
    Templates("Buy {KEYWORD}\r\nOnly {PRICE}", "Save {SAVINGS%}.", "Now {PRICE}, save {SAVINGS}!");

// The keyword lines of the garden items, per option in the order given.
std::string GardenKeywords(const std::string& name, const std::vector<std::string>& matches) {
    const std::vector<std::string> actions[] = {{"Buy garden hose", "Only $123.00"},
                                                {"Buy rain barrel", "Only $60.00"}};
    const char* keywords[] = {"garden hose", "rain barrel"};
    std::vector<std::string> lines;
    for (int item = 0; item < 2; ++item)
        for (const std::string& match : matches)
            for (const std::string& action : actions[item])
                lines.push_back(name + "\t" + keywords[item] + "\t" + action + "\t" + match +
                                "\t0,00");
    return Join(lines);
}

std::string GardenTextAds(const std::string& name) {
    const std::string link = "\twww.amazon.com\thttp://www.amazon.com/exec/obidos/ASIN/";
    return Join({name + "\tgarden hose\tgarden hose\tSave 17.95 %.\tNow $123.00, save $26.90!" +
                     link + "B000TEST00/xyz-21",
                 name + "\train barrel\train barrel\tSave 25.00 %.\tNow $60.00, save $20.00!" +
                     link + "B000TEST00/xyz-21"});
}

TEST_F(CampaignWindowTest, OpensWithATextAdPerTaggedItemAndNoKeywordLineWithoutAnOption) {
    const ui::WindowId w = Open({.items = kGardenItems, .store = kGardenTemplates});
    EXPECT_TRUE(Shows(w, "?SSTR", GardenTextAds("")));  // an empty name: lines start with TAB
    EXPECT_EQ(display->Shown(w, "?FSTR"), "");
    const auto view = display->View(w);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->window.props.caption, "Compaign creation");
    EXPECT_EQ(view->window.props.charset, 0);
    Close(w);
    EXPECT_EQ(TaggedPointers(), (std::vector<std::int32_t>{1, 2}));  // nothing written
}

TEST_F(CampaignWindowTest, NameAndMatchOptionsRebuildBothTexts) {
    const ui::WindowId w = Open({.items = kGardenItems, .store = kGardenTemplates});
    ASSERT_TRUE(Shows(w, "?SSTR", GardenTextAds("")));

    // The name loses its trailing blanks in the lines.
    ASSERT_TRUE(display->Type(w, "?COMPAGNNAME", "Spring Sale  "));
    EXPECT_TRUE(Shows(w, "?SSTR", GardenTextAds("Spring Sale")));
    EXPECT_EQ(display->Shown(w, "?FSTR"), "");

    struct Step {
        const char* box;
        bool on;
        std::vector<std::string> matches;  // the options' order, not the order of ticking
    };
    const Step steps[] = {
        {"?PHRASE", true, {"phrase"}},
        {"?BROAD", true, {"broad", "phrase"}},
        {"?EXACT", true, {"broad", "exact", "phrase"}},
        {"?BROAD", false, {"exact", "phrase"}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.box);
        ASSERT_TRUE(display->Check(w, s.box, s.on));
        EXPECT_TRUE(Shows(w, "?FSTR", GardenKeywords("Spring Sale", s.matches)));
    }

    // A new selection in the entry rebuilds with its screen value.
    ui::Input change{display->ControlOf(w, "?COMPAGNNAME")->feq, runtime::event::kNewSelection,
                     std::string("Fall")};
    ASSERT_TRUE(ui::SendInput(w, change));
    EXPECT_TRUE(Shows(w, "?FSTR", GardenKeywords("Fall", {"exact", "phrase"})));
    EXPECT_TRUE(Shows(w, "?SSTR", GardenTextAds("Fall")));

    // The name is a CSTRING(128): what goes beyond 127 characters is cut off.
    ASSERT_TRUE(display->Type(w, "?COMPAGNNAME", std::string(200, 'n')));
    EXPECT_TRUE(Shows(w, "?SSTR", GardenTextAds(std::string(127, 'n'))));
    Close(w);
}

TEST_F(CampaignWindowTest, ItemsComeInTagOrderAndTagsOfVanishedItemsAreDropped) {
    Campaign campaign{.store = Templates("{KEYWORD}", "", "")};
    // Tag values order the walk; item 2 is gone before the window opens.
    campaign.items = {{1, "alpha", 1, 1, "30"},
                      {2, "beta", 1, 1, "20", false},
                      {3, "gamma", 1, 1, "10"},
                      {4, "delta", 1, 1, "40"}};
    const ui::WindowId w = Open(campaign);
    auto ad = [](const char* keywords) {
        return std::string("\t") + keywords + "\t" + keywords +
               "\t\t\twww.amazon.com\thttp://www.amazon.com/exec/obidos/ASIN/B000TEST00/xyz-21";
    };
    EXPECT_TRUE(Shows(w, "?SSTR", Join({ad("gamma"), ad("alpha"), ad("delta")})));
    EXPECT_EQ(TaggedPointers(), (std::vector<std::int32_t>{1, 3, 4}));

    // Item 3 is deleted while the window is open: the next rebuild leaves it out and drops its
    // tag.
    {
        data::GoodsRecord goods{};
        store::Table table(*data::ZembrolaFile(), data::Def(TableId::Goods), &goods);
        ASSERT_EQ(table.Open(), store::NoError);
        goods.ID = 3;
        ASSERT_EQ(table.Fetch(data::GOO_KeyId), store::NoError);
        ASSERT_EQ(table.Delete(), store::NoError);
    }
    ASSERT_TRUE(display->Check(w, "?EXACT", true));
    EXPECT_TRUE(Shows(w, "?FSTR", "\talpha\talpha\texact\t0,00\r\n\tdelta\tdelta\texact\t0,00"));
    EXPECT_TRUE(Shows(w, "?SSTR", Join({ad("alpha"), ad("delta")})));
    EXPECT_EQ(TaggedPointers(), (std::vector<std::int32_t>{1, 4}));
    Close(w);
}

TEST_F(CampaignWindowTest, CopyButtonsPutEachTextOnTheClipboardByteForByte) {
    // Amazon UK: the pound sign is the code page 1252 byte 0xA3.
    const ui::WindowId w =
        Open({.site = 2,
              .items = {{1, "garden hose"}},
              .store = Templates("Just {PRICE}", "Save {SAVINGS}", "Only {PRICE}", "abc-21")});
    ASSERT_TRUE(display->Check(w, "?EXACT", true));
    const std::string keywords =
        "\tgarden hose\tJust \xA3"
        "123.00\texact\t0,00";
    const std::string ads =
        "\tgarden hose\tgarden hose\tSave \xA3"
        "26.90\tOnly \xA3"
        "123.00\twww.amazon.co.uk\t"
        "http://www.amazon.co.uk/exec/obidos/ASIN/B000TEST00/abc-21";
    ASSERT_TRUE(Shows(w, "?FSTR", keywords));
    EXPECT_TRUE(Copies(w, "?COPY", keywords));
    EXPECT_TRUE(Copies(w, "?COPY:2", ads));

    // What the user typed into a text goes as typed, up to the text's bound.
    ASSERT_TRUE(display->TypeOnly(w, "?SSTR", "edited"));
    EXPECT_TRUE(Copies(w, "?COPY:2", "edited"));
    ASSERT_TRUE(display->TypeOnly(w, "?FSTR", std::string(70000, 'x')));
    EXPECT_TRUE(Copies(w, "?COPY", std::string(research::kMaxCampaignText, 'x')));
    Close(w);
}

TEST_F(CampaignWindowTest, LongWalksShowTheWaitCursorAndYieldEveryTenthRowAcrossRebuilds) {
    std::mutex mutex;
    std::vector<std::string> log;
    ui::BusyHooks hooks;
    hooks.cursor = [&](bool busy) {
        std::lock_guard lock(mutex);
        log.push_back(busy ? "wait" : "ready");
    };
    // Yields run on the window's thread, under its procedure name.
    hooks.yield = [&] {
        std::lock_guard lock(mutex);
        log.push_back("yield " + ui::ErrorManager::Global().ProcedureName());
    };
    ui::SetBusyHooks(hooks);
    auto logged = [&] {
        std::lock_guard lock(mutex);
        return log;
    };

    Campaign campaign{.store = Templates("{KEYWORD}", "", "")};
    for (std::int32_t id = 1; id <= 25; ++id)
        campaign.items.push_back({id, "item " + std::to_string(id)});
    const ui::WindowId w = Open(campaign);
    const std::string yield = "yield CreateCompaignA";
    // Rows 10 and 20 of the first walk.
    EXPECT_TRUE(Eventually([&] { return logged().size() == 4; }));
    EXPECT_EQ(logged(), (std::vector<std::string>{"wait", yield, yield, "ready"}));

    // The count goes on: rows 30, 40 and 50 fall in the second walk.
    ASSERT_TRUE(display->Check(w, "?EXACT", true));
    EXPECT_TRUE(Eventually([&] { return logged().size() == 9; }));
    EXPECT_EQ(logged(), (std::vector<std::string>{"wait", yield, yield, "ready", "wait", yield,
                                                  yield, yield, "ready"}));
    EXPECT_TRUE(display->WaitForControl(w, "?FSTR", [](const ui::Control& c) {
        return c.screen.ends_with("\titem 25\titem 25\texact\t0,00");
    }));
    Close(w);
    ui::InstallWindowBusyHooks();
}

TEST_F(CampaignWindowTest, RouterOpensTheVariantOfJapaneseModeAndLeavesTheCallerAsItWas) {
    // 24 letters and two Shift-JIS characters: the J variant never cuts one in half.
    const std::string keywords = "ABCDEFGHIJKLMNOPQRSTUVWX\x83\x41\x83\x42";
    struct Mode {
        std::uint8_t jpMode;
        const char* procedure;
        const char* other;
        int charset;
        std::string headline;
        std::string yen;  // in the window's code page
    };
    const Mode modes[] = {
        {0, "CreateCompaignA", "CreateCompaignJ", 0, keywords.substr(0, 25), "\xA5"},
        {128, "CreateCompaignJ", "CreateCompaignA", 128, keywords.substr(0, 24), "\x81\x8F"},
    };
    for (const Mode& m : modes) {
        SCOPED_TRACE(m.procedure);
        ui::IniManager& ini = ui::IniManager::Global();
        ini.SaveWindow(m.procedure, {40, 30, 620, 480, false});
        shell::JPMode = m.jpMode;
        help->Clear();
        const ui::WindowId w = Open({.site = 16,
                                     .items = {{1, keywords}},
                                     .store = Templates("", "{PRICE}", "", "xyz-22"),
                                     .procedure = &research::CreateCompaign,
                                     .window = m.procedure});
        const std::string ads = "\t" + keywords + "\t" + m.headline + "\t" + m.yen +
                                "123.00\t\twww.amazon.co.jp\t"
                                "http://www.amazon.co.jp/exec/obidos/ASIN/B000TEST00/xyz-22";
        EXPECT_TRUE(Shows(w, "?SSTR", ads));
        // The copy is in the window's character set: a reader in code page 1252 gets the
        // Japanese characters as "?", never their Shift-JIS bytes.
        EXPECT_TRUE(Copies(w, "?COPY:2", ads, m.charset));
        if (m.charset == 128) {
            EXPECT_EQ(win::ClipboardText(0).find('\x83'), std::string::npos);
        }
        const auto view = display->View(w);
        ASSERT_TRUE(view);
        EXPECT_EQ(view->window.props.charset, m.charset);
        EXPECT_EQ(view->window.props.name, "P1$QUICKWINDOW");
        EXPECT_EQ(view->window.props.at, (ui::Rect{40, 30, 620, 480}));

        ASSERT_TRUE(display->Press(w, "?HELP"));
        ASSERT_TRUE(display->PressKey(w, ui::key::F1));
        EXPECT_TRUE(Eventually([&] { return help->Requests().size() == 2; }));
        for (const ui::HelpRequest& r : help->Requests()) {
            EXPECT_EQ(r.kind, ui::HelpKind::Topic);
            EXPECT_EQ(r.file, "zembrola.chm");
            EXPECT_EQ(r.topic, "CreateCompaign.htm");
        }

        // The user moves the window; closing keeps the new place under the variant's name.
        ASSERT_TRUE(ui::ReportPlacement(w, ui::Rect{50, 60, 630, 490}, false));
        Close(w);
        const auto kept = ini.FetchWindow(m.procedure);
        ASSERT_TRUE(kept);
        EXPECT_EQ((ui::Rect{kept->x, kept->y, kept->width, kept->height}),
                  (ui::Rect{50, 60, 630, 490}));
        EXPECT_FALSE(ini.FetchWindow(m.other));

        EXPECT_EQ(after_.goodsId, kCallerGoods);
        EXPECT_EQ(after_.request, kCallerRequest);
        EXPECT_EQ(after_.response, kCallerResponse);
        EXPECT_EQ(after_.procedure, kCallerProcedure);
        EXPECT_TRUE(after_.tablesClosed);
        ini.Kill();
        ini.Init(dir / "quorel.ini");
    }
    shell::JPMode = 0;
}

}  // namespace
}  // namespace zem::test
