#include "platform/Memory.h"

#include <cstdint>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace platform {

void keepFreedMemoryForReuse() {
    // Blocks up to the allocator's largest threshold (32 MiB) come from the
    // heap; the heap's top is trimmed only beyond 512 MiB of free space.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
}

void populateFreshMemory(void* block, std::size_t size) {
#ifdef MADV_POPULATE_WRITE
    static const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<uintptr_t>(block);
    const uintptr_t first = (start + page - 1) / page * page;
    const uintptr_t end = (start + size) / page * page;
    // Failure (an old kernel, memory short) leaves the faults to the writes.
    if (end > first)
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
    (void)block;
    (void)size;
#endif
}

} // namespace platform
