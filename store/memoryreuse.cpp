#include "store/memoryreuse.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace store {

void KeepFreedMemoryForReuse() {
#if defined(M_MMAP_THRESHOLD) && defined(M_TRIM_THRESHOLD)
  // Blocks up to this size come from the heap instead of pages of their own, and this much
  // free memory at the heap's end stays with the program. A report over 300 000 records peaks
  // at about 600 MB; its biggest blocks are far smaller.
  constexpr int kKeptBytes = 256 * 1024 * 1024;
  mallopt(M_MMAP_THRESHOLD, kKeptBytes);
  mallopt(M_TRIM_THRESHOLD, kKeptBytes);
#endif
}

}  // namespace store
