#include "platform/ui/qt/help_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>
#include <memory>

#include "platform/ui/help/help_content.h"
#include "platform/ui/qt/owned.h"
#include "platform/ui/qt/text_codec.h"
#include "platform/ui/resources/resources.h"

namespace zem::ui::qt {
namespace {

constexpr int kTopicRole = Qt::UserRole + 1;
constexpr QSize kHelpSize{760, 540};

QString PathText(const std::filesystem::path& file) {
    return QString::fromStdString(file.string());
}

// Finds linked pages whose names differ from the files only in case.
class HelpBrowser : public QTextBrowser {
  public:
    QVariant loadResource(int type, const QUrl& name) override {
        if (name.isLocalFile()) {
            const std::filesystem::path file = name.toLocalFile().toStdString();
            std::error_code missing;
            if (!std::filesystem::exists(file, missing))
                if (const auto found =
                        FindFileIgnoringCase(file.parent_path(), file.filename().string()))
                    return QTextBrowser::loadResource(type, QUrl::fromLocalFile(PathText(*found)));
        }
        return QTextBrowser::loadResource(type, name);
    }
};

std::string Bytes(const QString& text) {
    return Encode(text, 0);
}

}  // namespace

HelpWindow::HelpWindow() {
    setWindowTitle(QStringLiteral("Help"));
    auto* layout = MakeOwnedByParent<QVBoxLayout>(this);
    auto ownRow = std::make_unique<QHBoxLayout>();
    QHBoxLayout* row = ownRow.get();
    layout->addLayout(ownRow.release());  // the window's layout owns the row

    auto* contents = MakeChild<QPushButton>(this, QStringLiteral("&Contents"));
    auto* back = MakeChild<QPushButton>(this, QStringLiteral("&Back"));
    auto* forward = MakeChild<QPushButton>(this, QStringLiteral("&Forward"));
    search_ = MakeChild<QLineEdit>(this);
    search_->setPlaceholderText(QStringLiteral("Search for words"));
    auto* find = MakeChild<QPushButton>(this, QStringLiteral("&Search"));
    auto* close = MakeChild<QPushButton>(this, QStringLiteral("C&lose"));
    close->setObjectName(QStringLiteral("close"));
    for (QWidget* w : {static_cast<QWidget*>(contents), static_cast<QWidget*>(back),
                       static_cast<QWidget*>(forward)})
        row->addWidget(w);
    row->addWidget(search_, 1);
    row->addWidget(find);
    row->addWidget(close);

    note_ = MakeChild<QLabel>(this);
    note_->hide();
    layout->addWidget(note_);

    auto* split = MakeChild<QSplitter>(this);
    hits_ = MakeChild<QListWidget>(split);
    browser_ = MakeChild<HelpBrowser>(split);
    split->addWidget(hits_);
    split->addWidget(browser_);
    split->setStretchFactor(1, 3);
    hits_->hide();
    layout->addWidget(split, 1);

    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({PathText(HelpDir())});

    connect(contents, &QPushButton::clicked, this, [this] { ShowContents(); });
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(find, &QPushButton::clicked, this, [this] { RunSearch(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    // Escape closes the window wherever the focus is in it, as in a dialog.
    auto* escape = MakeChild<QShortcut>(this, QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    connect(search_, &QLineEdit::returnPressed, this, [this] { RunSearch(); });
    connect(hits_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ShowTopic(item->data(kTopicRole).toString()); });
    connect(hits_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item) ShowTopic(item->data(kTopicRole).toString());
    });
    resize(kHelpSize);
}

void HelpWindow::ShowFile(const QString& file) {
    browser_->setSource(QUrl::fromLocalFile(file));
}

void HelpWindow::ShowTopic(const QString& topic) {
    if (const auto page = HelpTopicPath(Bytes(topic))) {
        note_->hide();
        ShowFile(PathText(*page));
        return;
    }
    ShowContents();
    note_->setText(QStringLiteral("There is no help topic \"%1\".").arg(topic));
    note_->show();
}

void HelpWindow::ShowContents() {
    note_->hide();
    const std::filesystem::path contents = HelpContentsPath();
    std::error_code missing;
    if (std::filesystem::exists(contents, missing)) {
        ShowFile(PathText(contents));
        return;
    }
    browser_->setHtml(QStringLiteral("<p>The help contents are missing.</p>"));
}

void HelpWindow::ShowSearch(const QString& words) {
    search_->setText(words);
    hits_->show();
    RunSearch();
    search_->setFocus();
}

void HelpWindow::RunSearch() {
    hits_->show();
    const QSignalBlocker quiet(hits_);  // listing hits is not choosing one
    hits_->clear();
    for (const HelpHit& hit : SearchHelp(Bytes(search_->text()))) {
        auto* item = MakeOwnedByParent<QListWidgetItem>(Decode(hit.title, 0), hits_);
        item->setData(kTopicRole, Decode(hit.topic, 0));
    }
}

QUrl HelpWindow::Page() const {
    return browser_->source();
}

QStringList HelpWindow::Hits() const {
    QStringList topics;
    for (int i = 0; i < hits_->count(); ++i) topics << hits_->item(i)->data(kTopicRole).toString();
    return topics;
}

}  // namespace zem::ui::qt
