#include "designer/caller_link.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <bitset>
#include <cerrno>

namespace {

std::string ClosingLine(std::uint64_t frame, const std::string& recent) {
    // The caller's copy-data block holds 261 bytes: at most 260 characters.
    std::string path = recent.substr(0, 260);
    for (char& c : path) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return "CLOSING " + std::to_string(frame) + " " + path;
}

}  // namespace

void FdCallerLink::WriteLine(const std::string& text) {
    std::string line = text + "\n";
    // A closed pipe must not kill the Designer.
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &old);
    std::size_t done = 0;
    while (done < line.size()) {
        ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    sigaction(SIGPIPE, &old, nullptr);
}

void FdCallerLink::FrameCreated(std::uint64_t frame) {
    WriteLine("READY " + std::to_string(frame));
}
void FdCallerLink::StartupFailed() {
    WriteLine("FAILED");
}
void FdCallerLink::FrameClosing(std::uint64_t frame, const std::string& recent) {
    WriteLine(ClosingLine(frame, recent));
}
void FdCallerLink::BringCallerToFront() {
    WriteLine("FOREGROUND");
}

void RecordingCallerLink::FrameCreated(std::uint64_t frame) {
    events.push_back("READY " + std::to_string(frame));
}
void RecordingCallerLink::StartupFailed() {
    events.push_back("FAILED");
}
void RecordingCallerLink::FrameClosing(std::uint64_t frame, const std::string& recent) {
    events.push_back(ClosingLine(frame, recent));
}
void RecordingCallerLink::BringCallerToFront() {
    events.push_back("FOREGROUND");
}

namespace {
constexpr int kMaxDescriptor = 4096;
std::bitset<kMaxDescriptor>& Inherited() {
    static std::bitset<kMaxDescriptor> inherited;
    return inherited;
}
bool g_noted = false;
}  // namespace

void NoteInheritedDescriptors() {
    Inherited().reset();
    for (int fd = 0; fd < kMaxDescriptor; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1)
            Inherited().set(static_cast<std::size_t>(fd));
    }
    g_noted = true;
}

std::unique_ptr<CallerLink> MakeCallerLink(std::uint32_t callerHandle) {
    if (callerHandle == 0 || callerHandle >= kMaxDescriptor)
        return nullptr;
    int fd = static_cast<int>(callerHandle);
    int flags = ::fcntl(fd, F_GETFD);
    if (flags == -1)
        return nullptr;
    if (g_noted && !Inherited().test(static_cast<std::size_t>(fd)))
        return nullptr;
    ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    return std::make_unique<FdCallerLink>(fd);
}
