#pragma once
// The help window: a page browser over the help folder, with a contents button, a search box
// whose hits list beside the page, back and forward, and a close button (Escape closes it too).
// Links between pages work as relative files in the help folder, their names matched without regard
// to case as topic names are.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTextBrowser>
#include <QWidget>

namespace zem::ui::qt {

class HelpWindow : public QWidget {
  public:
    HelpWindow();

    // A topic that has no page shows the contents, saying so.
    void ShowTopic(const QString& topic);
    void ShowContents();
    void ShowSearch(const QString& words);

    QUrl Page() const;
    QStringList Hits() const;

  private:
    void RunSearch();
    void ShowFile(const QString& file);

    QTextBrowser* browser_ = nullptr;
    QLineEdit* search_ = nullptr;
    QListWidget* hits_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace zem::ui::qt
