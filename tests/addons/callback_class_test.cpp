#include "addons/callback_class.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zem::addons {
namespace {

std::vector<std::string>* g_trace = nullptr;

win::LResult OwnProc(win::Hwnd, unsigned, win::WParam, win::LParam) {
    if (g_trace) g_trace->push_back("own");
    return 7;
}

class Tracer final : public xCallBackClass {
  public:
    explicit Tracer(std::string name) : name_(std::move(name)) {}
    win::LResult WindowProc(win::Hwnd hwnd, unsigned message, win::WParam wParam,
                            win::LParam lParam) override {
        g_trace->push_back(name_);
        return CallPrevious(hwnd, message, wParam, lParam);
    }

  private:
    std::string name_;
};

class PropertySlots : public ::testing::Test {
  protected:
    void SetUp() override {
        g_trace = &trace;
        hwnd = win::CreateHandle({1, 9001, 0, 0}, &OwnProc);
    }
    void TearDown() override {
        win::DestroyHandle(hwnd);
        g_trace = nullptr;
    }
    std::vector<std::string> Send() {
        trace.clear();
        EXPECT_EQ(win::SendMessage(hwnd, 0x400, 0, 0), 7);
        return trace;
    }
    std::vector<std::string> trace;
    win::Hwnd hwnd = 0;
};

TEST_F(PropertySlots, SlotsAreTakenLowestFreeFirstAndFreedOnRemove) {
    Tracer first("first"), second("second"), third("third");
    ASSERT_TRUE(first.Install(hwnd, 0, true));
    ASSERT_TRUE(second.Install(hwnd, 0, true));
    EXPECT_EQ(first.PROPNUM, 0);
    EXPECT_EQ(second.PROPNUM, 1);
    EXPECT_EQ(win::GetProp(hwnd, "xCallBackClassProp"), &first);
    EXPECT_EQ(win::GetProp(hwnd, "xCallBackClassProp1"), &second);
    first.Remove();
    ASSERT_TRUE(third.Install(hwnd, 0, true));
    EXPECT_EQ(third.PROPNUM, 0);
    EXPECT_EQ(Send(), (std::vector<std::string>{"third", "second", "own"}));
}

TEST_F(PropertySlots, OtherPropertiesDoNotMoveTheSlots) {
    int data = 0;
    win::SetProp(hwnd, "SomethingElse", &data);
    win::SetProp(hwnd, "xCallBackClassProp9", &data);
    win::SetAtomProp(hwnd, 0xC001, &data);
    win::SetProp(hwnd, "#49153", &data);  // an atom written as its number
    Tracer a("a"), b("b");
    ASSERT_TRUE(a.Install(hwnd, 12, false));
    ASSERT_TRUE(b.Install(hwnd, 12, true));
    EXPECT_EQ(a.PROPNUM, 0);
    EXPECT_EQ(b.PROPNUM, 1);
    EXPECT_EQ(a.CONTROLFEQ, 12);
    EXPECT_EQ(b.CONTROLFEQ, 0);
    EXPECT_EQ(a.PL.size(), 2u);  // the string-named properties only
}

TEST_F(PropertySlots, ANinthObjectIsRefusedAndChangesNothing) {
    std::vector<std::unique_ptr<Tracer>> eight;
    for (int i = 0; i < kPropertySlots; ++i) {
        eight.push_back(std::make_unique<Tracer>(std::to_string(i)));
        ASSERT_TRUE(eight.back()->Install(hwnd, 0, true));
        EXPECT_EQ(eight.back()->PROPNUM, i);
        EXPECT_EQ(win::GetProp(hwnd, SlotPropertyName(i)), eight.back().get());
    }
    EXPECT_EQ(SlotPropertyName(7), "xCallBackClassProp7");
    const win::WndProc before = win::GetWindowProc(hwnd);
    Tracer ninth("ninth");
    EXPECT_FALSE(ninth.Install(hwnd, 0, true));
    EXPECT_FALSE(ninth.Installed());
    EXPECT_EQ(win::GetWindowProc(hwnd), before);
    EXPECT_EQ(Send(), (std::vector<std::string>{"7", "6", "5", "4", "3", "2", "1", "0", "own"}));
}

// Removal in any order leaves the others in their order and the window's own procedure last.
TEST_F(PropertySlots, RemovalInAnyOrderKeepsTheOthersWorking) {
    struct Case {
        std::vector<int> removeOrder;
    };
    for (const Case& c :
         {Case{{0, 1, 2, 3}}, Case{{3, 2, 1, 0}}, Case{{1, 3, 0, 2}}, Case{{2, 0, 3, 1}}}) {
        std::vector<std::unique_ptr<Tracer>> objects;
        for (int i = 0; i < 4; ++i) {
            objects.push_back(std::make_unique<Tracer>(std::to_string(i)));
            ASSERT_TRUE(objects.back()->Install(hwnd, 0, true));
        }
        std::vector<int> left{0, 1, 2, 3};
        for (int gone : c.removeOrder) {
            objects[static_cast<std::size_t>(gone)]->Remove();
            std::erase(left, gone);
            std::vector<std::string> expected;
            for (auto it = left.rbegin(); it != left.rend(); ++it)
                expected.push_back(std::to_string(*it));
            expected.push_back("own");
            EXPECT_EQ(Send(), expected);
        }
        EXPECT_EQ(win::GetWindowProc(hwnd), &OwnProc);
        EXPECT_TRUE(win::EnumProps(hwnd).empty());
    }
}

}  // namespace
}  // namespace zem::addons
