// Test support: private registry hives for the lifetime of an object. Makes a
// unique temporary folder, points CORVANTIS_USER_REGISTRY and
// CORVANTIS_MACHINE_REGISTRY at files in it, and on destruction restores the
// previous environment and removes the folder. Header-only, for tests.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

namespace platform {

class TempHives {
  public:
    TempHives() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/cv-hives-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        dir_ = pattern;
        Save("CORVANTIS_USER_REGISTRY", savedUser_);
        Save("CORVANTIS_MACHINE_REGISTRY", savedMachine_);
        ::setenv("CORVANTIS_USER_REGISTRY", UserPath().c_str(), 1);
        ::setenv("CORVANTIS_MACHINE_REGISTRY", MachinePath().c_str(), 1);
    }
    ~TempHives() {
        Restore("CORVANTIS_USER_REGISTRY", savedUser_);
        Restore("CORVANTIS_MACHINE_REGISTRY", savedMachine_);
        // Tests may have made files or folders read-only; make them
        // removable again first.
        std::error_code ec;
        ::chmod(dir_.c_str(), 0700);
        for (auto it = std::filesystem::recursive_directory_iterator(dir_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            ::chmod(it->path().c_str(), it->is_directory(ec) ? 0700 : 0600);
        }
        std::filesystem::remove_all(dir_, ec);
    }
    TempHives(const TempHives&) = delete;
    TempHives& operator=(const TempHives&) = delete;

    const std::string& Dir() const { return dir_; }
    std::string UserPath() const { return dir_ + "/user.reg"; }
    std::string MachinePath() const { return dir_ + "/machine.reg"; }

    // Writes a file (in the folder when `path` is relative to it) as a new
    // file renamed over the old one, as a well-behaved editor does.
    void WriteFile(const std::string& path, std::string_view text) const {
        std::string target = Resolve(path);
        std::string temp = target + ".new";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
        }
        std::filesystem::rename(temp, target);
    }
    // The whole file, or an empty text when it is missing.
    std::string ReadFile(const std::string& path) const {
        std::ifstream in(Resolve(path), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void WriteUser(std::string_view text) const { WriteFile(UserPath(), text); }
    void WriteMachine(std::string_view text) const { WriteFile(MachinePath(), text); }
    std::string ReadUser() const { return ReadFile(UserPath()); }
    std::string ReadMachine() const { return ReadFile(MachinePath()); }

  private:
    std::string Resolve(const std::string& path) const {
        return !path.empty() && path[0] == '/' ? path : dir_ + "/" + path;
    }
    static void Save(const char* name, std::optional<std::string>& slot) {
        if (const char* v = std::getenv(name))
            slot = v;
    }
    static void Restore(const char* name, const std::optional<std::string>& slot) {
        if (slot) {
            ::setenv(name, slot->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

    std::string dir_;
    std::optional<std::string> savedUser_, savedMachine_;
};

}  // namespace platform
