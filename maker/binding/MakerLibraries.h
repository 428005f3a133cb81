#pragma once

#include "maker/binding/LibraryBinding.h"
#include "maker/vxfilter/vxfilter.h"
#include "maker/zibbet/zibbet.h"

namespace maker {

inline constexpr const char* kFilterLibrary = "libvxfilter.so";
inline constexpr const char* kScalingLibrary = "libZibbet.so";

// The maker's routines, each bound on its first call. Process-wide, like the
// program's declarations of them; used from the GUI thread only.
inline LazyRoutine<decltype(::noise3)> noise3{kFilterLibrary, "noise3"};
inline LazyRoutine<decltype(::RGB_To_HSV)> RGB_To_HSV{kFilterLibrary, "RGB_To_HSV"};
inline LazyRoutine<decltype(::f_rgb2yuv)> f_rgb2yuv{kFilterLibrary, "f_rgb2yuv"};
inline LazyRoutine<decltype(::z_scale_to_dib)> z_scale_to_dib{kScalingLibrary, "z_scale_to_dib"};

} // namespace maker
