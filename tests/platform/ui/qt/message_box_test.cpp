#include "platform/ui/qt/message_box.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPushButton>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "qt_test_support.h"

namespace zem::ui::qt {
namespace {

using testing::OnGui;
using namespace std::chrono_literals;

struct Shown {
    std::future<unsigned> answer;
    QPointer<QMessageBox> box;
};

// Shows a box on the GUI thread; the answer comes through the future.
Shown Show(const MessageRequest& request) {
    Shown shown;
    OnGui([&] {
        auto answer = std::make_shared<PendingResult<unsigned>>(request.defaultButton);
        shown.answer = answer->Future();
        shown.box = ShowMessageBox(nullptr, request, 0, answer);
    });
    return shown;
}

std::optional<unsigned> Answer(Shown& shown) {
    if (shown.answer.wait_for(5s) != std::future_status::ready) return std::nullopt;
    return shown.answer.get();
}

TEST(QtMessageBoxTest, ShowsTheRequestsButtonsIconAndDefault) {
    Shown shown =
        Show({"Delete it?", "Careful", Icon::Hand, ButtonYes | ButtonNo | ButtonCancel, ButtonNo});
    OnGui([&] {
        ASSERT_TRUE(shown.box);
        EXPECT_EQ(shown.box->windowTitle(), "Careful");
        EXPECT_EQ(shown.box->text(), "Delete it?");
        EXPECT_EQ(shown.box->icon(), QMessageBox::Critical);
        EXPECT_EQ(shown.box->buttons().size(), 3);
        EXPECT_EQ(static_cast<QAbstractButton*>(shown.box->defaultButton()),
                  shown.box->button(QMessageBox::No));
        EXPECT_EQ(shown.box->windowModality(), Qt::ApplicationModal);
        shown.box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(Answer(shown), ButtonYes);
}

// Escape and the close box answer Cancel when offered, else No, else the default.
TEST(QtMessageBoxTest, EscapeAndCloseAnswerCancelThenNoThenTheDefault) {
    struct Case {
        unsigned buttons;
        unsigned defaultButton;
        unsigned expected;
    };
    const std::vector<Case> cases{
        {ButtonOk | ButtonCancel, ButtonOk, ButtonCancel},
        {ButtonYes | ButtonNo, ButtonYes, ButtonNo},
        {ButtonYes | ButtonNo | ButtonCancel, ButtonYes, ButtonCancel},
        {ButtonAbort | ButtonRetry | ButtonIgnore, ButtonRetry, ButtonRetry},
        {ButtonOk, ButtonOk, ButtonOk},
        {ButtonRetry | ButtonIgnore, ButtonOk, ButtonRetry},  // a default not offered: the first
    };
    for (const bool viaEscape : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.buttons) + (viaEscape ? " escape" : " close"));
            Shown shown = Show({"Text", "Caption", Icon::Question, c.buttons, c.defaultButton});
            OnGui([&] {
                ASSERT_TRUE(shown.box);
                if (viaEscape) {
                    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                    QCoreApplication::sendEvent(shown.box, &escape);
                } else {
                    shown.box->close();
                }
            });
            EXPECT_EQ(Answer(shown), c.expected);
        }
    }
}

TEST(QtMessageBoxTest, AnsweringAButtonTheBoxDoesNotOfferStillAnswersIt) {
    Shown shown = Show({"Text", "Caption", Icon::None, ButtonOk, ButtonOk});
    OnGui([&] { AnswerMessageBox(shown.box, ButtonIgnore); });
    EXPECT_EQ(Answer(shown), ButtonIgnore);
}

TEST(QtMessageBoxTest, ABoxDeletedUnansweredAnswersItsDefault) {
    Shown shown = Show({"Text", "Caption", Icon::Asterisk, ButtonYes | ButtonNo, ButtonNo});
    OnGui([&] { std::unique_ptr<QMessageBox> gone(shown.box.data()); });
    EXPECT_EQ(Answer(shown), ButtonNo);
}

}  // namespace
}  // namespace zem::ui::qt
