// A loaded shared object (plug-in module or library) over dlopen/dlsym.
// Movable, not copyable; the module is unloaded when the object goes away.
#pragma once

#include <string>

namespace platform {

class Module {
  public:
    Module() = default;
    // Loads at once (as Load does); check IsLoaded() or Error().
    explicit Module(const std::string& path) { Load(path); }
    ~Module() { Unload(); }
    Module(Module&& other) noexcept;
    Module& operator=(Module&& other) noexcept;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // Loads the module with all its symbols bound now and kept local to it.
    // Unloads whatever this object held before. False on failure, with the
    // loader's text in Error(); a path naming a FIFO, a device or a folder is
    // refused before the loader opens it.
    bool Load(const std::string& path);
    // Unloads the module (when one is loaded). False when the loader reports
    // an error, with its text in Error().
    bool Unload();

    bool IsLoaded() const { return handle_ != nullptr; }
    // The address of a symbol, or null with the loader's text in Error().
    void* Symbol(const char* name);
    template <typename T>
    T SymbolAs(const char* name) {
        return reinterpret_cast<T>(Symbol(name));
    }

    const std::string& Path() const { return path_; }
    const std::string& Error() const { return error_; }
    void* NativeHandle() const { return handle_; }

    // The path of the loaded file (program or shared object) that holds
    // `address`; empty when none does.
    static std::string PathOfAddress(const void* address);

  private:
    void* handle_ = nullptr;
    std::string path_;
    std::string error_;
};

}  // namespace platform
