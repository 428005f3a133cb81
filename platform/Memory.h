#pragma once

#include <cstddef>

namespace platform {

// Makes the allocator keep large freed blocks for reuse instead of handing
// them back to the system at once. Image planes of a few megabytes are made
// and dropped on every host call; fresh pages cost a fault each, which on a
// virtual machine makes a 2 MB copy some forty times slower than reusing
// memory already mapped. Call once at the start of a program.
void keepFreedMemoryForReuse();

// Asks the kernel to back a freshly allocated block with pages in one call,
// before it is written: on a virtual machine a fault per page costs about as
// much again as writing the page. Only the block's whole pages are touched;
// a kernel without the request ignores it, and nothing changes but the speed.
// Worth it only for memory not touched before (a new animation's frames);
// for recycled blocks it is wasted work.
void populateFreshMemory(void* block, std::size_t size);

} // namespace platform
