// The catalog updater's window as the catalog tree opens it: found by its procedure name, its
// texts, its help topic and position, and the pace its timer sets.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "research/procedures/research_procedures.h"
#include "shell/procedures.h"
#include "research/updater/updater_fixture.h"

namespace zem::test {
namespace {

class CatalogUpdaterWindowTest : public CatalogUpdaterTest {
  protected:
    void TearDown() override {
        CatalogUpdaterTest::TearDown();
        shell::UnregisterProcedure("BuildCatalog");
    }
};

TEST_F(CatalogUpdaterWindowTest, TheProcedureNamedBuildCatalogOpensTheCatalogUpdater) {
    Configure(2);
    SetActiveStores(kCA);
    research::RegisterResearchProcedures();
    const shell::ProcedureEntry entry = shell::FindProcedure("BuildCatalog");
    ASSERT_TRUE(entry);
    const ui::WindowId w = StartWindow(entry);
    ASSERT_NE(w, 0);

    const auto view = display->View(w);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->window.props.caption, "Catalog updater");
    EXPECT_EQ(view->window.props.icon, "~gendict.ico");
    const auto text = [&](const char* use) {
        const auto control = display->ControlOf(w, use);
        return control ? control->text : "<missing " + std::string(use) + ">";
    };
    EXPECT_EQ(text("?TAB1"), "1) Progress");
    EXPECT_EQ(text("?STRING3:2"), "Total nodes:");
    EXPECT_EQ(text("?STRING3"), "Loaded nodes:");
    EXPECT_EQ(text("?B"), "0");
    EXPECT_EQ(text("?A"), "0");
    EXPECT_EQ(text("?PERCENTS:2"), "0.00 %");
    const auto cancel = display->ControlOf(w, "?CANCEL");
    ASSERT_TRUE(cancel);
    EXPECT_EQ(cancel->text, "&Cancel");
    EXPECT_EQ(cancel->tip, "Cancel current action");
    EXPECT_EQ(cancel->icon, "WACANCEL.ICO");

    ASSERT_TRUE(Sync(w));
    const auto requests = help->Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().file, "zembrola.chm");
    EXPECT_EQ(requests.back().topic, "BuildCatalog.htm");

    ASSERT_TRUE(display->Press(w, "?CANCEL"));
    ASSERT_TRUE(display->WaitForClose(w));
    EXPECT_EQ(Finish(), runtime::response::kCancelled);
    EXPECT_TRUE(ui::IniManager::Global().FetchWindow("BuildCatalog"));
}

TEST_F(CatalogUpdaterWindowTest, OneLookupGoesOutPerTimerPeriodAndTheNextOnlyAfterTheLastIsIn) {
    Configure(2);
    SetActiveStores(kCA);
    sim::Modes slow;
    slow.delayMs = 800;
    simulator.SetModes(slow);
    const ui::WindowId w = StartWindow();
    // The window's timer fires every 5 hundredths: 4 ask for nothing yet.
    clock.Advance(kTimerPeriod - 1);
    ASSERT_TRUE(Sync(w));
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(Lookups().empty());
    clock.Advance(1);
    ASSERT_TRUE(Sync(w));
    ASSERT_TRUE(Eventually([&] { return Lookups().size() == 1; }));
    // The first node in ID order: Amazon CA's first search index.
    EXPECT_EQ(Lookups().front(),
              "GET http://ecs.amazonaws.ca/onca/xml?Service=AWSECommerceService"
              "&AWSAccessKeyId=0Q7ZK3T1W9M5B2X8C4NV&Operation=BrowseNodeLookup"
              "&ResponseGroup=BrowseNodeInfo&BrowseNodeId=962454");
    // While that page is on its way, further periods ask for nothing more.
    for (int tick = 0; tick < 5; ++tick) ASSERT_TRUE(Tick(w));
    EXPECT_EQ(Lookups().size(), 1u);
    ASSERT_TRUE(TickUntil(w, [&] { return Lookups().size() == 2; }));
    ASSERT_TRUE(display->Press(w, "?CANCEL"));
    ASSERT_TRUE(display->WaitForClose(w));
    Finish();
}

}  // namespace
}  // namespace zem::test
