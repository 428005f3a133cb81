#pragma once

namespace platform {

// Makes the allocator keep large freed blocks for reuse instead of handing
// them back to the system at once. Image planes of a few megabytes are made
// and dropped on every host call; fresh pages cost a fault each, which on a
// virtual machine makes a 2 MB copy some forty times slower than reusing
// memory already mapped. Call once at the start of a program.
void keepFreedMemoryForReuse();

} // namespace platform
