// The plain callbacks the Designer hands to every page, and the handler
// types of the extra context-menu items of pages and areas.
#pragma once

#include "platform/types.h"

class CTemplatePage;
class CTemplateTool;

// Returns the tool-manager index of the area tool armed in the Designer's
// palette, or a negative value when none is armed, and lets the palette fall
// back to its resting tool. Writes 0 to the integer when the pointer is given.
using PendingToolFn = int (*)(int* out);
// Tells the Designer that the template changed.
using ChangedFn = void (*)();
// Makes the Designer fill the page's activeMargins and shownMargins from its
// printer-margin settings.
using MarginsFn = BOOL (*)(CTemplatePage* page);

// Handlers of the extra context-menu items (commands 5006 to 5021).
using PageMenuHandler = void (*)(CTemplatePage* page);
using ToolMenuHandler = void (*)(CTemplateTool* tool);

// Command ids of the page and area context menus.
inline constexpr unsigned ID_MENU_FIRST = 5001;   // properties
inline constexpr unsigned ID_MENU_SECOND = 5002;  // page: link; area: forward
inline constexpr unsigned ID_MENU_THIRD = 5003;   // page: cut; area: backward
inline constexpr unsigned ID_MENU_FOURTH = 5004;  // page: copy; area: to front
inline constexpr unsigned ID_MENU_FIFTH = 5005;   // page: paste; area: to back
inline constexpr unsigned ID_MENU_EXTRA_FIRST = 5006;
inline constexpr int MAX_EXTRA_MENU_ITEMS = 16;  // 5006 to 5021
