// Message boxes through the window host.
#include "platform/message_box.h"

#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "platform/window.h"
#include "platform/window_host.h"

namespace platform {

namespace {
WindowHost* g_defaultHost = nullptr;

// The buttons of a box type, left to right.
std::vector<int> Buttons(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE:
            return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL:
            return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO:
            return {IDYES, IDNO};
        case MB_RETRYCANCEL:
            return {IDRETRY, IDCANCEL};
        default:
            return {IDOK};
    }
}
}  // namespace

WindowHost* SetDefaultHost(WindowHost* host) {
    WindowHost* old = g_defaultHost;
    g_defaultHost = host;
    return old;
}

WindowHost* GetDefaultHost() {
    return g_defaultHost;
}

bool IsMessageBoxAnswer(UINT type, int answer) {
    for (int b : Buttons(type)) {
        if (b == answer)
            return true;
    }
    return false;
}

int DefaultMessageBoxAnswer(UINT type) {
    std::vector<int> buttons = Buttons(type);
    size_t index = (type & MB_DEFMASK) >> 8;
    return buttons[index < buttons.size() ? index : 0];
}

int MessageBox(Window* owner, std::string_view text, std::string_view caption, UINT type) {
    WindowHost* host = owner && owner->IsWindow() ? owner->GetHost() : nullptr;
    if (!host)
        host = g_defaultHost;
    if (!host) {
        DebugOutput::Write("MessageBox without a host: " + std::string(caption) + ": " +
                           std::string(text));
        return 0;
    }
    int answer =
        host->ShowMessageBox(owner && owner->IsWindow() ? owner : nullptr, text, caption, type);
    return IsMessageBoxAnswer(type, answer) ? answer : DefaultMessageBoxAnswer(type);
}

}  // namespace platform
