// The callbacks a test or fuzz target creates a page with, in place of the
// Designer's: no tool waiting to be placed, a count of change notifications
// (reset by the fixture), margins always fine. Header-only; needs no test
// framework.
#pragma once

#include "framework/template_page.h"

namespace pagecallbacks {

inline int g_changed = 0;
inline int NoPendingTool(int* out) {
    if (out != nullptr)
        *out = 0;
    return -1;
}
inline void Changed() {
    ++g_changed;
}
inline BOOL NoMargins(CTemplatePage*) {
    return TRUE;
}

}  // namespace pagecallbacks
