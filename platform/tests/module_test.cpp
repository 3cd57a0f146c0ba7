#include "platform/module.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "platform/tests/fifo_guard.h"

namespace {

using Answer = int (*)();

TEST(Module, LoadsFindsExportedSymbolAndUnloads) {
    platform::Module module(CV_TEST_MODULE);
    ASSERT_TRUE(module.IsLoaded()) << module.Error();
    auto answer = module.SymbolAs<Answer>("cv_sample_answer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(platform::Module::PathOfAddress(reinterpret_cast<const void*>(answer)),
              CV_TEST_MODULE);

    // Only the exported entry point is visible.
    EXPECT_EQ(module.Symbol("cv_sample_hidden"), nullptr);
    EXPECT_NE(module.Error().find("cv_sample_hidden"), std::string::npos) << module.Error();

    EXPECT_TRUE(module.Unload());
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_EQ(module.Symbol("cv_sample_answer"), nullptr);
}

TEST(Module, FailuresCarryTheLoaderText) {
    const char* cases[] = {"/nonexistent/folder/libnothing.so", CV_SOURCE_DIR "/CMakeLists.txt",
                           ""};
    for (const char* path : cases) {
        SCOPED_TRACE(path);
        platform::Module module;
        EXPECT_FALSE(module.Load(path));
        EXPECT_FALSE(module.IsLoaded());
        EXPECT_FALSE(module.Error().empty());
        EXPECT_EQ(module.Symbol("cv_sample_answer"), nullptr);
    }
}

TEST(Module, APathThatIsAFifoIsRefusedWithoutWaiting) {
    char folder[] = "/tmp/cv-module-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string fifo = std::string(folder) + "/libfifo.so";
    ASSERT_TRUE(platform::MakeFifo(fifo));
    platform::Module module;
    EXPECT_FALSE(platform::ReadWithoutHanging(fifo, [&] { return module.Load(fifo); }));
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_NE(module.Error().find("not a regular file"), std::string::npos) << module.Error();
    ::unlink(fifo.c_str());
    ::rmdir(folder);
}

TEST(Module, MovingHandsOverTheModule) {
    platform::Module first(CV_TEST_MODULE);
    ASSERT_TRUE(first.IsLoaded());
    platform::Module second(std::move(first));
    EXPECT_FALSE(first.IsLoaded());
    ASSERT_TRUE(second.IsLoaded());
    platform::Module third;
    third = std::move(second);
    EXPECT_FALSE(second.IsLoaded());
    auto answer = third.SymbolAs<Answer>("cv_sample_answer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
}

}  // namespace
