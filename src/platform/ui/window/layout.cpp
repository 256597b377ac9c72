#include "platform/ui/window/layout.h"

#include <cstdint>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/ui/resources/resources.h"

namespace zem::ui {
namespace {

using nlohmann::json;

// Layout errors name the place they were found; parsing stops at the first.
struct LayoutError {
    std::string text;
};

// A JSON integer that an int holds; anything wider is an error, never cut.
int IntOf(const json& value, const char* what) {
    const auto wide = value.get<std::int64_t>();
    if (value.is_number_unsigned() && value.get<std::uint64_t>() > 0x7FFFFFFFu)
        throw LayoutError{std::string("\"") + what + "\" is out of range"};
    if (wide < std::numeric_limits<int>::min() || wide > std::numeric_limits<int>::max())
        throw LayoutError{std::string("\"") + what + "\" is out of range"};
    return static_cast<int>(wide);
}

std::string Text(const json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return {};
    if (!it->is_string()) throw LayoutError{std::string("\"") + key + "\" is not a text"};
    return it->get<std::string>();
}

int Number(const json& object, const char* key, int fallback = 0) {
    const auto it = object.find(key);
    if (it == object.end()) return fallback;
    if (!it->is_number_integer()) throw LayoutError{std::string("\"") + key + "\" is not a number"};
    return IntOf(*it, key);
}

// A column's alignment as list formats write it: "L" (or none) left, "C" centred, "R" right.
ColumnAlign AlignOf(std::string_view text) {
    if (text.empty() || text == "L") return ColumnAlign::Left;
    if (text == "C") return ColumnAlign::Center;
    if (text == "R") return ColumnAlign::Right;
    throw LayoutError{"\"align\" is not L, C or R"};
}

bool Flag(const json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end()) return false;
    if (!it->is_boolean()) throw LayoutError{std::string("\"") + key + "\" is not true or false"};
    return it->get<bool>();
}

Rect RectOf(const json& object) {
    const auto it = object.find("at");
    if (it == object.end()) return {};
    if (!it->is_array() || it->size() != 4)
        throw LayoutError{"\"at\" is not [x, y, width, height]"};
    for (const json& n : *it)
        if (!n.is_number_integer()) throw LayoutError{"\"at\" holds a value that is no number"};
    return Rect{IntOf((*it)[0], "at"), IntOf((*it)[1], "at"), IntOf((*it)[2], "at"),
                IntOf((*it)[3], "at")};
}

Font FontOf(const json& object) {
    const auto it = object.find("font");
    if (it == object.end()) return {};
    if (!it->is_object()) throw LayoutError{"\"font\" is not an object"};
    return Font{Text(*it, "name"), Number(*it, "size"), Number(*it, "charset", -1),
                Flag(*it, "bold")};
}

std::vector<std::string> Texts(const json& object, const char* key) {
    std::vector<std::string> texts;
    const auto it = object.find(key);
    if (it == object.end()) return texts;
    if (!it->is_array()) throw LayoutError{std::string("\"") + key + "\" is not a list"};
    for (const json& t : *it) {
        if (!t.is_string()) throw LayoutError{std::string("\"") + key + "\" holds no text"};
        texts.push_back(t.get<std::string>());
    }
    return texts;
}

class ControlReader {
  public:
    explicit ControlReader(std::vector<Control>& out) : out_(out) {}

    void Read(const json& list, int parent) {
        if (!list.is_array()) throw LayoutError{"\"controls\" is not a list"};
        for (const json& item : list) ReadOne(item, parent);
    }

  private:
    void ReadOne(const json& item, int parent) {
        if (!item.is_object()) throw LayoutError{"a control is not an object"};
        Control c;
        const std::string kindName = Text(item, "kind");
        if (!KindFromName(kindName, c.kind))
            throw LayoutError{"unknown control kind \"" + kindName + "\""};
        c.use = Text(item, "use");
        c.feq = Number(item, "feq", 0);
        if (c.feq == 0) c.feq = ++next_;
        c.parent = parent;
        c.text = Text(item, "text");
        c.tip = Text(item, "tip");
        c.message = Text(item, "msg");
        c.icon = Text(item, "icon");
        c.picture = Text(item, "picture");
        c.value = Text(item, "value");
        c.screen = Text(item, "screen");
        const std::string action = Text(item, "std");
        if (!StdActionFromName(action, c.action))
            throw LayoutError{"unknown standard action \"" + action + "\""};
        c.at = RectOf(item);
        c.font = FontOf(item);
        c.hide = Flag(item, "hide");
        c.disable = Flag(item, "disable");
        c.readOnly = Flag(item, "readOnly");
        c.isDefault = Flag(item, "default");
        c.skip = Flag(item, "skip");
        c.password = Flag(item, "password");
        c.link = Flag(item, "link");
        c.locator = Number(item, "locator", 0);
        c.selected = Number(item, "selected", 0);
        if (const auto range = item.find("range"); range != item.end()) {
            if (!range->is_array() || range->size() != 2 || !(*range)[0].is_number_integer() ||
                !(*range)[1].is_number_integer())
                throw LayoutError{"\"range\" is not [low, high]"};
            c.rangeLow = IntOf((*range)[0], "range");
            c.rangeHigh = IntOf((*range)[1], "range");
        }
        c.step = Number(item, "step", 1);
        c.icons = Texts(item, "icons");
        if (const auto cols = item.find("columns"); cols != item.end()) {
            if (!cols->is_array()) throw LayoutError{"\"columns\" is not a list"};
            for (const json& col : *cols) {
                if (!col.is_object()) throw LayoutError{"a column is not an object"};
                ListColumn column{Text(col, "header"), Number(col, "width"), Flag(col, "icon"),
                                  true, Text(col, "picture")};
                if (col.contains("sortable")) column.sortable = Flag(col, "sortable");
                column.stretch = Flag(col, "stretch");
                column.align = AlignOf(Text(col, "align"));
                column.group = Text(col, "group");
                c.columns.push_back(std::move(column));
            }
        }
        for (const Control& other : out_)
            if (other.feq == c.feq)
                throw LayoutError{"control number " + std::to_string(c.feq) + " is used twice"};
        const int feq = c.feq;
        out_.push_back(std::move(c));
        if (const auto children = item.find("controls"); children != item.end())
            Read(*children, feq);
    }

    std::vector<Control>& out_;
    int next_ = 0;
};

WindowLayout ReadWindow(const json& w) {
    if (!w.is_object()) throw LayoutError{"the window is not an object"};
    WindowLayout layout;
    WindowProps& p = layout.props;
    const std::string type = Text(w, "type");
    if (type == "application")
        p.type = WindowType::Application;
    else if (type == "mdi")
        p.type = WindowType::Mdi;
    else if (type.empty() || type == "window")
        p.type = WindowType::Window;
    else
        throw LayoutError{"unknown window type \"" + type + "\""};
    p.caption = Text(w, "caption");
    p.noCaption = Flag(w, "noCaption");
    p.icon = Text(w, "icon");
    p.wallpaper = Text(w, "wallpaper");
    p.toolbarWallpaper = Text(w, "toolbarWallpaper");
    p.font = FontOf(w);
    p.charset = p.font.charset;  // -1: the program's default, chosen when the window opens
    p.at = RectOf(w);
    p.maximized = Flag(w, "maximized");
    p.resizable = !w.contains("resizable") || Flag(w, "resizable");
    if (const auto status = w.find("status"); status != w.end()) {
        if (!status->is_array()) throw LayoutError{"\"status\" is not a list of widths"};
        for (const json& width : *status) {
            if (!width.is_number_integer()) throw LayoutError{"a status width is no number"};
            p.statusWidths.push_back(IntOf(width, "status"));
        }
        p.statusTexts.assign(p.statusWidths.size(), {});
    }
    layout.timer = Number(w, "timer", 0);
    if (const auto controls = w.find("controls"); controls != w.end())
        ControlReader(layout.controls).Read(*controls, 0);
    return layout;
}

}  // namespace

std::optional<WindowLayout> ParseLayout(std::string_view text, std::string_view windowName,
                                        std::string* error) {
    const json document = json::parse(text, nullptr, false);
    auto fail = [&](std::string message) -> std::optional<WindowLayout> {
        if (error) *error = std::move(message);
        return std::nullopt;
    };
    if (document.is_discarded() || !document.is_object()) return fail("the layout is not JSON");
    const auto windows = document.find("windows");
    if (windows == document.end() || !windows->is_object())
        return fail("the layout has no \"windows\"");
    const auto window = windows->find(std::string(windowName));
    if (window == windows->end())
        return fail("the layout has no window \"" + std::string(windowName) + "\"");
    try {
        WindowLayout layout = ReadWindow(*window);
        layout.props.name = windowName;
        return layout;
    } catch (const LayoutError& e) {
        return fail(std::string(windowName) + ": " + e.text);
    } catch (const json::exception& e) {
        return fail(std::string(windowName) + ": " + e.what());
    }
}

std::optional<WindowLayout> LoadLayoutFile(const std::filesystem::path& file,
                                           std::string_view windowName, std::string* error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        if (error) *error = "cannot read " + file.string();
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string detail;
    auto layout = ParseLayout(text.str(), windowName, &detail);
    if (!layout && error) *error = file.filename().string() + ": " + detail;
    return layout;
}

std::optional<WindowLayout> LoadLayout(std::string_view resource, std::string_view windowName,
                                       std::string* error) {
    return LoadLayoutFile(LayoutPath(resource), windowName, error);
}

}  // namespace zem::ui
