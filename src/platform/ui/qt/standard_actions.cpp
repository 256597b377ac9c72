#include "platform/ui/qt/standard_actions.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "platform/runtime/event_codes.h"
#include "platform/ui/help/help.h"
#include "platform/ui/window/input.h"
#include "platform/ui/qt/owned.h"

namespace zem::ui::qt {
namespace {

constexpr const char* kHelpOnHelpTopic = "HowToUseHelp.htm";

QMdiArea* MdiAreaFor(WindowView& view, WindowView* frame) {
    if (view.mdi) return view.mdi;
    if (view.sub && view.sub->mdiArea()) return view.sub->mdiArea();
    return frame ? frame->mdi.data() : nullptr;
}

// Minimised children line up along the bottom of the MDI area, left to right.
void ArrangeIcons(QMdiArea* area) {
    int x = 0;
    const int bottom = area->viewport()->height();
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized()) continue;
        if (x > 0 && x + sub->width() > area->viewport()->width()) x = 0;
        sub->move(x, bottom - sub->height());
        x += sub->width();
    }
}

template <typename Edit>
bool EditAction(QWidget* focus, StdAction action) {
    auto* edit = qobject_cast<Edit*>(focus);
    if (!edit) return false;
    if (action == StdAction::Cut) edit->cut();
    if (action == StdAction::Copy) edit->copy();
    if (action == StdAction::Paste) edit->paste();
    return true;
}

void ClipboardAction(StdAction action) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus) return;
    if (EditAction<QLineEdit>(focus, action)) return;
    if (EditAction<QPlainTextEdit>(focus, action)) return;
    EditAction<QTextEdit>(focus, action);
}

void ShowHelp(HelpKind kind, std::string topic = {}) {
    CurrentHelpViewer()->Show(HelpRequest{std::string(), kind, std::move(topic), std::string()});
}

}  // namespace

StandardActions::StandardActions() = default;
StandardActions::~StandardActions() {
    Release();
}

void StandardActions::Release() {
    std::unique_ptr<QPageSetupDialog> open(dialog_.data());
    open.reset();
    printer_.reset();
}

void StandardActions::Run(WindowView& view, WindowView* frame, StdAction action) {
    switch (action) {
        case StdAction::Tile:
            if (QMdiArea* area = MdiAreaFor(view, frame)) area->tileSubWindows();
            break;
        case StdAction::Cascade:
            if (QMdiArea* area = MdiAreaFor(view, frame)) area->cascadeSubWindows();
            break;
        case StdAction::Arrange:
            if (QMdiArea* area = MdiAreaFor(view, frame)) ArrangeIcons(area);
            break;
        case StdAction::Cut:
        case StdAction::Copy:
        case StdAction::Paste:
            ClipboardAction(action);
            break;
        case StdAction::PrintSetup:
            PrintSetup(view.top);
            break;
        case StdAction::HelpOnHelp:
            ShowHelp(HelpKind::HelpOnHelp, kHelpOnHelpTopic);
            break;
        case StdAction::HelpIndex:
            ShowHelp(HelpKind::Contents);
            break;
        case StdAction::HelpSearch:
            ShowHelp(HelpKind::Search);
            break;
        case StdAction::Close:
            // As the close box: the procedure decides.
            if (!view.coveredByNested) SendInput(view.id, Input{0, runtime::event::kCloseWindow});
            break;
        case StdAction::None:
            break;
    }
}

void StandardActions::PrintSetup(QWidget* parent) {
    if (!printer_) printer_ = std::make_unique<QPrinter>();
    // Without a screen there is no one to answer the dialog.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
    if (dialog_) return;  // one page setup at a time
    dialog_ = MakeOwnedByParent<QPageSetupDialog>(printer_.get(), parent);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    dialog_->open();
}

}  // namespace zem::ui::qt
