#pragma once
// The controls of a window model and their properties. A window's procedure owns the model and
// changes it on its own thread; the display mirrors it. Texts are bytes in the window's
// character set (code page 1252 or Shift-JIS); only the display decodes them.
#include <string>
#include <string_view>
#include <vector>

namespace zem::ui {

enum class ControlKind {
    Sheet,
    Tab,
    Prompt,
    Entry,
    Text,     // multi-line entry
    String,   // fixed text
    Display,  // read-only field shown like an entry
    Button,
    Check,
    Option,
    Radio,
    Spin,
    Group,
    Box,
    Image,
    Progress,
    List,
    DropList,
    Tree,
    MenuBar,
    Menu,
    Item,
    Separator,
    Toolbar,
};

// False when name is no kind's name.
bool KindFromName(std::string_view name, ControlKind& kind);

// The framework's own handling a menu item or button may carry.
enum class StdAction {
    None,
    Close,
    Cut,
    Copy,
    Paste,
    Tile,
    Cascade,
    Arrange,
    PrintSetup,
    HelpIndex,
    HelpSearch,
    HelpOnHelp,
};

std::string_view StdActionName(StdAction action);
bool StdActionFromName(std::string_view name, StdAction& action);

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Font {
    std::string name;
    int size = 0;
    int charset = -1;  // -1: the window's
    bool bold = false;
    friend bool operator==(const Font&, const Font&) = default;
};

// Where a list column's cells stand in their room.
enum class ColumnAlign : unsigned char { Left, Center, Right };

struct ListColumn {
    std::string header;
    int width = 0;
    bool icon = false;  // the cell holds an icon number (1-based into the control's icons)
    bool sortable = true;
    std::string picture;  // how the cells show their values ("n_10", "d17", "s255")
    // The column shares the room the list has beyond the other columns' widths, so a list that
    // grows gives it more; the others keep their widths.
    bool stretch = false;
    ColumnAlign align = ColumnAlign::Left;
    // A header the column shares with its neighbours of the same group ("Prices" over three
    // price columns); empty for none.
    std::string group;
    friend bool operator==(const ListColumn&, const ListColumn&) = default;
};

struct ListRow {
    std::vector<std::string> cells;
    int level = 1;  // tree lists: depth from 1
    // Tree lists: the row has children that are not listed now; it shows a closed expander.
    bool contracted = false;
    // The icon shown before the first column's text, from 1 in the control's icons; 0 none.
    int icon = 0;
    friend bool operator==(const ListRow&, const ListRow&) = default;
};

// One entry of a pop-up menu; a separator has no text.
struct PopupItem {
    std::string text;  // "&Select": the '&' marks the item's key
    std::string icon;
    bool enabled = true;
    bool separator = false;
    friend bool operator==(const PopupItem&, const PopupItem&) = default;
};

// A pop-up menu shown at the pointer for one control. The choice comes back to the window as
// a pop-up-chosen event of that control with the item's number (from 1, separators counted);
// a menu closed without a choice sends nothing.
struct PopupMenu {
    int control = 0;
    std::vector<PopupItem> items;
    friend bool operator==(const PopupMenu&, const PopupMenu&) = default;
};

// Mouse buttons and keys an alert names; values are the framework's key codes.
namespace key {
inline constexpr int MouseLeft = 0x01;
inline constexpr int MouseRight = 0x02;
inline constexpr int MouseLeft2 = 0x05;
inline constexpr int Tab = 0x09;
inline constexpr int Enter = 0x0D;
inline constexpr int Escape = 0x1B;
inline constexpr int Left = 0x25;
inline constexpr int Right = 0x27;
inline constexpr int Delete = 0x2E;
inline constexpr int PadPlus = 0x6B;
inline constexpr int PadMinus = 0x6D;
inline constexpr int F1 = 0x70;
inline constexpr int CtrlEnter = 0x20D;  // Ctrl adds 0x200
inline constexpr int CtrlH = 0x248;
}  // namespace key

struct Control {
    int feq = 0;  // the control's number: its place in equate order, or a fixed number
    ControlKind kind = ControlKind::String;
    std::string use;  // "?OK", "?SYS:PROXY"
    int parent = 0;   // the feq of the sheet, tab, group, option, menu or toolbar it belongs to

    std::string text;     // caption, prompt, button or item text
    std::string tip;      // tool tip
    std::string message;  // status bar text while the control is highlighted
    int tipCharset = -1;  // of tip and message; -1: as the control's text
    std::string icon;
    std::string picture;  // the display picture of a field ("s20", "n-14") or an image file
    std::string value;    // radios: the value the option takes when this radio is chosen
    StdAction action = StdAction::None;
    Rect at;
    Font font;

    bool hide = false;
    bool disable = false;
    bool readOnly = false;
    bool isDefault = false;  // the window's default button
    bool skip = false;       // left out of the tab order
    bool password = false;   // an entry that shows a mark for each character it holds
    // A fixed text that is a link: shown as links are, a click on it is its acceptance, and the
    // pointer entering and leaving it are reported to the window.
    bool link = false;

    int rangeLow = 0, rangeHigh = 0, step = 1;  // spin boxes and progress bars

    std::vector<ListColumn> columns;  // lists, drop lists and trees
    std::vector<ListRow> rows;
    std::vector<std::string> icons;  // icon names a list's icon cells number from 1
    // A list's step locator: the column (from 1) in which a typed character finds its row; 0
    // for none.
    int locator = 0;

    // What the control shows: an entry's text, a check box "1"/"0", an option's radio value, a
    // spin box's text, a progress bar's position. For lists, sheets and drop lists the chosen
    // row or tab counts from 1 in `selected` (0: none).
    std::string screen;
    int selected = 0;
    // Lists: the cell the user edits in place now, from 1 (0: none). Each edit the user ends
    // comes back as a cell-edited event; the cell stays open until the window moves or ends it.
    int editRow = 0;
    int editColumn = 0;
    // Lists: the column the rows are sorted by, from 1, as the header shows it (0: an order
    // no column shows).
    int sortColumn = 0;
    bool sortDescending = false;

    friend bool operator==(const Control&, const Control&) = default;
};

}  // namespace zem::ui
