#include "research/querylist/new_query.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "research/querylist/querylist_fixture.h"
#include "research/procedures/research_procedures.h"
#include "support/limited_room.h"

namespace zem::test {
namespace {

namespace request = runtime::request;
namespace response = runtime::response;

class NewQueryTest : public QueryListTest {
  protected:
    // The query form NewQuery opened, once it has set itself up.
    ui::WindowId Form() {
        const auto form = display->WaitForWindow("UpdateQueriesA");
        EXPECT_TRUE(form);
        if (!form) return 0;
        EXPECT_TRUE(display->WaitForView(*form, [](const ui::HeadlessDisplay::WindowView& v) {
            return v.window.props.caption == "New Query";
        }));
        SyncWith(*form);
        return *form;
    }

    void TearDown() override {
        QueryListTest::TearDown();
        shell::UnregisterProcedure("BuildCatalog");
    }

    void Done() {
        runtime::Join(thread_);
        thread_ = 0;
    }
};

TEST_F(NewQueryTest, AFormLeftWithoutSavingLeavesNoRowAndGivesTheNumberBack) {
    struct Case {
        const char* what;
        bool refused;       // another counted window is open
        const char* leave;  // the form's button, or nullptr for its close box
    };
    const Case cases[] = {
        {"Cancel", false, "?CANCEL"},
        {"close box", false, nullptr},
        {"refused", true, nullptr},
    };
    std::size_t messages = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        shell::BusyWindows = c.refused ? 1 : 0;
        // A stale answer on the thread must not pass for the form's.
        Start(&research::NewQuery, request::kNone,
              [] { runtime::SetGlobalResponse(response::kCompleted); });
        if (c.refused) {
            const auto refusal = display->WaitForMessage(++messages);
            ASSERT_TRUE(refusal);
            EXPECT_EQ(refusal->request.text, "Sorry, you MUST close all windows for this action.");
        } else {
            const ui::WindowId form = Form();
            ASSERT_TRUE(display->Type(form, "?QUE:NAME", "Not kept"));
            if (c.leave)
                ASSERT_TRUE(display->Press(form, c.leave));
            else
                ASSERT_TRUE(display->CloseBox(form));
        }
        Done();
        EXPECT_NE(response_, response::kCompleted);
        EXPECT_EQ(queryAfter_.ID, 0) << "the reserved number was given back";
        EXPECT_EQ(StoredQueryIds(), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
    }
}

TEST_F(NewQueryTest, ASavedQueryGetsTheNextNumberTodaysDateAndTheFirstStore) {
    Start(&research::NewQuery);
    ASSERT_TRUE(display->Press(Form(), "?CANCEL"));
    Done();

    Start(&research::NewQuery);
    const ui::WindowId form = Form();
    EXPECT_EQ(display->Shown(form, "?QUE:BUILDDATE"), "October 31, 2008");
    ASSERT_TRUE(display->Type(form, "?QUE:NAME", "Board games"));
    ASSERT_TRUE(display->Press(form, "?OK"));
    Done();
    EXPECT_EQ(response_, response::kCompleted);
    const auto stored = StoredQuery(6);
    ASSERT_TRUE(stored) << "the cancelled query's number is used again";
    EXPECT_EQ(data::StringOf(stored->NAME), "Board games");
    EXPECT_EQ(stored->BUILDDATE, TestDate());
    EXPECT_EQ(stored->BUILDTIME, TestTime());
    EXPECT_EQ(stored->SITE, 1);
    EXPECT_EQ(StoredQueryIds(), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
}

// A save on a full disk: the user is told so and which file, and nothing is added.
class NewQueryFullDiskTest : public NewQueryTest {
  protected:
    LimitedRoom room;  // before the fixture opens the data file
};

TEST_F(NewQueryFullDiskTest, ASaveThatFindsNoRoomSaysTheDiskIsFullAndWhere) {
    ASSERT_TRUE(room.Ok());
    Start(&research::NewQuery);
    const ui::WindowId form = Form();
    ASSERT_TRUE(display->Type(form, "?QUE:NAME", "Board games"));
    // Nothing already in the log's room to write into.
    ASSERT_EQ(data::ZembrolaFile()->Checkpoint(), store::NoError);
    room.Limit(0);
    ASSERT_TRUE(display->Press(form, "?OK"));
    const auto message = display->WaitForMessage(1);
    room.Unlimit();
    ASSERT_TRUE(message);
    std::error_code ec;
    const std::string path =
        std::filesystem::absolute(data::ZembrolaFile()->Path(), ec).lexically_normal().string();
    EXPECT_EQ(message->request.caption, "Record Was Not Added");
    EXPECT_EQ(message->request.text,
              "An error (File System Error (the disk is full: there is no room to write " + path +
                  ")) was experienced when adding a record to the Queries file.");
    ASSERT_TRUE(display->Press(form, "?CANCEL"));
    Done();
    EXPECT_EQ(StoredQueryIds(), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
}

TEST_F(NewQueryTest, InJapaneseModeTheJapaneseFormOpens) {
    shell::JPMode = shell::kShiftJisCharset;
    Start(&research::NewQuery);
    const auto form = display->WaitForWindow("UpdateQueriesJ");
    ASSERT_TRUE(form);
    EXPECT_EQ(display->View(*form)->window.props.charset, 128);
    ASSERT_TRUE(display->WaitForView(*form, [](const ui::HeadlessDisplay::WindowView& v) {
        return v.window.props.caption == "New Query";
    }));
    ASSERT_TRUE(display->CloseBox(*form));
    Done();
    EXPECT_EQ(StoredQueryIds(), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
}

// The program itself: the frame starts both procedures by name, each on a thread of its own.
TEST_F(NewQueryTest, TheFrameStartsANewQueryAfterTheSplashAndTheListFromItsToolbar) {
    // The program opens the data file itself.
    data::KillDictionary();
    data::CloseZembrolaFile();
    research::RegisterResearchProcedures();
    const ui::WindowId frame = StartProgram();
    const auto splash = display->WaitForWindow("Splash");
    ASSERT_TRUE(splash);
    ASSERT_TRUE(display->CloseBox(*splash));
    ASSERT_TRUE(display->Press(Form(), "?CANCEL"));

    ASSERT_TRUE(display->Press(frame, "?BROWSESAVED"));
    const auto list = display->WaitForWindow("BrowseQueriesA");
    ASSERT_TRUE(list);
    EXPECT_NE(display->View(*list)->window.thread, display->View(frame)->window.thread);
    ASSERT_TRUE(ShowsNames(*list, kByDate));
    display->Activate(*list);
    ASSERT_TRUE(display->Press(frame, "?TOOLBAR:BOTTOM"));
    EXPECT_TRUE(display->WaitForControl(*list, "?BROWSE:1",
                                        [](const ui::Control& c) { return c.selected == 5; }));
    EXPECT_EQ(EndProgram(frame), 0);
}

}  // namespace
}  // namespace zem::test
