#include "res/resourcetables.h"

#include <algorithm>
#include <array>

#include "res/resource.h"

namespace ResourceTables {

namespace {

using namespace Res;

constexpr CommandString kCommandStrings[] = {
    {kCompare, "Compare the selected files", "Compare"},
    {kCompareButton, "Compare the selected files", "Compare"},
    {kSelectTarget1, "Select current file as target 1 file", "Select as target 1"},
    {kSelectTarget2, "Select current file as target 2 file", "Select as target 2"},
    {kRename, "Rename the selected file", "Rename"},
    {kDelete, "Delete the selected file", "Delete"},
    {kDefaultSettings, "Change the default settings", "Settings"},
    {kView, "View the selected file", "View"},
    // The snapshot manager's context-menu View, whose image toolbar 143 carries.
    {kPaneView, "View the selected file", "View"},
    {kShellExecute, "Execute the selected file by shell", "Execute"},
    {kPaneSelectTarget1, "Select the item as target 1 file", "Select as target 1"},
    {kPaneSelectTarget2, "Select the item as target 2 file", "Select as target 2"},
    {kPaneShellExecute, "Open the item with the desktop's program for its type", "Shell Execute"},
    {kPaneDescription, "Edit the snapshot's description", "Edit description"},
    {kPaneDelete, "Delete the selected items", "Delete"},
    {kPaneRefresh, "Show the folder's files again", "Refresh"},
    {kPaneSnapshot, "Make a snapshot of the selected file", "Snapshot"},
    {kPaneRename, "Rename the selected file", "Rename"},
    {kSnapshot, "Make a snapshot of the file", "Snapshot"},
    {kDescription, "Edit the file's description", "Description"},
    {kHelpContents, "Display the contents of online help", "Help contents"},
    {kWebPage, "Visit web page of dyadmon", "Visit web page"},
    {kViewAnsi, "Show or hide the ANSI character column", "Toggle ANSI"},
    {kLessColumns, "Show less columns", "Less columns"},
    {kMoreColumns, "Show more columns", "More columns"},
    {kSaveLog, "Save compare result to a log file", "Save to log file"},
    {kPreviousChange, "Move to previous different place", "Move to previous"},
    {kGoToOffset, "Show the row that holds a byte at a given offset", "Go to offset"},
    {kNextChange, "Move to next different place", "Move to next"},
    {kCopyText, "Copy the selection as the characters column shows it", "Copy as text"},
    {kSelectAll, "Select every byte of the file the caret is in", "Select all"},
    {kFind, "Find bytes or text in the file", "Find"},
    {kFindNext, "Find the next match", "Find next"},
    {kFindPrevious, "Find the previous match", "Find previous"},
    {kDifferencesList, "Show or hide the list of differences", "Differences"},
    {kBrowser1, "Show or hide Browser 1", "Browser 1"},
    {kBrowser2, "Show or hide Browser 2", "Browser 2"},
    {kSnapshotManager, "Show or hide the Snapshot Manager", "Snapshot Manager"},
    {kFileNew, "Create a new document", "New"},
    {kFileOpen, "Open an existing document", "Open"},
    {kFileClose, "Close the active document", "Close"},
    {kFileSave, "Save the active document", "Save"},
    {kEditCopy, "Copy the selection to the clipboard", "Copy"},
    {kEditCut, "Cut the selection to the clipboard", "Cut"},
    {kEditPaste, "Insert the clipboard contents", "Paste"},
    {kEditUndo, "Undo the last action", "Undo"},
    {kWindowNew, "Open another window for the active document", "New Window"},
    {kWindowArrange, "Arrange the icons of minimised windows", "Arrange Icons"},
    {kWindowCascade, "Arrange the windows so they overlap", "Cascade Windows"},
    {kWindowTile, "Arrange the windows as tiles that do not overlap", "Tile Windows"},
    {kAppAbout, "Display program information, version number and copyright", "About"},
    {kAppExit, "Quit the application", "Exit"},
    {kNextPane, "Switch to the next window pane", "Next Pane"},
    {kPrevPane, "Switch back to the previous window pane", "Previous Pane"},
};

// Later menus grow from earlier ones by appending, so they are built by joining rather than retyped.
template <std::size_t N, std::size_t M>
constexpr std::array<MenuItem, N + M> Join(const std::array<MenuItem, N>& head,
                                           const std::array<MenuItem, M>& tail) {
    std::array<MenuItem, N + M> joined{};
    std::copy(head.begin(), head.end(), joined.begin());
    std::copy(tail.begin(), tail.end(), joined.begin() + N);
    return joined;
}

constexpr std::array<MenuItem, 11> kFileItems{{
    {kSelectTarget1, "Select as target &1"},
    {kSelectTarget2, "Select as target &2"},
    {kFileClose, "Close"},
    {0, ""},
    {kRename, "Rename"},
    {kDelete, "Delete"},
    {0, ""},
    {kDefaultSettings, "Default settings..."},
    {kSaveLog, "Save to log file..."},
    {0, ""},
    {kAppExit, "E&xit"},
}};

constexpr std::array<MenuItem, 6> kActionItems{{
    {kView, "View"},
    {kCompare, "Compare"},
    {kShellExecute, "Shell execute"},
    {0, ""},
    {kSnapshot, "Snapshot"},
    {kDescription, "Edit decription"},
}};

constexpr std::array<MenuItem, 3> kViewItemsNoDocument{{
    {kBrowser1, "Browser 1"},
    {kBrowser2, "Browser 2"},
    {kSnapshotManager, "Snapshot manager"},
}};

constexpr auto kViewItemsViewer = Join(kViewItemsNoDocument, std::array<MenuItem, 4>{{
                                                                 {0, ""},
                                                                 {kViewAnsi, "View ANSI"},
                                                                 {kLessColumns, "Less columns"},
                                                                 {kMoreColumns, "More columns"},
                                                             }});

constexpr auto kViewItemsCompare =
    Join(Join(kViewItemsNoDocument, std::array<MenuItem, 1>{{{kDifferencesList, "&Differences"}}}),
         std::array<MenuItem, 7>{{
             {0, ""},
             {kViewAnsi, "View ANSI"},
             {kLessColumns, "Less columns"},
             {kMoreColumns, "More columns"},
             {0, ""},
             {kPreviousChange, "Previous change"},
             {kNextChange, "Next change"},
         }});

constexpr std::array<MenuItem, 9> kEditItems{{
    {kEditCopy, "&Copy"},
    {kCopyText, "Copy as &text"},
    {kSelectAll, "Select &all"},
    {0, ""},
    {kFind, "&Find..."},
    {kFindNext, "Find &next"},
    {kFindPrevious, "Find &previous"},
    {0, ""},
    {kGoToOffset, "&Go to offset..."},
}};

constexpr std::array<MenuItem, 5> kWindowItems{{
    {kWindowCascade, "&Cascade"},
    {kWindowTile, "&Tile"},
    {kWindowArrange, "&Arrange Icons"},
    {0, ""},
    {kWindowList, ""},
}};

constexpr std::array<MenuItem, 4> kHelpItems{{
    {kHelpContents, "Contents"},
    {kWebPage, "Web page"},
    {0, ""},
    {kAppAbout, "&About"},
}};

// Menu 122: the popups the panes show on a right click.
constexpr std::array<MenuItem, 8> kSnapshotItems{{
    {kPaneSelectTarget1, "Select as target 1"},
    {kPaneSelectTarget2, "Select as target 2"},
    {0, ""},
    {kPaneView, "View"},
    {kPaneShellExecute, "Shell Execute"},
    {0, ""},
    {kPaneDescription, "Edit description"},
    {kPaneDelete, "Delete"},
}};

constexpr std::array<MenuItem, 1> kShellFolderItems{{
    {kPaneRefresh, "Refresh"},
}};

constexpr std::array<MenuItem, 9> kShellFileItems{{
    {kPaneSelectTarget1, "Select as target 1"},
    {kPaneSelectTarget2, "Select as target 2"},
    {0, ""},
    {kPaneView, "View"},
    {kPaneShellExecute, "Shell Execute"},
    {kPaneSnapshot, "Snapshot"},
    {0, ""},
    {kPaneRename, "Rename"},
    {kPaneDelete, "Delete"},
}};

constexpr Menu kContextMenus[] = {
    {"Shell Folder", kShellFolderItems},
    {"Shell File", kShellFileItems},
    {"Snapshot", kSnapshotItems},
};

constexpr Menu kMenuNoDocument[] = {
    {"&File", kFileItems},
    {"Action", kActionItems},
    {"&View", kViewItemsNoDocument},
    {"&Help", kHelpItems},
};

constexpr Menu kMenuViewer[] = {
    {"&File", kFileItems},       {"&Edit", kEditItems},     {"Action", kActionItems},
    {"&View", kViewItemsViewer}, {"&Window", kWindowItems}, {"&Help", kHelpItems},
};

constexpr Menu kMenuCompare[] = {
    {"&File", kFileItems},        {"&Edit", kEditItems},     {"Action", kActionItems},
    {"&View", kViewItemsCompare}, {"&Window", kWindowItems}, {"&Help", kHelpItems},
};

constexpr int kStandardButtons[] = {
    kView,         kCompare,     kShellExecute, 0, kSnapshot,       kDescription, 0,
    kLessColumns,  kMoreColumns, kViewAnsi,     0, kPreviousChange, kNextChange,  0,
    kHelpContents,
};

constexpr int kCompareBarButtons[] = {kCompareButton};

constexpr int kMenuImageButtons[] = {kWindowNew, kWindowCascade, kWindowTile, kMenuImage32802, kPaneView};

constexpr int kSnapshotImageButtons[] = {kPaneView, kPaneShellExecute, kPaneSnapshot, kPaneDescription};

constexpr Accelerator kAccelerators[] = {
    {"Ctrl+O", kFileOpen},
    {"Ctrl+N", kFileNew},
    {"Ctrl+S", kFileSave},
    {"Ctrl+Z", kEditUndo},
    {"Alt+Backspace", kEditUndo},
    {"Shift+Del", kEditCut},
    {"Ctrl+Ins", kEditCopy},
    {"Shift+Ins", kEditPaste},
    {"F6", kNextPane},
    {"Shift+F6", kPrevPane},
    {"Ctrl+G", kGoToOffset},
    {"Ctrl+C", kEditCopy},
    {"Ctrl+Shift+C", kCopyText},
    {"Ctrl+F", kFind},
    {"F3", kFindNext},
    {"Shift+F3", kFindPrevious},
};

} // namespace

std::span<const CommandString> CommandStrings() {
    return kCommandStrings;
}

const CommandString* FindCommandString(int id) {
    const auto* found = std::find_if(std::begin(kCommandStrings), std::end(kCommandStrings),
                                     [id](const CommandString& s) { return s.id == id; });
    return found == std::end(kCommandStrings) ? nullptr : found;
}

std::span<const Menu> MenuBar(int menuId) {
    switch (menuId) {
    case kMainFrame:
        return kMenuNoDocument;
    case kViewType:
        return kMenuViewer;
    case kCompType:
        return kMenuCompare;
    default:
        return {};
    }
}

std::span<const MenuItem> ContextMenu(std::string_view title) {
    for (const Menu& menu : kContextMenus) {
        if (menu.title == title) {
            return menu.items;
        }
    }
    return {};
}

std::span<const int> Toolbar(int toolbarId) {
    switch (toolbarId) {
    case kMainFrame:
        return kStandardButtons;
    case kCompareBar:
        return kCompareBarButtons;
    case kMenuImages:
        return kMenuImageButtons;
    case kSnapshotImages:
        return kSnapshotImageButtons;
    default:
        return {};
    }
}

std::span<const Accelerator> Accelerators() {
    return kAccelerators;
}

std::string_view String(int id) {
    switch (id) {
    case kAppTitle:
        return "Dyadmon v3.0";
    case kIdleMessage:
        return "Ready";
    case kComparing:
        return "Comparing ...";
    default:
        return {};
    }
}

} // namespace ResourceTables
