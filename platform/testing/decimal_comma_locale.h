// Test support: switches LC_NUMERIC to a German locale (decimal comma) for
// the lifetime of the object, so tests can show that file formats do not
// follow the process's locale. The locale is compiled into a private folder
// with localedef; `active()` is false where that cannot be done.
#pragma once

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <stdlib.h>

namespace platform::testing {

class DecimalCommaLocale {
  public:
    DecimalCommaLocale() {
        char dir[] = "/tmp/cv-locale-XXXXXX";
        if (mkdtemp(dir) == nullptr)
            return;
        folder_ = dir;
        const std::string command =
            "localedef -i de_DE -f UTF-8 " + folder_ + "/de_DE.UTF-8 >/dev/null 2>&1";
        const bool built = std::system(command.c_str()) == 0;
        saved_ = std::setlocale(LC_NUMERIC, nullptr);
        const char* oldPath = std::getenv("LOCPATH");
        hadPath_ = oldPath != nullptr;
        if (hadPath_)
            savedPath_ = oldPath;
        setenv("LOCPATH", folder_.c_str(), 1);
        if (built && std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
            char probe[32];
            std::snprintf(probe, sizeof probe, "%.1f", 2.5);
            active_ = std::string(probe) == "2,5";  // the locale is really in force
        }
    }
    ~DecimalCommaLocale() {
        if (!saved_.empty())
            std::setlocale(LC_NUMERIC, saved_.c_str());
        if (hadPath_)
            setenv("LOCPATH", savedPath_.c_str(), 1);
        else
            unsetenv("LOCPATH");
        if (!folder_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder_, ignored);
        }
    }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    bool active() const { return active_; }

  private:
    std::string folder_;
    std::string saved_;
    std::string savedPath_;
    bool hadPath_ = false;
    bool active_ = false;
};

}  // namespace platform::testing
