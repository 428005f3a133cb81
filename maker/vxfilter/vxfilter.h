#pragma once

// The pixel-filter library's exported routines (libvxfilter.so). Plain C
// routines that programs bind by name at run time. Every routine is
// deterministic, keeps no state and may be called from any thread.

#if defined(__GNUC__)
#define VXFILTER_API __attribute__((visibility("default")))
#else
#define VXFILTER_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Coherent 3-D noise (value noise on a lattice of two cells to the unit)
// at the point (point[0], point[1], point[2]), x, y, z. The same point always
// gives the same value (fixed hash constants, no seeding); nearby points give
// nearby values (continuous with continuous first derivatives). The value
// lies within -0.7..0.7 (so within -1..1), with a standard deviation of
// about 0.26 over the space. The pattern repeats every 128 units along each
// axis, so every 256 units too. A coordinate that is not finite counts as 0;
// a null address gives 0.
VXFILTER_API float noise3(const float* point);

// r, g, b in 0..1 (values outside are clamped, a NaN counts as 0). Hue in
// degrees, 0 <= hue < 360 (0 for greys); saturation and value in 0..1.
// A null output address is skipped.
VXFILTER_API void RGB_To_HSV(float r, float g, float b, float* hue, float* saturation,
                             float* value);

// r, g, b in 0..1 (clamped as above). Y = 0.299 r + 0.587 g + 0.114 b in 0..1
// (ITU-R BT.601 weights). U and V are the blue and red colour differences
// scaled to -1..1 and centred on 128: U = 128 + (b - Y) / 0.886 and
// V = 128 + (r - Y) / 0.701, so 127 <= U, V <= 129 and a grey gives exactly
// 128. A null output address is skipped.
VXFILTER_API void f_rgb2yuv(float r, float g, float b, float* y, float* u, float* v);

#ifdef __cplusplus
}
#endif
