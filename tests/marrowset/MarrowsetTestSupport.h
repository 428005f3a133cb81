#pragma once

#include "automation/ByteArray.h"
#include "marrowset/Module1.h"
#include "marrowset/Program.h"
#include "platform/FatalError.h"
#include "tests/support/FakeHost.h"
#include "tests/support/LocalWindowHandover.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/QtPrinting.h"

#include <QEvent>
#include <QPointF>
#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace marrowset {
class Form1;
class Form2;
} // namespace marrowset

namespace tests {

// Channels of the scripted brush and image, in the order the host hands out
// the brush: 0 alpha, 1 red, 2 green, 3 blue.
enum ScriptedChannel { kAlpha, kRed, kGreen, kBlue };

// Sample (x, y) of `channel` of the scripted brush and of the scripted image:
// brush and image differ everywhere (255 is odd), and neighbouring samples,
// across and down, differ within a plane and between channels.
inline uint8_t brushSample(int channel, int x, int y) {
    return static_cast<uint8_t>(channel * 67 + y * 13 + x * 3 + 1);
}
inline uint8_t imageSample(int channel, int x, int y) {
    return static_cast<uint8_t>(255 - brushSample(channel, x, y));
}

// A plane of the given bounds holding brushSample(channel, x, y) at each of
// its indexes (x, y).
host::ByteArray brushPlane(int channel, host::Dimension columns, host::Dimension rows);

// The brush calls answer with a brush of W x H whose planes have the given
// bounds; by default columns 0..W and rows 0..H, as the host hands them out.
void scriptBrush(FakeHost& fake, int32_t W, int32_t H);
void scriptBrush(FakeHost& fake, int32_t W, int32_t H, host::Dimension columns,
                 host::Dimension rows);

// The host's current image, answered through the fake host's calls and
// changed by its set calls: BW x BH pixels, planes of columns 0..BW and rows
// 0..BH holding imageSample.
class FakeImage {
public:
    FakeImage(FakeHost& fake, int32_t BW, int32_t BH);
    // Another image, as when the host's current image changes.
    void replace(int32_t BW, int32_t BH);

    int32_t BW = 0;
    int32_t BH = 0;
    host::ByteArray planes[4];
};

// What a command wrote into image sample (x, y) of `channel`; nothing where
// the image keeps its own.
using Written = std::function<std::optional<uint8_t>(int channel, int x, int y)>;

// Checks every sample of the image's four planes, columns 0..BW and rows
// 0..BH: what `written` says, or the image's own sample.
void expectImage(const FakeImage& image, const Written& written);

// A combine table of the host's shape whose entry (s, d, m) is
// (s + 2 d + 3 m) mod 256.
host::ByteArray scriptedCombineTable();

// A mouse event of `type` sent straight to `widget` at `at`.
void sendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button,
               Qt::MouseButtons held);

// The program over a scripted fake host, its window handed over in-process:
// a brush of 4 x 3 and an image of 6 x 5 until a test scripts others. The
// fake outlives the program, so a test may start several in turn. The
// scaling library is bound from the application folder, as the program
// finds it beside itself.
class MarrowsetTest : public ::testing::Test {
protected:
    MarrowsetTest();
    ~MarrowsetTest() override;

    // A new program with `commandLine`, started up.
    plugin::StartUpOutcome startUp(const QString& commandLine = {});
    // Start-up, expecting the window to open.
    marrowset::Form1& openWindow(const QString& commandLine = {});
    // The open window's menu holder.
    marrowset::Form2& menu();
    // The started program's module.
    marrowset::Module1& module() { return program->module(); }

    // What a step that is to end the program left: the status it ended with
    // (none when it did not end it) and what it wrote on standard error.
    struct Ending {
        std::optional<int> status;
        std::string errorOutput;
    };
    Ending endingOf(const std::function<void()>& step);
    FakeHost& fake() { return fake_; }

    LocalWindowHandover handover;
    MessageBoxRecorder messageBoxes;
    std::unique_ptr<marrowset::Program> program;

private:
    FakeHost fake_;
    // A fatal error the test did not ask for fails the test instead of
    // ending the test program.
    platform::ScopedExitHandler unexpectedExit_;

protected:
    FakeImage image;
};

} // namespace tests
