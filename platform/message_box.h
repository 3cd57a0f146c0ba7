// Message boxes shown through the window host (QMessageBox in the Designer,
// a recorded script in the headless host).
#pragma once

#include <string_view>

#include "platform/types.h"

namespace platform {

class Window;
class WindowHost;

// Button sets, icons and default buttons (combined with |).
enum : UINT {
    MB_OK = 0x0000,
    MB_OKCANCEL = 0x0001,
    MB_ABORTRETRYIGNORE = 0x0002,
    MB_YESNOCANCEL = 0x0003,
    MB_YESNO = 0x0004,
    MB_RETRYCANCEL = 0x0005,
    MB_TYPEMASK = 0x000F,
    MB_ICONHAND = 0x0010,
    MB_ICONERROR = MB_ICONHAND,
    MB_ICONSTOP = MB_ICONHAND,
    MB_ICONQUESTION = 0x0020,
    MB_ICONEXCLAMATION = 0x0030,
    MB_ICONWARNING = MB_ICONEXCLAMATION,
    MB_ICONASTERISK = 0x0040,
    MB_ICONINFORMATION = MB_ICONASTERISK,
    MB_ICONMASK = 0x00F0,
    MB_DEFBUTTON1 = 0x0000,
    MB_DEFBUTTON2 = 0x0100,
    MB_DEFBUTTON3 = 0x0200,
    MB_DEFMASK = 0x0F00,
};

// Answers.
enum : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
};

// Shows a message box through the owner's host, or through the default host
// when there is no owner. Returns the answer; an answer that is not one of
// the box's buttons becomes its default button. Returns 0 (and writes the text
// to the debug output) when there is no host to show it.
int MessageBox(Window* owner, std::string_view text, std::string_view caption = {},
               UINT type = MB_OK);

// The host used for message boxes without an owner (and for cursors when no
// window manager has handled input yet). Returns the previous one.
WindowHost* SetDefaultHost(WindowHost* host);
WindowHost* GetDefaultHost();

// Whether `answer` is one of the buttons of the box type; the default button.
bool IsMessageBoxAnswer(UINT type, int answer);
int DefaultMessageBoxAnswer(UINT type);

}  // namespace platform
