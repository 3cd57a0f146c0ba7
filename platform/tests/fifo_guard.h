// Test support: runs a read that must not wait on a FIFO. A read still
// blocked after a few seconds is a test failure, not a hang: the FIFO is
// then opened for writing once, which ends the blocked read.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <utility>

namespace platform {

// Makes a FIFO at `path`; false when the file system has none.
inline bool MakeFifo(const std::string& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}

template <class Read>
auto ReadWithoutHanging(const std::string& fifo, Read read) {
    auto result = std::async(std::launch::async, std::move(read));
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "reading " << fifo << " waited for a writer";
        // Release the reader: a writer that opens and closes at once gives it
        // the end of the file.
        for (int i = 0;
             i < 50 && result.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready;
             ++i) {
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    }
    return result.get();
}

}  // namespace platform
