// Memory freed while editing stays with the program for the next edit, and goes
// back to the system when asked.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "app/FreedMemory.h"

namespace {

// The process's resident memory in bytes.
long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
TEST(FreedMemoryTest, FreedBlocksStayUntilReturned) {
    constexpr std::size_t kBlock = 256u << 20;
    grovewright::KeepFreedMemory();
    const long before = ResidentBytes();
    auto* block = new char[kBlock];
    std::memset(block, 1, kBlock);
    asm volatile("" : : "r"(block) : "memory");  // the block is used: it must really be there
    EXPECT_GT(ResidentBytes() - before, static_cast<long>(kBlock / 2));
    delete[] block;
    // Kept: the next edit's arrays find these pages ready.
    EXPECT_GT(ResidentBytes() - before, static_cast<long>(kBlock / 2));
    grovewright::ReturnFreedMemory();
    EXPECT_LT(ResidentBytes() - before, static_cast<long>(kBlock / 4));
}
#endif
