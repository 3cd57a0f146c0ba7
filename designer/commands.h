// The Designer's command table: one row per command with everything the
// frame needs to show and run it. The menus, the toolbars and both command
// dispatchers (the main frame's and the template view's) are built from it,
// so a new command is a new row.
#pragma once

#include <span>
#include <string>

class CMainFrame;
class QIcon;
class CXMLEditorView;

// Who carries a command out: the main frame, or the active template view.
enum class CommandScope { kFrame, kView };

// The toolbar a command's button sits on.
enum class CommandBar { kNone, kMain, kArrange };

// What a predicate or handler works on. For a frame command `view` is the
// active template view (null when no template is open); for a view command
// it is the view that runs it, and `frame` may be null.
struct CommandContext {
    CMainFrame* frame = nullptr;
    CXMLEditorView* view = nullptr;
    unsigned id = 0;
};

using CommandPredicate = bool (*)(const CommandContext&);
using CommandHandler = void (*)(const CommandContext&);

struct CommandRow {
    unsigned id = 0;
    // The menu holding the item: a top-level menu title, or "title/submenu"
    // for an item of a submenu; null for a command without a menu item.
    // Items appear in table order; a separator falls where the group number
    // changes within one top-level menu.
    const char* menu = nullptr;
    int menuGroup = 0;
    // The item's text; null takes the tooltip.
    const char* text = nullptr;
    // The shortcut in QKeySequence's portable form; null for none.
    const char* accelerator = nullptr;
    // The status-bar prompt, then "\n" and the tooltip (the tooltip is also
    // the label under a main-toolbar image); null for none.
    const char* prompt = nullptr;
    // The name of the toolbar image in the icons resource (":/icons/<name>.png").
    const char* icon = nullptr;
    // The toolbar and the position on it: buttons go in ascending slot order;
    // a gap falls where the tens of the slot change.
    CommandBar bar = CommandBar::kNone;
    int barSlot = 0;
    CommandScope scope = CommandScope::kFrame;
    // The item carries a check mark.
    bool checkable = false;
    // Whether the command is available now; null: never (not built yet).
    CommandPredicate enabled = nullptr;
    // Carries the command out; null: the command is not handled.
    CommandHandler handler = nullptr;
};

// Every command, in menu order.
std::span<const CommandRow> DesignerCommands();
// The row of a command id; null for an unknown id.
const CommandRow* FindCommand(unsigned id);

// The status-bar prompt of a command (the text before "\n") and its tooltip
// (the last line), both empty when the command has no prompt.
std::string CommandPrompt(unsigned id);
std::string CommandTooltip(unsigned id);

// The toolbar image of a command (16 x 15, from the icons resource); a null
// icon when the row names none.
QIcon CommandIcon(const CommandRow& row);
