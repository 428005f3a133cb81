#pragma once

// The scaling library's exported routine (libZibbet.so). A plain C routine
// that programs bind by name at run time.

#include <stdint.h>

#if defined(__GNUC__)
#define ZIBBET_API __attribute__((visibility("default")))
#else
#define ZIBBET_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Resamples three byte planes of srcWidth x srcHeight samples (rows of
// srcWidth samples, row 0 at the top) into the top-left dstWidth x dstHeight
// pixels of a 32-bit buffer whose rows are dstRowLength pixels long, each
// pixel written as bytes blue, green, red, 0 (the value 0x00RRGGBB on a
// little-endian machine). Nothing else in the buffer is written.
//
// Each axis is scaled on its own: a shrinking axis averages the source
// samples each destination pixel covers, weighted by the covered area (box
// filter); an enlarging axis interpolates linearly between the two nearest
// samples, pixel centres aligned and the edge samples held; an axis of equal
// size copies. Weights are fixed-point (14 bits per axis, rounded so that
// each pixel's weights add up exactly: a uniform picture stays uniform);
// results are rounded to the nearest level, and come within about half a
// level of the exact weighted average.
//
// Refused, with nothing read or written: a null plane or buffer, a size or
// row length of 0 or less. A dstWidth above dstRowLength is cut to
// dstRowLength. Returns 0 when it scaled, 1 for refused arguments, 2 if its
// working memory could not be had; the programs ignore the result.
// Reentrant: keeps no state between calls.
ZIBBET_API int32_t z_scale_to_dib(const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                                  uint32_t* destination, int32_t srcWidth, int32_t srcHeight,
                                  int32_t dstWidth, int32_t dstHeight, int32_t dstRowLength);

#ifdef __cplusplus
}
#endif
