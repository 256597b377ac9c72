#include "research/tree/update_node.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "data/data_fixture.h"
#include "research/tree/tree_window_fixture.h"

namespace zem::test {
namespace {

namespace request = runtime::request;
namespace response = runtime::response;

// The node form run directly, as the tree runs it: on a thread of its own with the row read
// into the thread's Nodes buffer.
class NodeFormTest : public TreeWindowTest {
  protected:
    void Start(int req, std::int32_t id = nodes::kFiction) {
        thread_ = runtime::Start([this, req, id] {
            if (!data::HasDictionary()) {
                ASSERT_TRUE(data::InitDictionary(data::ZembrolaFile()));
            }
            data::Dict().NOD.ID = id;
            ASSERT_EQ(data::Access(data::TableId::Nodes).Fetch(data::NOD_KeyId), ui::Benign);
            runtime::SetGlobalRequest(req);
            research::UpdateNodeA();
            response_ = runtime::GlobalResponse();
            nodesAfter_ = data::Dict().NOD;
        });
    }

    ui::WindowId OpenForm(int req) {
        Start(req);
        const auto w = display->WaitForWindow("UpdateNodeA");
        EXPECT_TRUE(w);
        return w.value_or(0);
    }
};

TEST_F(NodeFormTest, ViewShowsTheNameReadOnlyAndOkChangesNothing) {
    const ui::WindowId w = OpenForm(request::kView);
    ASSERT_TRUE(display->WaitForView(w, [](const ui::HeadlessDisplay::WindowView& v) {
        return v.window.props.caption == "View Record";
    })) << Caption(w);
    EXPECT_EQ(display->Shown(w, "?NOD:NAME"), "Fiction");
    EXPECT_FALSE(display->TypeOnly(w, "?NOD:NAME", "Other"));
    EXPECT_EQ(display->View(w)->window.props.icon, "~gendict.ico");
    ASSERT_TRUE(display->Press(w, "?OK"));
    Finish(w);
    EXPECT_EQ(response_, response::kCancelled);
    EXPECT_EQ(data::CStringOf(StoredNode(nodes::kFiction)->NAME), "Fiction");
}

TEST_F(NodeFormTest, AnInsertIsRefusedWithoutOpeningTheForm) {
    Start(request::kInsert);
    const auto refused = display->WaitForMessage(1);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->request.caption, "Invalid Request");
    runtime::Join(thread_);
    thread_ = 0;
    EXPECT_EQ(response_, response::kCancelled);
    EXPECT_TRUE(display->OpenedProcedures().empty());
    EXPECT_EQ(StoredNodeCount(), std::size(kNodeRows));
}

TEST_F(NodeFormTest, CancelPutsBackTheCallersBufferAndCtrlHTheOldName) {
    const ui::WindowId w = OpenForm(request::kChange);
    ASSERT_TRUE(display->Type(w, "?NOD:NAME", "Other"));
    ASSERT_TRUE(display->PressKey(w, ui::key::CtrlH));
    ASSERT_TRUE(display->WaitForControl(
        w, "?NOD:NAME", [](const ui::Control& c) { return c.screen == "Fiction"; }));
    ASSERT_TRUE(display->Type(w, "?NOD:NAME", "Typed"));
    ASSERT_TRUE(display->CloseBox(w));
    Finish(w);
    EXPECT_EQ(response_, response::kCancelled);
    EXPECT_EQ(data::CStringOf(nodesAfter_.NAME), "Fiction");
    EXPECT_EQ(data::CStringOf(StoredNode(nodes::kFiction)->NAME), "Fiction");
}

TEST_F(NodeFormTest, HelpShowsTheFormsTopic) {
    const ui::WindowId w = OpenForm(request::kChange);
    ASSERT_TRUE(display->Press(w, "?HELP"));
    ASSERT_TRUE(Eventually([&] { return help->Last().has_value(); }));
    EXPECT_EQ(help->Last()->topic, "UpdateNode.htm");
    ASSERT_TRUE(display->Press(w, "?CANCEL"));
    Finish(w);
}

}  // namespace
}  // namespace zem::test
