#include "platform/global_memory.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(GlobalMemory, FixedAndMovableBlocksLockSizeAndFree) {
    for (unsigned flags :
         {unsigned(GMEM_FIXED), unsigned(GMEM_MOVEABLE), unsigned(GHND), unsigned(GPTR)}) {
        SCOPED_TRACE(flags);
        HGLOBAL h = GlobalAlloc(flags, 100);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(GlobalSize(h), 100u);
        auto* p = static_cast<unsigned char*>(GlobalLock(h));
        ASSERT_NE(p, nullptr);
        if (flags & GMEM_ZEROINIT) {
            for (int i = 0; i < 100; ++i)
                ASSERT_EQ(p[i], 0);
        }
        if (!(flags & GMEM_MOVEABLE)) {
            EXPECT_EQ(static_cast<void*>(p), static_cast<void*>(h));
        }
        std::memset(p, 0xAB, 100);
        EXPECT_EQ(GlobalUnlock(h), 0);
        EXPECT_EQ(GlobalFree(h), nullptr);
        // A freed handle is no longer ours.
        EXPECT_EQ(GlobalSize(h), 0u);
        EXPECT_EQ(GlobalLock(h), nullptr);
    }
}

TEST(GlobalMemory, NullAndForeignHandlesAreRefused) {
    int local = 0;
    HGLOBAL foreign = reinterpret_cast<HGLOBAL>(&local);
    for (HGLOBAL h : {static_cast<HGLOBAL>(nullptr), foreign}) {
        EXPECT_EQ(GlobalLock(h), nullptr);
        EXPECT_EQ(GlobalUnlock(h), 0);
        EXPECT_EQ(GlobalSize(h), 0u);
    }
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
    EXPECT_EQ(GlobalFree(foreign), foreign);  // failure: the handle comes back
}

TEST(GlobalMemory, NestedLocksCount) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 8);
    ASSERT_NE(GlobalLock(h), nullptr);
    ASSERT_NE(GlobalLock(h), nullptr);
    EXPECT_NE(GlobalUnlock(h), 0);
    EXPECT_EQ(GlobalUnlock(h), 0);
    EXPECT_EQ(GlobalUnlock(h), 0);  // not locked any more
    GlobalFree(h);
}
