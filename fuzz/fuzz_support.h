// Shared by the fuzz targets: private registry hives.
#pragma once

#include <cstdlib>

#include "platform/testing/temp_hives.h"

namespace fuzzsupport {

// Points the registry at private hives in a new temporary folder unless the
// environment already names hives (ctest and `make fuzz` do), so that no
// target ever reads or writes the user's own settings. The hives last for the
// whole run.
inline void EnsurePrivateHives() {
    const char* user = std::getenv("CORVANTIS_USER_REGISTRY");
    const char* machine = std::getenv("CORVANTIS_MACHINE_REGISTRY");
    if (user != nullptr && *user != '\0' && machine != nullptr && *machine != '\0')
        return;
    static platform::TempHives* hives = new platform::TempHives;
    ::setenv("XDG_CONFIG_HOME", (hives->Dir() + "/config").c_str(), 1);
}

}  // namespace fuzzsupport
