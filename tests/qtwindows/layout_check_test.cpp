// Every window layout the program ships, opened on the Qt display: no shown control is covered
// by a later sibling, every list shows its header, and no caption, label or button text is cut.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ui/qt/qt_test_support.h"
#include "platform/ui/qt/window_view.h"
#include "platform/ui/resources.h"
#include "program_windows.h"

namespace zem::test {
namespace {

namespace uq = ui::qt;

struct LayoutWindow {
    std::filesystem::path file;
    std::string name;
};

std::vector<LayoutWindow> ShippedWindows() {
    std::vector<LayoutWindow> windows;
    for (const auto& entry : std::filesystem::directory_iterator(ui::ResourceDir() / "layout")) {
        if (entry.path().extension() != ".json") continue;
        std::ifstream in(entry.path());
        const auto json = nlohmann::json::parse(in, nullptr, false);
        if (json.is_discarded() || !json.contains("windows")) continue;
        for (const auto& [name, window] : json["windows"].items())
            windows.push_back({entry.path(), name});
    }
    std::sort(windows.begin(), windows.end(), [](const auto& a, const auto& b) {
        return a.file < b.file || (a.file == b.file && a.name < b.name);
    });
    return windows;
}

QString Plain(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

// Whether a widget paints a background a sibling below it can't show through.
bool Opaque(const QWidget* w) {
    return !qobject_cast<const QGroupBox*>(w) && !qobject_cast<const QLabel*>(w);
}

// The faults of one open window, as lines naming the controls.
std::vector<std::string> FaultsOf(uq::WindowView& view) {
    std::vector<std::string> faults;
    std::map<const QWidget*, std::string> useOf;
    for (auto& [feq, control] : view.controls)
        if (control.widget) useOf[control.widget] = control.model.use;
    auto nameOf = [&](const QWidget* w) {
        const auto it = useOf.find(w);
        return it == useOf.end() ? w->objectName().toStdString() : it->second;
    };
    for (auto& [feq, control] : view.controls) {
        QWidget* w = control.widget;
        if (!w || !w->isVisible() || control.model.kind == ui::ControlKind::MenuBar ||
            control.model.kind == ui::ControlKind::Toolbar)
            continue;
        const std::string use = control.model.use;
        const ui::ControlKind kind = control.model.kind;
        const bool container = kind == ui::ControlKind::Sheet || kind == ui::ControlKind::Group ||
                               kind == ui::ControlKind::Option || kind == ui::ControlKind::Box;
        // Covered: a sibling above it in the stacking order overlaps it and paints over it.
        if (QWidget* parent = w->parentWidget(); parent && !container) {
            const auto siblings = parent->children();
            bool above = false;
            for (QObject* o : siblings) {
                if (o == w) {
                    above = true;
                    continue;
                }
                auto* s = qobject_cast<QWidget*>(o);
                if (!above || !s || !s->isVisible() || !Opaque(s) || !useOf.contains(s)) continue;
                if (s->geometry().intersects(w->geometry()))
                    faults.push_back(use + " is covered by " + nameOf(s));
            }
        }
        if (control.model.kind == ui::ControlKind::List)
            if (auto* list = qobject_cast<QTreeWidget*>(w);
                list && (list->isHeaderHidden() || !list->header()->isVisible()))
                faults.push_back(use + " shows no header");
        QString text;
        int room = 0;
        if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull()) {
            text = Plain(label->text());
            room = label->contentsRect().width();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = Plain(button->text());
            // Qt draws a button's text centred and clips it at the frame, not at the margins.
            room = button->contentsRect().width() - 4;
            if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button))
                room -= 20;  // the indicator
            else if (!button->icon().isNull())
                room -= button->iconSize().width() + 4;
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
            text = Plain(box->title());
            room = box->width() - 16;
        }
        if (!text.isEmpty() && !text.contains(QLatin1Char('\n')) &&
            w->fontMetrics().horizontalAdvance(text) > room)
            faults.push_back(use + " cuts \"" + text.toStdString() + "\"");
        if (auto* sheet = qobject_cast<QTabWidget*>(w)) {
            QTabBar* bar = sheet->tabBar();
            for (int i = 0; i < sheet->count(); ++i) {
                const QString tab = Plain(sheet->tabText(i));
                if (bar->fontMetrics().horizontalAdvance(tab) > bar->tabRect(i).width())
                    faults.push_back(use + " cuts the tab \"" + tab.toStdString() + "\"");
            }
        }
    }
    return faults;
}

TEST(ShippedLayouts, NoShownControlIsCoveredHeaderlessOrCut) {
    const std::vector<LayoutWindow> windows = ShippedWindows();
    ASSERT_FALSE(windows.empty());
    for (const LayoutWindow& window : windows) {
        const std::string procedure = "Check " + window.file.stem().string() + " " + window.name;
        SCOPED_TRACE(procedure);
        std::string error;
        auto layout = ui::LoadLayoutFile(window.file, window.name, &error);
        ASSERT_TRUE(layout) << error;
        uq::testing::EventLog log;
        uq::testing::ProcedureThread thread(
            [&] { uq::testing::LoggingProcedure(procedure, std::move(*layout), log).Run(); });
        const auto id = Qt().WaitForWindow(procedure, kWindowWait);
        ASSERT_TRUE(id);
        std::vector<std::string> faults;
        Qt().Inspect(*id, [&](uq::WindowView* view) {
            if (view) faults = FaultsOf(*view);
        });
        std::ostringstream listed;
        for (const std::string& fault : faults) listed << "\n  " << fault;
        EXPECT_TRUE(faults.empty()) << listed.str();
        Qt().Screenshot(*id, ScreenshotDir() / ("layout_" + window.file.stem().string() + "_" +
                                                window.name + ".png"));
        Qt().CloseBox(*id);
        Qt().WaitForClose(*id, kWindowWait);
    }
}

}  // namespace
}  // namespace zem::test
