#include "platform/debug_output.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace platform {
namespace {

std::mutex& hook_mutex() {
    static std::mutex m;
    return m;
}

DebugOutput::Hook& hook() {
    static DebugOutput::Hook h;
    return h;
}

}  // namespace

void DebugOutput::Write(std::string_view message) {
    std::string line(message);
    if (line.empty() || line.back() != '\n')
        line.push_back('\n');
    {
        std::lock_guard<std::mutex> lock(hook_mutex());
        if (hook())
            hook()(line);
    }
    if (std::getenv("CORVANTIS_DEBUG") != nullptr) {
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }
}

void DebugOutput::Printf(const char* format, ...) {
    char buffer[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    Write(buffer);
}

DebugOutput::Hook DebugOutput::SetCaptureHook(Hook h) {
    std::lock_guard<std::mutex> lock(hook_mutex());
    Hook previous = std::move(hook());
    hook() = std::move(h);
    return previous;
}

ScopedDebugCapture::ScopedDebugCapture() {
    previous_ = DebugOutput::SetCaptureHook([this](std::string_view s) { text_.append(s); });
}

ScopedDebugCapture::~ScopedDebugCapture() {
    DebugOutput::SetCaptureHook(std::move(previous_));
}

}  // namespace platform
