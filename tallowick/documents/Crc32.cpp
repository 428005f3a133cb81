#include "tallowick/documents/Crc32.h"

#include <zlib.h>

namespace tallowick {

uint32_t crc32(const uint8_t* bytes, std::size_t size) {
    return crc32Continued(0, bytes, size);
}

uint32_t crc32Continued(uint32_t crc, const uint8_t* bytes, std::size_t size) {
    // zlib's routine works on several bytes a step, several times faster
    // than a table lookup per byte: a recovery copy checksums every plane.
    if (size == 0)
        return crc;
    return static_cast<uint32_t>(::crc32_z(crc, bytes, size));
}

} // namespace tallowick
