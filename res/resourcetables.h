#pragma once

#include <span>
#include <string_view>

// The program's menus, toolbars, accelerators and command strings as data, read by the main frame
// to build its actions, menus and bars. Plain C++: tests read them without a window.
namespace ResourceTables {

// A command's string: its status-bar prompt and its tooltip.
struct CommandString {
    int id;
    std::string_view prompt;
    std::string_view tooltip;
};

// One menu item: a command with its text ("&" marks the mnemonic), a separator (id 0), or the place
// of the list of open windows (id kWindowList).
struct MenuItem {
    int id;
    std::string_view text;
};
constexpr int kWindowList = -1;

struct Menu {
    std::string_view title;
    std::span<const MenuItem> items;
};

// A key and the command it issues, in Qt's portable key text ("Ctrl+O", "Shift+Del").
struct Accelerator {
    std::string_view keys;
    int command;
};

std::span<const CommandString> CommandStrings();
// Null when the id has no string.
const CommandString* FindCommandString(int id);
// The popups of menu 110, 127 or 153, left to right; empty for any other id.
std::span<const Menu> MenuBar(int menuId);
// The items of a popup of menu 122 ("Shell Folder", "Shell File", "Snapshot"); empty for any other
// title.
std::span<const MenuItem> ContextMenu(std::string_view title);
// The buttons of toolbar 110, 123, 143 or 151, left to right, separators as 0.
std::span<const int> Toolbar(int toolbarId);
std::span<const Accelerator> Accelerators();
// A string of the string table that is not a command's: the title (57344), "Ready" (57345),
// "Comparing ..." (61216). Empty for any other id.
std::string_view String(int id);

} // namespace ResourceTables
