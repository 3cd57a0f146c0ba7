// Shared by the fuzz targets: private registry hives and the page set-up of
// the page-style targets.
#pragma once

#include <cstdlib>
#include <string>

#include <unistd.h>

namespace fuzzsupport {

// Points the registry at private hives in a new temporary folder unless the
// environment already names hives (ctest and `make fuzz` do), so that no
// target ever reads or writes the user's own settings.
inline void EnsurePrivateHives() {
    const char* user = std::getenv("CORVANTIS_USER_REGISTRY");
    const char* machine = std::getenv("CORVANTIS_MACHINE_REGISTRY");
    if (user != nullptr && *user != '\0' && machine != nullptr && *machine != '\0')
        return;
    const char* tmp = std::getenv("TMPDIR");
    std::string dir =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/cv-fuzz-XXXXXX";
    if (::mkdtemp(dir.data()) == nullptr)
        std::abort();
    ::setenv("CORVANTIS_USER_REGISTRY", (dir + "/user.reg").c_str(), 1);
    ::setenv("CORVANTIS_MACHINE_REGISTRY", (dir + "/machine.reg").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
}

}  // namespace fuzzsupport
