// Debug output: diagnostics for developers, written to stderr when the
// environment variable CORVANTIS_DEBUG is set. Tests install a capture hook
// to see what was written.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

class DebugOutput {
  public:
    using Hook = std::function<void(std::string_view)>;

    // Writes one message (a line end is added when missing).
    static void Write(std::string_view message);
    // printf-style convenience.
    static void Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // Installs a hook that receives every message; returns the previous one.
    // An empty hook removes it.
    static Hook SetCaptureHook(Hook hook);
};

// Captures debug output for the lifetime of the object (tests).
class ScopedDebugCapture {
  public:
    ScopedDebugCapture();
    ~ScopedDebugCapture();
    ScopedDebugCapture(const ScopedDebugCapture&) = delete;
    ScopedDebugCapture& operator=(const ScopedDebugCapture&) = delete;

    const std::string& text() const { return text_; }
    bool Contains(std::string_view s) const { return text_.find(s) != std::string::npos; }
    void Clear() { text_.clear(); }

  private:
    std::string text_;
    DebugOutput::Hook previous_;
};

}  // namespace platform
