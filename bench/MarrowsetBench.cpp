// Marrowset's three pastes of a 1920 x 1080 held buffer onto a 3840 x 2160
// image in a real `tallowick --headless` on a private bus, beside the six
// plane transfers alone that each paste makes (three fetches and three
// stores of the image's 3841 x 2161 planes) and beside each paste's walk
// over planes already fetched; the preview of a 3840 x 2160 held buffer
// drawn into a 640 x 480 picture box, beside the scaler alone making the
// same pixels; and the commands that apply a 3840 x 2160 held buffer to the
// image of the same size: a combine (beside the six transfers), "Use hue"
// (beside its RGB_To_HSV calls alone) and "Replace existing image" (beside
// the four stores of the held planes alone).
#include "automation/ResultConversions.h"
#include "bench/BenchmarkProgram.h"
#include "bench/RecordedFailures.h"
#include "maker/binding/MakerLibraries.h"
#include "marrowset/ChannelCommands.h"
#include "marrowset/Combine.h"
#include "marrowset/ImageEdit.h"
#include "marrowset/Module1.h"
#include "marrowset/Pastes.h"
#include "marrowset/Preview.h"
#include "marrowset/Program.h"
#include "platform/FatalError.h"
#include "platform/Memory.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "plugin/startup/DBusWindowHandover.h"
#include "tests/support/RunningHost.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <exception>
#include <utility>
#include <vector>

namespace {

constexpr int kBrushWidth = 1920;
constexpr int kBrushHeight = 1080;
constexpr int16_t kImageWidth = 3840;
constexpr int16_t kImageHeight = 2160;
constexpr int kPreviewWidth = 640;
constexpr int kPreviewHeight = 480;
// More than the host's undo limit (16).
constexpr int kUndoSnapshots = 20;

// Set up in main, before any benchmark runs.
marrowset::Module1* module = nullptr;
bench::RecordedFailures* failures = nullptr;

// Image pixels per paste, so that results also read as pixels/s.
void countImagePixels(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * int64_t{kImageWidth} * kImageHeight);
}

// Runs one of the module's commands per iteration. A failing host call
// throws out of the module's routines; it is reported like a failure that
// would have ended the program.
template <typename Command> void runCommand(benchmark::State& state, Command commandOnce) {
    for (auto _ : state) {
        try {
            commandOnce();
        } catch (const std::exception& error) {
            failures->record(QString::fromUtf8(error.what()));
        }
        if (failures->skipped(state))
            break;
    }
    countImagePixels(state);
}

void paste(benchmark::State& state, void (marrowset::Module1::*pasteOnce)()) {
    runCommand(state, [pasteOnce] { (module->*pasteOnce)(); });
}

void BM_PasteOverlay(benchmark::State& state) {
    paste(state, &marrowset::Module1::pasteOverlay);
}
BENCHMARK(BM_PasteOverlay)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PasteCentred(benchmark::State& state) {
    paste(state, &marrowset::Module1::pasteCentred);
}
BENCHMARK(BM_PasteCentred)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PasteScaled(benchmark::State& state) {
    paste(state, &marrowset::Module1::pasteScaled);
}
BENCHMARK(BM_PasteScaled)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline of the pastes: the image's three colour planes fetched from
// the host and handed back, each moved into its call as the pastes do, and
// nothing else.
void BM_SixPlaneTransfers(benchmark::State& state) {
    host::AutomationObject& hostObject = module->hostObject();
    const char* getters[] = {"tal_GetRBuffer", "tal_GetGBuffer", "tal_GetBBuffer"};
    const char* setters[] = {"Tal_SetRBuffer", "Tal_SetGBuffer", "Tal_SetBBuffer"};
    for (auto _ : state) {
        std::array<host::Variant, 3> planes;
        for (std::size_t c = 0; c < planes.size(); ++c)
            planes[c] = hostObject.Invoke(getters[c]);
        for (std::size_t c = 0; c < planes.size(); ++c) {
            std::vector<host::Variant> args;
            args.emplace_back(std::move(planes[c]));
            hostObject.Invoke(setters[c], args);
        }
    }
    countImagePixels(state);
}
BENCHMARK(BM_SixPlaneTransfers)->Unit(benchmark::kMillisecond)->UseRealTime();

// The calls of a paste that move no plane: the undo snapshot, the size and
// the redraw. Together with the six transfers, the whole of a paste's host
// traffic.
void BM_PasteCallsWithoutPlanes(benchmark::State& state) {
    host::AutomationObject& hostObject = module->hostObject();
    for (auto _ : state) {
        hostObject.Invoke("Tal_SaveUndo");
        benchmark::DoNotOptimize(hostObject.Invoke("Tal_BufferWidth"));
        benchmark::DoNotOptimize(hostObject.Invoke("Tal_BufferHeight"));
        hostObject.Invoke("tal_Refresh");
    }
}
BENCHMARK(BM_PasteCallsWithoutPlanes)->Unit(benchmark::kMillisecond)->UseRealTime();

// Each paste's walk alone, on the image's planes fetched once.
void walk(benchmark::State& state,
          void (*walkOnce)(const marrowset::HeldBuffer&, marrowset::ImageColour&)) {
    marrowset::ImageColour image = marrowset::beginColourEdit(module->hostObject());
    for (auto _ : state) {
        walkOnce(module->held(), image);
        benchmark::ClobberMemory();
    }
}

void BM_WalkOverlay(benchmark::State& state) {
    walk(state, marrowset::overlayPlanes);
}
BENCHMARK(BM_WalkOverlay)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WalkCentred(benchmark::State& state) {
    walk(state, marrowset::centrePlanes);
}
BENCHMARK(BM_WalkCentred)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WalkScaled(benchmark::State& state) {
    walk(state, marrowset::scalePlanes);
}
BENCHMARK(BM_WalkScaled)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 3840 x 2160 held buffer, planes of 3841 x 2161, with samples that vary
// in both directions and between channels.
marrowset::HeldBuffer largeHeldBuffer() {
    marrowset::HeldBuffer held;
    held.W = kImageWidth;
    held.H = kImageHeight;
    host::ByteArray* planes[] = {&held.alpha, &held.red, &held.green, &held.blue};
    for (int c = 0; c < 4; ++c) {
        *planes[c] = host::ByteArray::plane(held.W + 1, held.H + 1);
        for (int32_t y = 0; y <= held.H; ++y) {
            uint8_t* row = planes[c]->data() + static_cast<std::size_t>(y) * (held.W + 1);
            for (int32_t x = 0; x <= held.W; ++x)
                row[x] = static_cast<uint8_t>(x * (c + 1) + y * 3);
        }
    }
    return held;
}

void BM_DisplayBrushPreview(benchmark::State& state) {
    const marrowset::HeldBuffer held = largeHeldBuffer();
    platform::PictureBox preview;
    preview.resize(kPreviewWidth, kPreviewHeight);
    for (auto _ : state) {
        marrowset::drawHeldBuffer(preview, held);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPreviewWidth * kPreviewHeight);
}
BENCHMARK(BM_DisplayBrushPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline of the preview: the maker's scaler alone, from the same
// planes into a 640 x 480 pixel buffer, without the checks around it or the
// copy into the picture box.
void BM_ScalerAlone(benchmark::State& state) {
    const marrowset::HeldBuffer held = largeHeldBuffer();
    std::vector<uint32_t> pixels(std::size_t{kPreviewWidth} * kPreviewHeight);
    for (auto _ : state) {
        maker::z_scale_to_dib(held.red.data(), held.green.data(), held.blue.data(), pixels.data(),
                              held.W + 1, held.H + 1, kPreviewWidth, kPreviewHeight, kPreviewWidth);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPreviewWidth * kPreviewHeight);
}
BENCHMARK(BM_ScalerAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

// The commands below apply a held buffer as large as the image. The module
// holds the host's 1920 x 1080 brush; for the length of one benchmark it
// holds a 3840 x 2160 buffer in its place, whose size matches the image's,
// so that the walks cover the whole image and replacing the image makes no
// new one.
class LargeHeldBufferInPlace {
public:
    LargeHeldBufferInPlace() : brush_(module->hold(std::move(large()))) {}
    ~LargeHeldBufferInPlace() { large() = module->hold(std::move(brush_)); }
    LargeHeldBufferInPlace(const LargeHeldBufferInPlace&) = delete;
    LargeHeldBufferInPlace& operator=(const LargeHeldBufferInPlace&) = delete;

private:
    static marrowset::HeldBuffer& large() {
        static marrowset::HeldBuffer held = largeHeldBuffer();
        return held;
    }

    marrowset::HeldBuffer brush_;
};

// Subtract (mode 1), whose table look-ups cost what every mode's do. Beside
// BM_SixPlaneTransfers, the transfers it makes.
void BM_CombineWholeImage(benchmark::State& state) {
    const LargeHeldBufferInPlace inPlace;
    runCommand(state, [] { module->combine(1); });
}
BENCHMARK(BM_CombineWholeImage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UseHueWholeImage(benchmark::State& state) {
    const LargeHeldBufferInPlace inPlace;
    runCommand(state, [] { module->useAsGreyscale(marrowset::GreyComponent::Hue); });
}
BENCHMARK(BM_UseHueWholeImage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The two walks alone, on the image's planes fetched once: what each command
// adds to its host traffic.
void BM_WalkCombine(benchmark::State& state) {
    const LargeHeldBufferInPlace inPlace;
    walk(state, [](const marrowset::HeldBuffer& held, marrowset::ImageColour& image) {
        marrowset::combinePlanes(held, image, *module->combineTable(), 1);
    });
}
BENCHMARK(BM_WalkCombine)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WalkHue(benchmark::State& state) {
    const LargeHeldBufferInPlace inPlace;
    walk(state, [](const marrowset::HeldBuffer& held, marrowset::ImageColour& image) {
        marrowset::greyscalePlanes(held, image, marrowset::GreyComponent::Hue,
                                   module->filterRoutines);
    });
}
BENCHMARK(BM_WalkHue)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline of "Use hue": one RGB_To_HSV call per pixel the command
// converts, the image's 3840 x 2160, with the same inputs (each byte as a
// single-precision fraction of 255) through the same bound pointer, and
// nothing else.
void BM_RgbToHsvCallsAlone(benchmark::State& state) {
    const LargeHeldBufferInPlace inPlace;
    const marrowset::HeldBuffer& held = module->held();
    std::array<float, 256> fraction{};
    for (std::size_t value = 0; value < fraction.size(); ++value)
        fraction[value] = static_cast<float>(static_cast<double>(value) / 255.0);
    const auto convert = maker::RGB_To_HSV.pointer();
    const std::size_t stride = static_cast<std::size_t>(held.W) + 1;
    // The routine is called through a pointer into another library, so no
    // call can be left out however its results are used.
    for (auto _ : state) {
        for (int32_t y = 0; y < kImageHeight; ++y) {
            const std::size_t row = static_cast<std::size_t>(y) * stride;
            const uint8_t* r = held.red.data() + row;
            const uint8_t* g = held.green.data() + row;
            const uint8_t* b = held.blue.data() + row;
            for (int32_t x = 0; x < kImageWidth; ++x) {
                float hue = 0.0f;
                float saturation = 0.0f;
                float value = 0.0f;
                convert(fraction[r[x]], fraction[g[x]], fraction[b[x]], &hue, &saturation, &value);
            }
        }
    }
    countImagePixels(state);
}
BENCHMARK(BM_RgbToHsvCallsAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Replace existing image", answered OK, on an image already of the held
// buffer's size: no new image is made, and the image stays 3840 x 2160.
void BM_ReplaceImageOfTheSameSize(benchmark::State& state) {
    const LargeHeldBufferInPlace inPlace;
    runCommand(state, [] { module->replaceBuffer(); });
    host::AutomationObject& hostObject = module->hostObject();
    if (host::resultToInt32("Tal_BufferWidth", hostObject.Invoke("Tal_BufferWidth")) !=
            kImageWidth ||
        host::resultToInt32("Tal_BufferHeight", hostObject.Invoke("Tal_BufferHeight")) !=
            kImageHeight)
        state.SkipWithError("The replaced image is no longer 3840 x 2160.");
}
BENCHMARK(BM_ReplaceImageOfTheSameSize)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline of the replace: four planes of a held buffer as large as the
// image stored into it, alpha, red, green, blue, each moved into its call and
// back as the command hands them over, and nothing else.
void BM_FourHeldPlaneStores(benchmark::State& state) {
    marrowset::HeldBuffer held = largeHeldBuffer();
    host::AutomationObject& hostObject = module->hostObject();
    const std::pair<const char*, host::ByteArray*> stores[] = {{"Tal_SetaBuffer", &held.alpha},
                                                               {"Tal_SetRBuffer", &held.red},
                                                               {"Tal_SetGBuffer", &held.green},
                                                               {"Tal_SetBBuffer", &held.blue}};
    for (auto _ : state) {
        for (const auto& [setter, plane] : stores) {
            std::vector<host::Variant> args;
            args.emplace_back(std::move(*plane));
            hostObject.Invoke(setter, args);
            *plane = std::move(std::get<host::ByteArray>(args.front()));
        }
    }
    countImagePixels(state);
}
BENCHMARK(BM_FourHeldPlaneStores)->Unit(benchmark::kMillisecond)->UseRealTime();

// The brush picture: opaque, a different colour in every channel and
// direction, so that no paste copies runs of equal bytes.
bool writeBrushPicture(const QString& path) {
    QImage picture(kBrushWidth, kBrushHeight, QImage::Format_ARGB32);
    for (int y = 0; y < kBrushHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < kBrushWidth; ++x)
            row[x] = qRgba(x & 0xFF, y & 0xFF, (x + y) & 0xFF, 255);
    }
    return picture.save(path);
}

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemoryForReuse();
    bench::preferOffscreenPlatform();
    QApplication application(argc, argv);
    if (!bench::readBenchmarkFlags(argc, argv))
        return 1;

    // A message box would otherwise wait for a user, and a failed paste
    // would end the process before the benchmark could report it.
    bench::RecordedFailures recorded;
    failures = &recorded;

    QTemporaryDir folder;
    const QString brushPath = folder.filePath("brush.png");
    if (!folder.isValid() || !writeBrushPicture(brushPath)) {
        std::fprintf(stderr, "The brush picture cannot be written.\n");
        return 1;
    }
    tests::PrivateBus bus;
    // No autosave: it would write the animations to the disk while they are timed.
    tests::RunningHost runningHost(bus, {"--brush", brushPath, "--autosave", "0"});
    runningHost.object().Invoke("Tal_NewBuffer", {kImageWidth, kImageHeight});

    plugin::DBusWindowHandover handover(runningHost.pluginConnection());
    marrowset::Program pasting(handover, QString());
    const plugin::StartUpOutcome outcome =
        pasting.startUp([&] { return host::connectToHost(runningHost.pluginConnection()); });
    const marrowset::HeldBuffer& brush = pasting.module().held();
    if (outcome != plugin::StartUpOutcome::WindowsOpen || !recorded.failure().isEmpty() ||
        brush.W != kBrushWidth || brush.H != kBrushHeight || !brush.hasPlanes()) {
        std::fprintf(stderr, "The start-up did not hold the %d x %d brush: %s\n", kBrushWidth,
                     kBrushHeight, qPrintable(recorded.failure()));
        return 1;
    }
    // Every paste leaves an undo snapshot of the whole image in the host,
    // which keeps a bounded number of them. Filled to that bound first, the
    // history is in its steady state from the first benchmark on (each new
    // snapshot replaces the oldest), whatever the order the benchmarks run in.
    for (int snapshot = 0; snapshot < kUndoSnapshots; ++snapshot)
        runningHost.object().Invoke("Tal_SaveUndo");
    module = &pasting.module();

    return bench::runSelectedBenchmarks();
}
