// The exchange with the program that started the Designer (the caller).
//
// The caller names a file descriptor with -C (an inherited pipe or socket);
// the Designer writes one line per event to it:
//
//   READY <frame>            the main frame is up and its settings are read
//   FAILED                   start-up failed (no page styles or area tools)
//   CLOSING <frame> <path>   the main frame is going; <path> is the first
//                            recent template (empty when there is none)
//   FOREGROUND               the caller may take the foreground now
//
// <frame> is the main frame's window id in decimal. Writes never block the
// Designer for long and never fail it: a caller that went away is ignored.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CallerLink {
  public:
    virtual ~CallerLink() = default;
    // The main frame was created (the window message 1124 of the caller).
    virtual void FrameCreated(std::uint64_t frame) = 0;
    // Start-up failed, after its message box.
    virtual void StartupFailed() = 0;
    // The main frame is being destroyed, before anything is saved; `recent`
    // is the first recent template's path (at most 260 characters sent).
    virtual void FrameClosing(std::uint64_t frame, const std::string& recent) = 0;
    // Everything is saved: the caller's window comes to the front.
    virtual void BringCallerToFront() = 0;
};

// Writes the events as lines to a file descriptor (not closed by the link).
class FdCallerLink : public CallerLink {
  public:
    explicit FdCallerLink(int fd) : fd_(fd) {}
    void FrameCreated(std::uint64_t frame) override;
    void StartupFailed() override;
    void FrameClosing(std::uint64_t frame, const std::string& recent) override;
    void BringCallerToFront() override;

  private:
    void WriteLine(const std::string& line);
    int fd_;
};

// Records the events (tests, and a Designer without a caller keeps none).
class RecordingCallerLink : public CallerLink {
  public:
    void FrameCreated(std::uint64_t frame) override;
    void StartupFailed() override;
    void FrameClosing(std::uint64_t frame, const std::string& recent) override;
    void BringCallerToFront() override;
    std::vector<std::string> events;
};

// Records which descriptors the process inherited from its parent. Called
// first thing in main, before any library opens descriptors of its own (the
// display connection, for one), so that a mistaken -C value can never make
// the Designer write into them.
void NoteInheritedDescriptors();
// The link for a -C value: a descriptor inherited from the caller (every
// open one when NoteInheritedDescriptors was never called), else null. The
// descriptor is kept from programs the Designer starts.
std::unique_ptr<CallerLink> MakeCallerLink(std::uint32_t callerHandle);
