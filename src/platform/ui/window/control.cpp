#include "platform/ui/window/control.h"

#include <array>
#include <utility>

namespace zem::ui {
namespace {

constexpr std::array<std::pair<ControlKind, std::string_view>, 24> kKinds{{
    {ControlKind::Sheet, "sheet"},         {ControlKind::Tab, "tab"},
    {ControlKind::Prompt, "prompt"},       {ControlKind::Entry, "entry"},
    {ControlKind::Text, "text"},           {ControlKind::String, "string"},
    {ControlKind::Display, "display"},     {ControlKind::Button, "button"},
    {ControlKind::Check, "check"},         {ControlKind::Option, "option"},
    {ControlKind::Radio, "radio"},         {ControlKind::Spin, "spin"},
    {ControlKind::Group, "group"},         {ControlKind::Box, "box"},
    {ControlKind::Image, "image"},         {ControlKind::Progress, "progress"},
    {ControlKind::List, "list"},           {ControlKind::DropList, "droplist"},
    {ControlKind::Tree, "tree"},           {ControlKind::MenuBar, "menubar"},
    {ControlKind::Menu, "menu"},           {ControlKind::Item, "item"},
    {ControlKind::Separator, "separator"}, {ControlKind::Toolbar, "toolbar"},
}};

constexpr std::array<std::pair<StdAction, std::string_view>, 12> kActions{{
    {StdAction::None, ""},
    {StdAction::Close, "close"},
    {StdAction::Cut, "cut"},
    {StdAction::Copy, "copy"},
    {StdAction::Paste, "paste"},
    {StdAction::Tile, "tile"},
    {StdAction::Cascade, "cascade"},
    {StdAction::Arrange, "arrange"},
    {StdAction::PrintSetup, "printsetup"},
    {StdAction::HelpIndex, "helpindex"},
    {StdAction::HelpSearch, "helpsearch"},
    {StdAction::HelpOnHelp, "helponhelp"},
}};

template <typename Table, typename Value>
std::string_view NameIn(const Table& table, Value value) {
    for (const auto& [v, name] : table)
        if (v == value) return name;
    return {};
}

template <typename Table, typename Value>
bool ValueIn(const Table& table, std::string_view name, Value& value) {
    for (const auto& [v, n] : table)
        if (n == name) {
            value = v;
            return true;
        }
    return false;
}

}  // namespace

bool KindFromName(std::string_view name, ControlKind& kind) {
    return ValueIn(kKinds, name, kind);
}
std::string_view StdActionName(StdAction action) {
    return NameIn(kActions, action);
}
bool StdActionFromName(std::string_view name, StdAction& action) {
    return ValueIn(kActions, name, action);
}

}  // namespace zem::ui
