// The text tool's resources: its string table and its images (embedded PNG
// data), looked up by the resource ids the tool and its dialogs use.
#pragma once

#include "platform/cursor.h"
#include "platform/dc.h"

namespace textres {

// Strings.
inline constexpr int IDS_TOOL_NAME = 1;        // "Text"
inline constexpr int IDS_MENU_PROPERTIES = 2;  // "&Properties..."
inline constexpr int IDS_MENU_FORWARD = 3;     // "Move Forward"
inline constexpr int IDS_MENU_BACKWARD = 4;    // "Move Back"
inline constexpr int IDS_MENU_TO_FRONT = 5;    // "Move to Front"
inline constexpr int IDS_MENU_TO_BACK = 6;     // "Move to Back"
inline constexpr int IDS_JUSTIFY_LEFT = 7;
inline constexpr int IDS_JUSTIFY_CENTER = 8;
inline constexpr int IDS_JUSTIFY_RIGHT = 9;
inline constexpr int IDS_FORMAT_FIRST = 10;       // "%f" ... 21 "%k"
inline constexpr int IDS_DEFAULT_FACE = 22;       // "Arial"
inline constexpr int IDS_FORMAT_PAGE_COUNT = 23;  // "%n"
inline constexpr int IDS_SETTINGS_KEY = 24;       // the Designer's registry key

// Images.
inline constexpr int IDI_TOOL = 12000;         // 16 x 16 tool icon
inline constexpr int IDB_PLACEHOLDER = 12001;  // 16 x 16 placeholder of an empty area
inline constexpr int IDI_ROTATE_NONE = 12008;  // rotation icons of the Enter Text dialog
inline constexpr int IDI_ROTATE_90 = 12009;
inline constexpr int IDI_ROTATE_180 = 12010;
inline constexpr int IDI_ROTATE_270 = 12011;
inline constexpr int IDC_TOOL = 12015;  // the tool's cursor

// The string with this id; "" for an id the table does not hold.
const char* LoadString(int id);

// The icon or cursor with this id, made once and shared by the whole module
// (never destroyed by callers); null for an unknown id.
platform::HICON LoadIcon(int id);
platform::HCURSOR LoadCursor(int id);
// A fresh copy of the bitmap with this id; empty for an unknown id.
platform::Bitmap LoadBitmap(int id);

}  // namespace textres
