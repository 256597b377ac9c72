#include "platform/ui/qt/message_box.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QVariant>
#include <array>
#include <utility>

#include "platform/ui/qt/owned.h"
#include "platform/ui/qt/text_codec.h"

namespace zem::ui::qt {
namespace {

constexpr const char* kButtonBit = "zemButton";
constexpr const char* kForcedAnswer = "zemForcedAnswer";

constexpr std::array<std::pair<unsigned, QMessageBox::StandardButton>, 8> kButtons{{
    {ButtonOk, QMessageBox::Ok},
    {ButtonYes, QMessageBox::Yes},
    {ButtonNo, QMessageBox::No},
    {ButtonAbort, QMessageBox::Abort},
    {ButtonRetry, QMessageBox::Retry},
    {ButtonIgnore, QMessageBox::Ignore},
    {ButtonCancel, QMessageBox::Cancel},
    {ButtonHelp, QMessageBox::Help},
}};

QMessageBox::Icon BoxIcon(Icon icon) {
    switch (icon) {
        case Icon::Exclamation:
            return QMessageBox::Warning;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::Hand:
            return QMessageBox::Critical;
        case Icon::Asterisk:
            return QMessageBox::Information;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

unsigned BitOf(const QAbstractButton* button) {
    return button ? button->property(kButtonBit).toUInt() : 0;
}

QAbstractButton* ButtonOfBit(QMessageBox* box, unsigned bit) {
    for (QAbstractButton* button : box->buttons())
        if (BitOf(button) == bit) return button;
    return nullptr;
}

}  // namespace

QMessageBox* ShowMessageBox(QWidget* parent, const MessageRequest& request, int charset,
                            std::shared_ptr<PendingResult<unsigned>> answer) {
    auto* box = MakeOwnedByParent<QMessageBox>(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // An empty title is one the desktop fills with the program's name; a box without a caption
    // shows none.
    const QString caption = Decode(request.caption, charset);
    box->setWindowTitle(caption.isEmpty() ? QStringLiteral(" ") : caption);
    box->setText(Decode(request.text, charset));
    box->setIcon(BoxIcon(request.icon));

    const unsigned offered = (request.buttons & 0xFF) != 0 ? request.buttons : ButtonOk;
    for (const auto& [bit, standard] : kButtons)
        if (offered & bit) box->addButton(standard)->setProperty(kButtonBit, bit);

    // A default the box does not offer falls back to its first button.
    unsigned chosenDefault = request.defaultButton;
    if (!ButtonOfBit(box, chosenDefault))
        for (const auto& [bit, standard] : kButtons)
            if (offered & bit) {
                chosenDefault = bit;
                break;
            }
    if (auto* button = qobject_cast<QPushButton*>(ButtonOfBit(box, chosenDefault)))
        box->setDefaultButton(button);
    const unsigned escape = (offered & ButtonCancel) ? ButtonCancel
                            : (offered & ButtonNo)   ? ButtonNo
                                                     : chosenDefault;
    box->setEscapeButton(ButtonOfBit(box, escape));

    // The answer is set when the box finishes; a box deleted unanswered (its window closed)
    // drops the last owner of the answer, which then gives the default.
    QObject::connect(box, &QDialog::finished, box, [box, answer, escape] {
        const QVariant forced = box->property(kForcedAnswer);
        unsigned chosen = forced.isValid() ? forced.toUInt() : BitOf(box->clickedButton());
        answer->Set(chosen != 0 ? chosen : escape);
    });
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->show();
    return box;
}

void AnswerMessageBox(QMessageBox* box, unsigned button) {
    if (!box) return;
    if (QAbstractButton* offered = ButtonOfBit(box, button)) {
        offered->click();
        return;
    }
    box->setProperty(kForcedAnswer, button);
    box->done(0);
}

void CloseMessageBox(QMessageBox* box) {
    if (!box) return;
    if (QAbstractButton* escape = box->escapeButton()) {
        AnswerMessageBox(box, BitOf(escape));
        return;
    }
    box->reject();
}

}  // namespace zem::ui::qt
