// The two libraries as the programs find them: the files in the application
// folder, opened by name, exporting the routines under their plain C names.

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
    const float origin[3] = {0, 0, 0};
    EXPECT_EQ(noise(origin), 0.0f);
    dlclose(handle);
}

TEST(MakerLibraries, ScalingLibraryExportsItsRoutine) {
    void* handle = openInAppDir("libZibbet.so");
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(dlsym(handle, "z_scale_to_dib"), nullptr);
    dlclose(handle);
}

} // namespace
