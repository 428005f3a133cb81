#include "platform/Memory.h"

#include <malloc.h>

namespace platform {

void keepFreedMemoryForReuse() {
    // Blocks up to the allocator's largest threshold (32 MiB) come from the
    // heap; the heap's top is trimmed only beyond 512 MiB of free space.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
}

} // namespace platform
