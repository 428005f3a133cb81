#pragma once

#include "automation/ByteArray.h"
#include "tallowick/documents/Document.h"

#include <cstdint>
#include <string>

namespace tests {

// Sample (x, y) of channel c (red 0 .. alpha 3) in frame f of the tiny
// document: distinct for every sample, so a misplaced copy shows.
inline uint8_t tinySample(int channel, int frame, int x, int y) {
    return static_cast<uint8_t>(1 + channel * 60 + frame * 30 + y * 10 + x);
}

// A document "tiny" of two 3 x 2 frames holding tinySample.
tallowick::Document tinyDocument();

// A plane of `width` x `height` samples with lower bounds 0, sample (x, y)
// being (seed + 7x + 13y) mod 256.
host::ByteArray patternPlane(int32_t width, int32_t height, int seed);

// The first difference between two documents, in their names, sizes, frame
// counts or any sample of any plane (the extra column and row included), in
// words; empty when they are the same.
std::string differenceBetween(const tallowick::Document& expected, const tallowick::Document& got);

} // namespace tests
