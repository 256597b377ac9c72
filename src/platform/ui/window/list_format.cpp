#include "platform/ui/window/list_format.h"

#include <charconv>
#include <string>
#include <vector>

#include "platform/ui/settings/ini_manager.h"

namespace zem::ui {
namespace {

std::string Section(std::string_view application, std::string_view procedure) {
    return "ListFormat " + std::string(application) + "." + std::string(procedure);
}

}  // namespace

bool RestoreListFormat(Window& window, int feq, std::string_view application,
                       std::string_view procedure) {
    const Control* list = window.Find(feq);
    if (!list) return false;
    const auto text = IniManager::Global().Fetch(Section(application, procedure), list->use);
    if (!text) return false;
    std::vector<int> widths;
    std::string_view rest = *text;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view part = rest.substr(0, comma);
        int width = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), width);
        // A damaged entry is ignored as a whole, never half applied.
        if (error != std::errc() || end != part.data() + part.size() || width < 0 || width > 4000)
            return false;
        widths.push_back(width);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    if (widths.size() != list->columns.size()) return false;
    window.Change(feq, [&](Control& c) {
        for (std::size_t i = 0; i < widths.size(); ++i) c.columns[i].width = widths[i];
    });
    return true;
}

void SaveListFormat(const Window& window, int feq, std::string_view application,
                    std::string_view procedure) {
    const Control* list = window.Find(feq);
    if (!list || list->columns.empty()) return;
    std::string text;
    for (const ListColumn& column : list->columns) {
        if (!text.empty()) text += ',';
        text += std::to_string(column.width);
    }
    IniManager::Global().Update(Section(application, procedure), list->use, text);
}

void ShowLayoutFormat(Window& window, int feq) {
    const std::vector<int> widths = window.LayoutWidths(feq);
    window.Change(feq, [&](Control& c) {
        for (std::size_t i = 0; i < widths.size() && i < c.columns.size(); ++i)
            c.columns[i].width = widths[i];
    });
}

void AddListFormatItems(PopupActions& menu, Window& window, int feq, std::string_view application,
                        std::string_view procedure) {
    menu.Add(PopupItem{"&Restore Original Format", {}, true, false},
             [&window, feq, app = std::string(application), proc = std::string(procedure)] {
                 ShowLayoutFormat(window, feq);
                 SaveListFormat(window, feq, app, proc);
             });
}

void ShowBrowseMenu(PopupActions& menu, Window& window, int feq, std::string_view application,
                    std::string_view procedure, std::initializer_list<int> buttons,
                    FormatEntries format) {
    menu.Clear();
    if (format == FormatEntries::First) {
        AddListFormatItems(menu, window, feq, application, procedure);
        menu.AddSeparator();
    }
    for (const int button : buttons) menu.AddButton(window, button);
    if (format == FormatEntries::Last) {
        menu.AddSeparator();
        AddListFormatItems(menu, window, feq, application, procedure);
    }
    menu.Show(window, feq);
}

}  // namespace zem::ui
