#include "designer/caller_link.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

std::string Drain(int fd) {
    std::string all;
    char buf[512];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        all.append(buf, static_cast<std::size_t>(n));
    return all;
}

TEST(DesignerCallerLink, WritesEventsAsLinesToTheDescriptor) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    NoteInheritedDescriptors();
    auto link = MakeCallerLink(static_cast<std::uint32_t>(fds[1]));
    ASSERT_TRUE(link);
    link->FrameCreated(77);
    link->FrameClosing(77, "/home/u/templates/a b.xml");
    link->BringCallerToFront();
    ::close(fds[1]);
    EXPECT_EQ(Drain(fds[0]), "READY 77\nCLOSING 77 /home/u/templates/a b.xml\nFOREGROUND\n");
    ::close(fds[0]);
}

TEST(DesignerCallerLink, LongAndMultiLinePathsAreCut) {
    RecordingCallerLink link;
    link.FrameClosing(1, std::string(300, 'x') + "\nFAILED");
    ASSERT_EQ(link.events.size(), 1u);
    EXPECT_EQ(link.events[0], "CLOSING 1 " + std::string(260, 'x'));
}

TEST(DesignerCallerLink, OnlyInheritedDescriptorsAreUsed) {
    int inherited[2];
    ASSERT_EQ(::pipe(inherited), 0);
    NoteInheritedDescriptors();
    int later[2];
    ASSERT_EQ(::pipe(later), 0);
    // A descriptor opened after start-up (the display connection, say) is
    // never written to.
    EXPECT_FALSE(MakeCallerLink(static_cast<std::uint32_t>(later[1])));
    auto link = MakeCallerLink(static_cast<std::uint32_t>(inherited[1]));
    ASSERT_TRUE(link);
    // Programs the Designer starts do not get the caller's descriptor.
    EXPECT_TRUE(::fcntl(inherited[1], F_GETFD) & FD_CLOEXEC);
    for (int fd : {inherited[0], inherited[1], later[0], later[1]})
        ::close(fd);
}

TEST(DesignerCallerLink, ClosedOrMissingDescriptor) {
    EXPECT_FALSE(MakeCallerLink(0));
    EXPECT_FALSE(MakeCallerLink(999));  // not open
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    NoteInheritedDescriptors();
    auto link = MakeCallerLink(static_cast<std::uint32_t>(fds[1]));
    ASSERT_TRUE(link);
    ::close(fds[0]);
    link->StartupFailed();  // the reader is gone: no SIGPIPE, no crash
    ::close(fds[1]);
}

}  // namespace
