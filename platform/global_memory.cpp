#include "platform/global_memory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

struct Block {
    void* data = nullptr;
    size_t size = 0;
    unsigned locks = 0;
};

// Every live handle is recorded, so foreign and stale handles are refused.
struct BlockTable {
    std::mutex mutex;
    std::unordered_map<HGLOBAL, Block> blocks;
};

BlockTable& table() {
    static BlockTable* t = new BlockTable;  // never destroyed: blocks may outlive statics
    return *t;
}

// Tokens for movable blocks: distinct from any data address.
HGLOBAL next_movable_token(BlockTable& t) {
    static std::uintptr_t counter = 0;
    HGLOBAL token;
    do {
        counter += 16;
        token = reinterpret_cast<HGLOBAL>(counter | 0x1);  // odd: never a malloc address
    } while (t.blocks.count(token) != 0);
    return token;
}

}  // namespace

extern "C" HGLOBAL GlobalAlloc(unsigned flags, size_t bytes) {
    // A zero-byte request still yields a distinct, freeable block.
    void* data = (flags & GMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1)
                                         : std::malloc(bytes ? bytes : 1);
    if (data == nullptr)
        return nullptr;
    BlockTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    HGLOBAL handle = (flags & GMEM_MOVEABLE) ? next_movable_token(t) : static_cast<HGLOBAL>(data);
    t.blocks[handle] = Block{data, bytes, 0};
    return handle;
}

extern "C" void* GlobalLock(HGLOBAL block) {
    if (block == nullptr)
        return nullptr;
    BlockTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.blocks.find(block);
    if (it == t.blocks.end())
        return nullptr;
    ++it->second.locks;
    return it->second.data;
}

extern "C" int GlobalUnlock(HGLOBAL block) {
    if (block == nullptr)
        return 0;
    BlockTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.blocks.find(block);
    if (it == t.blocks.end() || it->second.locks == 0)
        return 0;
    return --it->second.locks != 0;
}

extern "C" size_t GlobalSize(HGLOBAL block) {
    if (block == nullptr)
        return 0;
    BlockTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.blocks.find(block);
    return it == t.blocks.end() ? 0 : it->second.size;
}

extern "C" HGLOBAL GlobalFree(HGLOBAL block) {
    if (block == nullptr)
        return nullptr;
    void* data = nullptr;
    {
        BlockTable& t = table();
        std::lock_guard<std::mutex> lock(t.mutex);
        auto it = t.blocks.find(block);
        if (it == t.blocks.end())
            return block;
        data = it->second.data;
        t.blocks.erase(it);
    }
    std::free(data);
    return nullptr;
}
