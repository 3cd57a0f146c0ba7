#include "designer/caller_link.h"

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

TEST(DesignerCallerLink, ClosedOrMissingDescriptor) {
    EXPECT_FALSE(MakeCallerLink(0));
    EXPECT_FALSE(MakeCallerLink(999));  // not open
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    auto link = MakeCallerLink(static_cast<std::uint32_t>(fds[1]));
    ::close(fds[0]);
    link->StartupFailed();  // the reader is gone: no SIGPIPE, no crash
    ::close(fds[1]);
}

}  // namespace
