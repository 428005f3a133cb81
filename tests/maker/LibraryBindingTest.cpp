#include "maker/binding/LibraryBinding.h"

#include "maker/binding/MakerLibraries.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

namespace fs = std::filesystem;
using maker::BindingError;
using maker::bindRoutine;
using maker::LazyRoutine;

// Makes a folder current for the scope of a test and restores the previous
// one afterwards, whatever the test's outcome.
class CurrentFolder {
public:
    explicit CurrentFolder(const fs::path& folder) : previous_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~CurrentFolder() { fs::current_path(previous_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    fs::path previous_;
};

using ProbeRoutine = int (*)();

int callProbe(void* address) {
    return reinterpret_cast<ProbeRoutine>(address)();
}

std::string bindingMessage(const char* library, const char* routine) {
    try {
        bindRoutine(library, routine);
    } catch (const BindingError& error) {
        return error.what();
    }
    return "no error";
}

// Each test binds a library of its own: loaded libraries stay loaded for the
// process, so a library bound by one test would be found by the next one
// however the search is set up.

TEST(LibraryBindingSearch, FindsTheLibraryInTheCurrentFolder) {
    EXPECT_THROW(bindRoutine("libtallowick_probe_current.so", "probe_location"), BindingError);
    {
        const CurrentFolder current(TALLOWICK_PROBE_DIR);
        EXPECT_EQ(callProbe(bindRoutine("libtallowick_probe_current.so", "probe_location")), 1);
    }
    // Once loaded, the library is found by its name wherever the search
    // would look now.
    EXPECT_EQ(callProbe(bindRoutine("libtallowick_probe_current.so", "probe_location")), 1);
}

TEST(LibraryBindingSearch, FindsTheLibraryBesideTheProgram) {
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    const CurrentFolder current(empty.path().toStdString());
    EXPECT_EQ(callProbe(bindRoutine("libtallowick_probe_beside.so", "probe_location")), 2);
}

TEST(LibraryBindingSearch, CurrentFolderComesBeforeTheProgramsFolder) {
    const CurrentFolder current(TALLOWICK_PROBE_DIR);
    EXPECT_EQ(callProbe(bindRoutine("libtallowick_probe_order.so", "probe_location")), 1);
}

TEST(LibraryBindingSearch, FallsBackToTheSystemSearch) {
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    const CurrentFolder current(empty.path().toStdString());
    const auto cosine = reinterpret_cast<double (*)(double)>(bindRoutine("libm.so.6", "cos"));
    EXPECT_EQ(cosine(0.0), 1.0);
}

TEST(LibraryBindingErrors, MissingLibraryNamesLibraryAndRoutine) {
    const std::string message = bindingMessage("libtallowick_absent.so", "absent_routine");
    EXPECT_NE(message.find("libtallowick_absent.so"), std::string::npos) << message;
    EXPECT_NE(message.find("absent_routine"), std::string::npos) << message;
}

TEST(LibraryBindingErrors, MissingRoutineNamesLibraryAndRoutine) {
    const std::string message = bindingMessage("libm.so.6", "tallowick_absent_routine");
    EXPECT_NE(message.find("libm.so.6"), std::string::npos) << message;
    EXPECT_NE(message.find("tallowick_absent_routine"), std::string::npos) << message;
    // dlerror's own text names the missing symbol and says it is undefined.
    EXPECT_NE(message.find("undefined symbol"), std::string::npos) << message;
}

TEST(LibraryBindingErrors, ABrokenFileFoundFirstIsReportedNotSkipped) {
    // A copy of the library that is not a shared object at all lies in the
    // current folder, while a sound one lies beside the program.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile broken(folder.filePath("libtallowick_probe_shadowed.so"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a library");
    broken.close();
    const CurrentFolder current(folder.path().toStdString());
    const std::string message = bindingMessage("libtallowick_probe_shadowed.so", "probe_location");
    EXPECT_NE(message.find("cannot load " +
                           folder.filePath("libtallowick_probe_shadowed.so").toStdString()),
              std::string::npos)
        << message;
}

TEST(LibraryBindingErrors, OnlyBareFileNamesAreSearched) {
    EXPECT_THROW(bindRoutine("/usr/lib/libm.so.6", "cos"), BindingError);
    EXPECT_THROW(bindRoutine("../libm.so.6", "cos"), BindingError);
    EXPECT_THROW(bindRoutine(nullptr, "cos"), BindingError);
    EXPECT_THROW(bindRoutine("libm.so.6", nullptr), BindingError);
}

TEST(LazyRoutineBinding, BindsOnFirstCallAndKeepsTheAddress) {
    LazyRoutine<int()> probe{"libtallowick_probe_lazy.so", "probe_location"};
    EXPECT_FALSE(probe.isBound());
    int (*first)() = nullptr;
    {
        const CurrentFolder current(TALLOWICK_PROBE_DIR);
        EXPECT_EQ(probe(), 1);
        first = probe.pointer();
    }
    EXPECT_TRUE(probe.isBound());
    // Leaving the probe folder changes nothing for a bound routine.
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    const CurrentFolder elsewhere(empty.path().toStdString());
    EXPECT_EQ(probe.pointer(), first);
    EXPECT_EQ(probe(), 1);
}

TEST(MakerLibraries, BindFromTheApplicationFolder) {
    const CurrentFolder current(TALLOWICK_APP_DIR);
    const float origin[3] = {0.0f, 0.0f, 0.0f};
    const float value = maker::noise3(origin);
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_EQ(maker::noise3(origin), value);
    EXPECT_NE(maker::RGB_To_HSV.pointer(), nullptr);
    EXPECT_NE(maker::f_rgb2yuv.pointer(), nullptr);
    EXPECT_NE(maker::z_scale_to_dib.pointer(), nullptr);
}

} // namespace
