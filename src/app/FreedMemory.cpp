#include "app/FreedMemory.h"

#include <cstdlib>  // defines __GLIBC__ with the GNU C library
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace grovewright {

namespace {

// Blocks up to this size come from the program's heap instead of their own
// mappings, and the heap keeps this much free memory at its end.
constexpr int kKeptBytes = 2000000000;

}  // namespace

void KeepFreedMemory() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, kKeptBytes);
    mallopt(M_TRIM_THRESHOLD, kKeptBytes);
#endif
}

void ReturnFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}  // namespace grovewright
