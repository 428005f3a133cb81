// "Shoot it" of a 100-slot film of 640 x 480 cells into a real
// `tallowick --headless` on a private bus, plain and with the wiggle at the
// window's design values (amount 16, size 4). Every shot leaves a new
// animation of 100 frames (about 123 MB) in the host, which has no call to
// close one, so each benchmark runs a fixed, small number of shots. Items are
// film slots, each one host frame.
#include "bench/BenchmarkProgram.h"
#include "bench/RecordedFailures.h"
#include "cinderloom/CLOptions.h"
#include "cinderloom/Cinderloom.h"
#include "cinderloom/Module1.h"
#include "maker/widgets/VxDropSlider.h"
#include "platform/FatalError.h"
#include "platform/Memory.h"
#include "platform/MessageBox.h"
#include "plugin/startup/DBusWindowHandover.h"
#include "tests/support/RunningHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <benchmark/benchmark.h>
#include <cstddef>
#include <cstdio>

namespace {

constexpr int16_t kImageWidth = 640;
constexpr int16_t kImageHeight = 480;
constexpr int32_t kCells = 10;
constexpr int32_t kFilmLength = 100;
constexpr int kShots = 3;
// The wiggle's design values, set explicitly so that the figures keep their
// meaning if the design changes.
constexpr int kAmount = 16;
constexpr int kSize = 4;

// Set up in main, before any benchmark runs.
cinderloom::Module1* module = nullptr;
bench::RecordedFailures* failures = nullptr;

// Distinct samples in every cell and channel, so that the wiggle moves
// something other than flat white.
host::ByteArray cellPlane(int32_t cell, int channel) {
    host::ByteArray plane = host::ByteArray::plane(kImageWidth + 1, kImageHeight + 1);
    for (std::size_t i = 0; i < plane.size(); ++i)
        plane.data()[i] =
            static_cast<uint8_t>(i * 3 + static_cast<std::size_t>(cell) * 29 + channel * 85);
    return plane;
}

void paintCells(host::AutomationObject& hostObject) {
    hostObject.Invoke("Tal_NewBuffer", {kImageWidth, kImageHeight});
    hostObject.Invoke("tal_CreateAnimAdv", {kCells, int16_t{2}});
    for (int32_t cell = 0; cell < kCells; ++cell) {
        hostObject.Invoke("Tal_GotoFrameAdv", {cell, int16_t{3}});
        hostObject.Invoke("tal_SetRbuffer", {cellPlane(cell, 0)});
        hostObject.Invoke("tal_SetGBuffer", {cellPlane(cell, 1)});
        hostObject.Invoke("tal_SetBBuffer", {cellPlane(cell, 2)});
    }
}

void shootFilm(benchmark::State& state, bool wiggle) {
    cinderloom::Cinderloom& window = *module->mainWindow();
    window.Check1->setChecked(wiggle);
    window.VX_DropSlider1->setValue(kAmount);
    window.VX_DropSlider2->setValue(kSize);
    for (auto _ : state) {
        window.vx_button2_Click();
        if (failures->skipped(state))
            break;
    }
    state.SetItemsProcessed(state.iterations() * kFilmLength);
}

void BM_ShootFilm(benchmark::State& state) {
    shootFilm(state, false);
}
BENCHMARK(BM_ShootFilm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(kShots);

void BM_ShootWiggledFilm(benchmark::State& state) {
    shootFilm(state, true);
}
BENCHMARK(BM_ShootWiggledFilm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(kShots);

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemoryForReuse();
    bench::preferOffscreenPlatform();
    QApplication application(argc, argv);
    if (!bench::readBenchmarkFlags(argc, argv))
        return 1;

    // A message box would otherwise wait for a user, and a failed shot would
    // end the process before the benchmark could report it.
    bench::RecordedFailures recorded;
    failures = &recorded;

    tests::PrivateBus bus;
    // No autosave: it would write the animations to the disk while they are timed.
    tests::RunningHost runningHost(bus, {"--no-brush", "--autosave", "0"});
    paintCells(runningHost.object());

    plugin::DBusWindowHandover handover(runningHost.pluginConnection());
    cinderloom::Module1 shooting(handover);
    shooting.startUp([&] { return host::connectToHost(runningHost.pluginConnection()); });
    shooting.optionsDialog()->Text1->setText(QString::number(kFilmLength));
    shooting.optionsDialog()->Command1->click();
    const cinderloom::FrameSizes& sizes = shooting.cells().sizes();
    if (sizes.width != kImageWidth || sizes.height != kImageHeight || sizes.count != kCells ||
        !shooting.mainWindow() || shooting.film().length() != kFilmLength) {
        std::fprintf(stderr,
                     "The set-up did not retrieve %d cells of %d x %d pixels and open the "
                     "main window with a film of %d slots.\n",
                     kCells, kImageWidth, kImageHeight, kFilmLength);
        return 1;
    }
    for (int32_t slot = 0; slot < kFilmLength; ++slot)
        shooting.film().set(slot, static_cast<int16_t>(slot % kCells));
    module = &shooting;

    return bench::runSelectedBenchmarks();
}
