#pragma once

// The numeric ids of the program's resources: commands, menus, toolbars, dialogs, bars, icons and
// strings. The code uses these numbers directly; dialog controls carry theirs as objectName.
namespace Res {

// Menus, toolbars, accelerator table and the document templates that carry them.
constexpr int kMainFrame = 110;  // menu, toolbar "Standard", accelerators, program icon, title string
constexpr int kViewType = 127;   // menu while a viewer window is active
constexpr int kCompType = 153;   // menu while a compare window is active
constexpr int kCompareBar = 123; // the compare bar's toolbar
constexpr int kMenuImages = 143; // images of window and view commands in menus
constexpr int kContextMenus = 122;
constexpr int kSnapshotImages = 151;

// Dialogs.
constexpr int kAboutDialog = 100;
constexpr int kDescriptionDialog = 101;
constexpr int kDefaultSettingsDialog = 133;
constexpr int kCompareSettingsDialog = 160;

// Icons beyond the program's own (kMainFrame).
constexpr int kCompareIcon = 147;
constexpr int kUpIcon = 148;

// Commands.
constexpr int kSelectTarget1 = 32789;
constexpr int kSelectTarget2 = 32810;
constexpr int kRename = 32819;
constexpr int kDelete = 32792;
constexpr int kDefaultSettings = 32821;
constexpr int kSnapshot = 32822;
constexpr int kDescription = 32823;
constexpr int kHelpContents = 33000;
constexpr int kWebPage = 33001;
constexpr int kPaneView = 33006;
constexpr int kShellExecute = 33011;
constexpr int kCompare = 33013;
constexpr int kView = 33015;
constexpr int kMoreColumns = 33019;
constexpr int kLessColumns = 33020;
constexpr int kSaveLog = 33026;
constexpr int kViewAnsi = 33028;
constexpr int kPreviousChange = 33029;
constexpr int kNextChange = 33030;
constexpr int kGoToOffset = 33040;
constexpr int kCopyText = 33041;
constexpr int kFind = 33042;
constexpr int kFindNext = 33043;
constexpr int kFindPrevious = 33044;
constexpr int kSelectAll = 33045;
constexpr int kMenuImage32802 = 32802;

// The framework's commands.
constexpr int kFileNew = 57600;
constexpr int kFileOpen = 57601;
constexpr int kFileClose = 57602;
constexpr int kFileSave = 57603;
constexpr int kEditCopy = 57634;
constexpr int kEditCut = 57635;
constexpr int kEditPaste = 57637;
constexpr int kEditUndo = 57643;
constexpr int kWindowNew = 57648;
constexpr int kWindowArrange = 57649;
constexpr int kWindowCascade = 57650;
constexpr int kWindowTile = 57651;
constexpr int kAppAbout = 57664;
constexpr int kAppExit = 57665;
constexpr int kNextPane = 57680;
constexpr int kPrevPane = 57681;

// Commands of the panes' context menus (snapshot manager, file list).
constexpr int kPaneRename = 33008;
constexpr int kPaneSnapshot = 33014;
constexpr int kPaneRefresh = 33017;
constexpr int kPaneSelectTarget1 = 33021;
constexpr int kPaneSelectTarget2 = 33023;
constexpr int kPaneShellExecute = 33012;
constexpr int kPaneDescription = 32831;
constexpr int kPaneDelete = 33010;

// Bars and panes.
constexpr int kStandardToolbar = 59392;
constexpr int kStatusBar = 59393;
constexpr int kMenuBar = 59398;
constexpr int kBrowser1 = 59403;
constexpr int kBrowser2 = 59404;
constexpr int kSnapshotManager = 59406;
constexpr int kDifferencesList = 59410;
constexpr int kCompareBarId = 59407;
constexpr int kCompareButton = 59409;
constexpr int kSnapshotList = 59405;
constexpr int kLogoIndicator = 33004;
// The hex views' own scroll bars.
constexpr int kHorzScrollBar = 128;
constexpr int kVertScrollBar = 129;

// Strings.
constexpr int kAppTitle = 57344;    // "Dyadmon v3.0"
constexpr int kIdleMessage = 57345; // "Ready"
constexpr int kComparing = 61216;   // "Comparing ..."

} // namespace Res
