#include "platform/module.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <utility>

namespace platform {
namespace {

std::string LastLoaderError(const char* fallback) {
    const char* text = ::dlerror();
    return text != nullptr ? std::string(text) : std::string(fallback);
}

}  // namespace

Module::Module(Module&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

Module& Module::operator=(Module&& other) noexcept {
    if (this != &other) {
        Unload();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool Module::Load(const std::string& path) {
    Unload();
    error_.clear();
    path_ = path;
    if (path.empty()) {
        error_ = "no module path given";
        return false;
    }
    // The loader opens a path without waiting for anything but a FIFO or a
    // device would hold it forever; a path (not a bare name the loader
    // searches for) must name a regular file.
    struct stat st;
    if (path.find('/') != std::string::npos && ::stat(path.c_str(), &st) == 0 &&
        !S_ISREG(st.st_mode)) {
        error_ = path + ": not a regular file";
        return false;
    }
    ::dlerror();
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        error_ = LastLoaderError("the module could not be loaded");
        return false;
    }
    return true;
}

bool Module::Unload() {
    if (handle_ == nullptr)
        return true;
    ::dlerror();
    int rc = ::dlclose(handle_);
    handle_ = nullptr;
    if (rc != 0) {
        error_ = LastLoaderError("the module could not be unloaded");
        return false;
    }
    return true;
}

void* Module::Symbol(const char* name) {
    if (handle_ == nullptr) {
        error_ = "no module is loaded";
        return nullptr;
    }
    if (name == nullptr) {
        error_ = "no symbol name given";
        return nullptr;
    }
    ::dlerror();
    void* address = ::dlsym(handle_, name);
    // A symbol may legitimately have the address null; dlerror tells.
    if (address == nullptr) {
        const char* text = ::dlerror();
        error_ = text != nullptr ? text : std::string("symbol ") + name + " has no address";
    }
    return address;
}

std::string Module::PathOfAddress(const void* address) {
    Dl_info info{};
    if (address == nullptr || ::dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return std::string();
    }
    return info.dli_fname;
}

}  // namespace platform
