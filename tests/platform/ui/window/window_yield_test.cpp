// A nested window's yield must not swallow what a procedure posted to the outer window.
#include <gtest/gtest.h>

#include <vector>

#include "platform/runtime/events.h"
#include "platform/ui/window/window.h"
#include "platform/ui/window/window_test_support.h"

namespace zem::ui {
namespace {

using testing::HeadlessTest;
using testing::LayoutOf;
using testing::RunOnFrameworkThread;

constexpr runtime::EventCode kOwnEvent = 0x7F01;  // what a procedure posts to its outer window
constexpr runtime::EventCode kMarker = 0x7F00;

constexpr std::string_view kPlain = R"({"windows": {"W": {"controls": [
    {"kind": "button", "use": "?OK"}]}}})";

// The codes the window hands out up to a marker posted now.
std::vector<runtime::EventCode> CodesUpToMarker(Window& w) {
    w.Post(kMarker);
    std::vector<runtime::EventCode> codes;
    while (w.Accept() && w.Event().code != kMarker) codes.push_back(w.Event().code);
    return codes;
}

using NestedWindowYieldTest = HeadlessTest;

// A nested window's command posts to the outer window and yields; the yield moves the outer's
// event into the nested window's kept events, and closing the nested window clears them.
TEST_F(NestedWindowYieldTest, AnEventPostedToTheOuterWindowSurvivesAYieldOfTheNestedOne) {
    for (const bool yields : {false, true}) {
        SCOPED_TRACE(yields ? "the nested command yields" : "no yield");
        RunOnFrameworkThread([&] {
            Window outer;
            outer.Load(LayoutOf(kPlain));
            ASSERT_TRUE(outer.Open("Outer"));
            ASSERT_TRUE(outer.Accept());  // its open-window
            Window nested;
            nested.Load(LayoutOf(kPlain));
            ASSERT_TRUE(nested.Open("Nested"));
            ASSERT_TRUE(nested.Accept());

            outer.Post(kOwnEvent);
            if (yields) nested.Yield();
            nested.Close();

            EXPECT_EQ(CodesUpToMarker(outer), std::vector<runtime::EventCode>{kOwnEvent});
        });
    }
}

}  // namespace
}  // namespace zem::ui
