// The host's picture and animation loading: a file of any bytes opened as
// an animation (every frame of a multi-frame file), as a still and as a
// brush, and a folder of two such files as an animation, under a memory
// budget of 16 MiB that every document must keep to. Qt's readers decode no
// picture beyond 32 MiB here (128 MiB in the host), so that the target's
// time goes to its inputs rather than to clearing memory; the budget is
// below that, so frames that the readers decode and the budget refuses
// still come.
#include "fuzz/support/ScratchFolder.h"
#include "tallowick/documents/PictureLoading.h"

#include <QCoreApplication>
#include <QDir>
#include <QImageReader>
#include <array>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

constexpr uint64_t kBudgetBytes = uint64_t{16} << 20;
constexpr int kDecodeLimitMiB = 32;

// The suffix decides which reader a folder's file goes to, and which one a
// file's reader tries first.
constexpr std::array<const char*, 13> kSuffixes{"",     ".png",  ".gif", ".tif", ".webp",
                                                ".ico", ".bmp",  ".jpg", ".ppm", ".xpm",
                                                ".tga", ".icns", ".xbm"};

// What the loader promises of a document it hands out.
void check(const tallowick::Document& document) {
    if (document.frameCount() < 1 ||
        tallowick::MemoryBudget::framesBytes(document.frameCount(), document.width(),
                                             document.height()) > kBudgetBytes)
        std::abort();
    for (const tallowick::RgbaFrame& frame : document.frames())
        if (frame.width() != document.width() || frame.height() != document.height())
            std::abort();
}

void load(int mode, const QString& path, const tallowick::MemoryBudget& budget) {
    try {
        switch (mode) {
        case 0:
            check(tallowick::loadAnimation(path, budget));
            break;
        case 1:
            check(tallowick::loadStill(path, budget));
            break;
        default:
            tallowick::loadBrush(path);
            break;
        }
    } catch (const tallowick::PictureError&) {
        // Refused by name, as a user's bad file is.
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication application(*argc, *argv);
    QImageReader::setAllocationLimit(kDecodeLimitMiB);
    fuzz::scratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int mode = in.ConsumeIntegralInRange(0, 3);
    const QString suffix =
        QString::fromLatin1(kSuffixes[in.ConsumeIntegralInRange<std::size_t>(0, 12)]);
    const tallowick::MemoryBudget budget(kBudgetBytes);
    if (mode < 3) {
        const std::string bytes = in.ConsumeRemainingBytesAsString();
        load(mode, fuzz::writeScratchFile("picture" + suffix, QByteArray::fromStdString(bytes)),
             budget);
        return 0;
    }
    const std::string first = in.ConsumeRandomLengthString(size);
    const std::string second = in.ConsumeRemainingBytesAsString();
    QDir(fuzz::scratchFolder() + "/frames").removeRecursively();
    fuzz::writeScratchFile("frames/a" + suffix, QByteArray::fromStdString(first));
    fuzz::writeScratchFile("frames/b" + suffix, QByteArray::fromStdString(second));
    load(0, fuzz::scratchFolder() + "/frames", budget);
    return 0;
}
