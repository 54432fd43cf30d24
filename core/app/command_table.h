#pragma once
// The viewer's command vocabulary in one place: identifiers, menu texts, the string resource
// of each command (status prompt, a line break, tool tip), shortcuts, and the layouts of the
// main menu, the view's context menu and the toolbar. Menus, toolbar buttons, status prompts
// and tool tips are all built from these tables so that they cannot drift apart.
//
// Texts are UTF-8 and stand as the program has always shown them. One was stored with "/n"
// where its line break was meant (select all); it carries the line break here, so that the
// status bar shows its prompt alone and the tool tip is its own.

#include <span>
#include <string_view>

namespace mirelda {

namespace cmd {
// Application commands.
inline constexpr int kAbout = 57664;
inline constexpr int kPreviousArticle = 32773;
inline constexpr int kHomePage = 32774;
inline constexpr int kHistory = 32775;
inline constexpr int kBookmarkList = 32790;
inline constexpr int kSearchResults = 32792;
inline constexpr int kDefineBookmark = 32789;
inline constexpr int kAnnotation = 32793;
inline constexpr int kSearch = 32791;
inline constexpr int kSynchronise = 32788;
inline constexpr int kSelectAll = 32787;
inline constexpr int kToolTips = 32785;
inline constexpr int kAnnotationImage = 32795; // image holder of the toolbar, never a command
// Reading comfort: the text size.
inline constexpr int kZoomIn = 32810;
inline constexpr int kZoomOut = 32811;
inline constexpr int kZoomNormal = 32812;
// The standard commands (file, edit, window), at their customary ids.
inline constexpr int kNew = 57600;
inline constexpr int kOpen = 57601;
inline constexpr int kSave = 57603;
inline constexpr int kPrintSetup = 57606;
inline constexpr int kPrint = 57607;
inline constexpr int kPrintDirect = 57608;
inline constexpr int kPrintPreview = 57609;
inline constexpr int kCopy = 57634;
inline constexpr int kCut = 57635;
inline constexpr int kPaste = 57637;
inline constexpr int kFindNext = 57640; // repeats the last find: the next occurrence
inline constexpr int kFrameworkSelectAll = 57642;
inline constexpr int kUndo = 57643;
inline constexpr int kExit = 57665;
inline constexpr int kNextPane = 57680;
inline constexpr int kPreviousPane = 57681;
inline constexpr int kToolBar = 59392;
inline constexpr int kStatusBar = 59393;
} // namespace cmd

struct CommandInfo
{
    int id;
    std::string_view name;         // stable and unique: see CommandName
    std::string_view menuText;     // main menu; empty when the command has no menu item
    std::string_view contextText;  // context menu when it differs from menuText
    std::string_view resource;     // "status prompt\ntool tip"; empty when there is none
    std::string_view toolbarImage; // base name of the button image; empty when not on the toolbar

    std::string_view StatusPrompt() const; // the resource up to its line break
    std::string_view ToolTip() const;      // after the line break; empty without one
};

// A stable name for `id` ("copy", "previousArticle"...), used as the object name of its
// action so that tests, accessibility tools and style sheets can find it; empty for an
// unknown id.
std::string_view CommandName(int id);

// Every command the viewer knows, main-menu and accelerator-only ones alike.
std::span<const CommandInfo> Commands();
// The entry of `id`, or nullptr.
const CommandInfo* FindCommand(int id);

// Layouts: 0 stands for a separator.
struct MenuInfo
{
    std::string_view title;
    std::span<const int> items;
};
std::span<const MenuInfo> MainMenu();             // the frame's menu bar
std::string_view ContextMenuTitle();              // the title of the view's context menu
std::span<const int> ContextMenu();               // its items
std::span<const int> ToolBarButtons();            // the toolbar, including the image holder at the end
inline constexpr int kAnnotationButtonIndex = 15; // button whose image follows the annotation
inline constexpr int kAnnotationHolderIndex = 18; // removed once its image has been read

struct Accelerator
{
    std::string_view keys; // in QKeySequence's portable text form
    int command;
};
std::span<const Accelerator> Accelerators(); // the frame's keyboard shortcuts

// The caption of the toolbar when it floats and the texts of the status bar's lock panes.
inline constexpr std::string_view kToolBarTitle = "Outils de visualisation";
inline constexpr std::string_view kCapsLockPane = "MAJ";
inline constexpr std::string_view kNumLockPane = "NUM";
inline constexpr std::string_view kScrollLockPane = "DEF";

} // namespace mirelda
