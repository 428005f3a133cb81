// The two libraries as the programs find them: the files in the application
// folder, opened by name, exporting the routines under their plain C names.

#include <cmath>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>

namespace {

void* openInAppDir(const char* file) {
    const std::string path = std::string(TALLOWICK_APP_DIR) + "/" + file;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(handle, nullptr) << path << ": " << dlerror();
    return handle;
}

TEST(MakerLibraries, FilterLibraryExportsItsRoutines) {
    void* handle = openInAppDir("libvxfilter.so");
    ASSERT_NE(handle, nullptr);
    for (const char* routine : {"noise3", "RGB_To_HSV", "f_rgb2yuv"})
        EXPECT_NE(dlsym(handle, routine), nullptr) << routine;
    using Noise = float (*)(const float*);
    auto noise = reinterpret_cast<Noise>(dlsym(handle, "noise3"));
    ASSERT_NE(noise, nullptr);
    // Called through the exported name: the same value one period away.
    const float point[3] = {0.3f, 0.6f, 0.2f};
    const float periodAway[3] = {128.3f, -255.4f, 256.2f};
    EXPECT_NEAR(noise(point), noise(periodAway), 1e-4f);
    EXPECT_LE(std::fabs(noise(point)), 1.0f);
    dlclose(handle);
}

TEST(MakerLibraries, ScalingLibraryExportsItsRoutine) {
    void* handle = openInAppDir("libZibbet.so");
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(dlsym(handle, "z_scale_to_dib"), nullptr);
    dlclose(handle);
}

} // namespace
