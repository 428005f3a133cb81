// The host's reading of a recovery copy: its header alone, as the offer
// lists it, and the whole document, under a memory budget of 64 MiB.
#include "fuzz/support/ScratchFolder.h"
#include "tallowick/documents/RecoveryCopy.h"

#include <QCoreApplication>
#include <cstdlib>

namespace {

constexpr uint64_t kBudgetBytes = uint64_t{64} << 20;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication application(*argc, *argv);
    fuzz::scratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QString path =
        fuzz::writeScratchFile("doc0.recovery", QByteArray(reinterpret_cast<const char*>(data),
                                                           static_cast<qsizetype>(size)));
    tallowick::RecoveryCopyFacts facts;
    try {
        facts = tallowick::readRecoveryFacts(path);
    } catch (const tallowick::RecoveryCopyError&) {
        return 0;
    }
    try {
        const tallowick::Document document =
            tallowick::loadRecoveryCopy(path, tallowick::MemoryBudget(kBudgetBytes));
        // A copy read whole is the one its header describes.
        if (document.frameCount() != facts.frameCount || document.width() != facts.width ||
            document.height() != facts.height || document.name() != facts.documentName)
            std::abort();
    } catch (const tallowick::RecoveryCopyError&) {
    }
    return 0;
}
