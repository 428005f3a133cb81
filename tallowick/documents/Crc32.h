#pragma once

#include <cstddef>
#include <cstdint>

namespace tallowick {

// The CRC-32 of zlib and PNG (IEEE polynomial, reflected, initial value and
// final XOR 0xFFFFFFFF): "123456789" gives 0xCBF43926.
uint32_t crc32(const uint8_t* bytes, std::size_t size);
// The CRC-32 of the bytes summed up by `crc` followed by these: the checksum
// of a long file written or read piece by piece.
uint32_t crc32Continued(uint32_t crc, const uint8_t* bytes, std::size_t size);

} // namespace tallowick
