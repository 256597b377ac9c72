#include "platform/ui/window/anchors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/window/layout.h"
#include "platform/ui/resources/resources.h"

namespace zem::ui {

std::ostream& operator<<(std::ostream& out, const Anchor& a) {
    return out << "{move" << (a.moveX ? " x" : "") << (a.moveY ? " y" : "") << ", grow"
               << (a.growX ? " x" : "") << (a.growY ? " y" : "") << "}";
}
std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << "[" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "]";
}

namespace {

int Right(const Rect& r) {
    return r.x + r.width;
}
int Bottom(const Rect& r) {
    return r.y + r.height;
}
bool Overlap(const Rect& a, const Rect& b) {
    return a.x < Right(b) && b.x < Right(a) && a.y < Bottom(b) && b.y < Bottom(a);
}

// A 500 × 400 client area: a sheet with a list on its tab, a column of buttons right of the
// list, a field above it at the right edge, and below it an option at the left, a run of
// buttons at the right and a row of buttons across the width; a small list that is not the
// largest; a menu bar whose items belong to the frame.
constexpr std::string_view kForm = R"({"windows": {"W": {"at": [0, 0, 500, 400], "controls": [
    {"kind": "menubar", "controls": [{"kind": "menu", "use": "?FILE", "controls": [
        {"kind": "item", "use": "?EXIT"}]}]},
    {"kind": "entry", "use": "?NAME", "at": [10, 10, 200, 22]},
    {"kind": "entry", "use": "?DATE", "at": [380, 10, 110, 22]},
    {"kind": "sheet", "use": "?SHEET", "at": [4, 40, 420, 300], "controls": [
        {"kind": "tab", "use": "?TAB1", "controls": [
            {"kind": "list", "use": "?LIST", "at": [10, 70, 400, 200]},
            {"kind": "option", "use": "?SHOW", "at": [10, 280, 150, 30], "controls": [
                {"kind": "radio", "use": "?ALL", "at": [14, 284, 60, 22]},
                {"kind": "radio", "use": "?SOME", "at": [80, 284, 60, 22]}]},
            {"kind": "button", "use": "?TOGGLE", "at": [300, 284, 52, 24]},
            {"kind": "button", "use": "?CHANGE", "at": [356, 284, 52, 24]}]},
        {"kind": "tab", "use": "?TAB2", "controls": [
            {"kind": "list", "use": "?SMALL", "at": [10, 70, 100, 50]}]}]},
    {"kind": "button", "use": "?INSERT", "at": [430, 70, 60, 24]},
    {"kind": "button", "use": "?DELETE", "at": [430, 100, 60, 24]},
    {"kind": "button", "use": "?TAG", "at": [10, 346, 96, 24]},
    {"kind": "button", "use": "?UNTAG", "at": [110, 346, 96, 24]},
    {"kind": "button", "use": "?FLIP", "at": [210, 346, 96, 24]},
    {"kind": "button", "use": "?NEXT", "at": [310, 346, 170, 24]},
    {"kind": "button", "use": "?OK", "at": [320, 372, 80, 24]},
    {"kind": "button", "use": "?CANCEL", "at": [404, 372, 80, 24]}]}}})";

TEST(Anchors, TheLargestListGrowsAndWhatIsBelowOrRightOfItFollowsTheEdges) {
    std::string error;
    const auto layout = ParseLayout(kForm, "W", &error);
    ASSERT_TRUE(layout) << error;
    const auto anchors = AnchorControls(layout->controls, 500, 400);
    const Anchor stays{}, grows{false, false, true, true}, down{false, true, false, false},
        right{true, false, false, false}, corner{true, true, false, false};
    const std::vector<std::pair<std::string, Anchor>> expected{
        {"?FILE", stays},    {"?EXIT", stays},    {"?NAME", stays},
        {"?DATE", stays},  // above the list: stays, even at the right edge
        {"?SHEET", grows},   {"?LIST", grows},    {"?SMALL", stays},
        {"?SHOW", down},     {"?ALL", down},      {"?SOME", down},
        {"?TOGGLE", corner}, {"?CHANGE", corner},  // a run nearer the right edge
        {"?INSERT", right},  {"?DELETE", right},  {"?TAG", down},
        {"?UNTAG", down},    {"?FLIP", down},     {"?NEXT", down},  // one row
        {"?OK", corner},     {"?CANCEL", corner},
    };
    for (const auto& [use, anchor] : expected) {
        int feq = 0;
        for (const Control& c : layout->controls)
            if (c.use == use) feq = c.feq;
        ASSERT_NE(feq, 0) << use;
        const auto found = anchors.find(feq);
        EXPECT_EQ(found == anchors.end() ? Anchor{} : found->second, anchor) << use;
    }
}

TEST(Anchors, AnchoredPlacesMoveAndGrowByTheExtraRoomOnly) {
    const Rect at{10, 20, 100, 50};
    const Anchor all{true, true, true, true};
    const struct {
        Anchor anchor;
        int dx, dy;
        Rect expected;
    } cases[] = {
        {Anchor{}, 80, 60, at},
        {Anchor{true, false, false, false}, 80, 60, {90, 20, 100, 50}},
        {Anchor{false, true, false, false}, 80, 60, {10, 80, 100, 50}},
        {Anchor{false, false, true, true}, 80, 60, {10, 20, 180, 110}},
        {all, 0, 0, at},
        {all, -30, -40, at},  // smaller than the layout: the layout's places
        {all, -30, 40, {10, 60, 100, 90}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Anchored(at, c.anchor, c.dx, c.dy), c.expected)
            << c.anchor << " by " << c.dx << ", " << c.dy;
    // A control sized by its contents keeps that size.
    EXPECT_EQ(Anchored({5, 5, 0, 0}, all, 10, 10), (Rect{15, 15, 0, 0}));
}

TEST(Anchors, WindowsWithoutListsOrSizeKeepEveryPlace) {
    const std::vector<Control> noList{
        Control{.feq = 1, .kind = ControlKind::Text, .at = {10, 10, 300, 200}},
        Control{.feq = 2, .kind = ControlKind::Button, .at = {220, 220, 80, 24}}};
    EXPECT_TRUE(AnchorControls(noList, 320, 260).empty());
    const std::vector<Control> list{
        Control{.feq = 1, .kind = ControlKind::List, .at = {10, 10, 300, 200}}};
    EXPECT_TRUE(AnchorControls(list, 0, 0).empty());
}

// Every shipped resizable window with a list, grown: its largest list takes all the room, and
// no two controls that were apart in the layout meet or leave the client area.
TEST(Anchors, ShippedWindowsGrowWithoutControlsMeetingOrLeaving) {
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ResourceDir() / "layout")) {
        std::ifstream in(entry.path());
        const auto json = nlohmann::json::parse(in, nullptr, false);
        if (json.is_discarded() || !json.contains("windows")) continue;
        for (const auto& [name, unused] : json["windows"].items()) {
            SCOPED_TRACE(entry.path().filename().string() + " " + name);
            std::string error;
            const auto layout = LoadLayoutFile(entry.path(), name, &error);
            ASSERT_TRUE(layout) << error;
            const int w = layout->props.at.width, h = layout->props.at.height;
            const auto anchors = AnchorControls(layout->controls, w, h);
            const Control* largest = nullptr;
            for (const Control& c : layout->controls)
                if ((c.kind == ControlKind::List || c.kind == ControlKind::Tree) &&
                    (!largest || c.at.width * c.at.height > largest->at.width * largest->at.height))
                    largest = &c;
            if (!largest || !layout->props.resizable) continue;
            ++checked;
            for (const auto& [dx, dy] : {std::pair{300, 200}, std::pair{1, 1}, std::pair{0, 500}}) {
                SCOPED_TRACE("grown by " + std::to_string(dx) + ", " + std::to_string(dy));
                auto place = [&](const Control& c) {
                    const auto a = anchors.find(c.feq);
                    return a == anchors.end() ? c.at : Anchored(c.at, a->second, dx, dy);
                };
                const Rect grown = place(*largest);
                EXPECT_EQ(grown.width, largest->at.width + dx);
                EXPECT_EQ(grown.height, largest->at.height + dy);
                for (const Control& c : layout->controls) {
                    if (c.at.width <= 0 || c.at.height <= 0) continue;
                    const Rect now = place(c);
                    if (Right(c.at) <= w && Bottom(c.at) <= h) {
                        EXPECT_TRUE(Right(now) <= w + dx && Bottom(now) <= h + dy)
                            << c.use << " leaves the window at " << now;
                    }
                    for (const Control& d : layout->controls)
                        if (&d != &c && d.at.width > 0 && d.at.height > 0 && !Overlap(c.at, d.at) &&
                            Overlap(now, place(d)))
                            ADD_FAILURE() << c.use << " meets " << d.use << " at " << now;
                }
            }
        }
    }
    EXPECT_GE(checked, 6);  // the catalog, query and store lists, the trees and the query form
}

}  // namespace
}  // namespace zem::ui
