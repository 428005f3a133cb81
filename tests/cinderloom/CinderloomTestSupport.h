#pragma once

#include "cinderloom/Module1.h"
#include "tests/cinderloom/FilmSlots.h"
#include "tests/support/FakeHost.h"
#include "tests/support/LocalWindowHandover.h"
#include "tests/support/MessageBoxRecorder.h"

#include <QColor>
#include <QDir>
#include <QEvent>
#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace cinderloom {
class Cinderloom;
}

namespace platform {
class PictureBox;
}

namespace tests {

// Sample (x, y) of `channel` (0 red, 1 green, 2 blue) in frame `frame` of the
// scripted animations: distinct for every sample of frames up to 4 × 4 and
// up to 4 frames (at most 2·64 + 3·16 + 3·4 + 3 = 191).
inline uint8_t scriptedSample(int channel, int frame, int x, int y) {
    return static_cast<uint8_t>(channel * 64 + frame * 16 + y * 4 + x);
}

// Answers the calls a retrieval makes with an animation of `frames` frames of
// width × height pixels. The planes cover columns 0..width + `extraColumns`
// and rows 0..height, as the host hands them out, so that a plane wider than
// the frame can be scripted too.
void scriptAnimation(FakeHost& fake, int32_t width, int32_t height, int32_t frames,
                     int32_t extraColumns = 0);

// A module over a scripted fake host, its windows handed over in-process.
// The fake is scripted before the start-up runs (a 3 × 2 animation of 2
// frames, the host's folder being the build's application folder); the
// current directory is put back afterwards.
class CinderloomTest : public ::testing::Test {
protected:
    CinderloomTest();
    ~CinderloomTest() override;

    void startUp();
    // Start-up, then "Ok" on the dialog's default of 30 frames.
    cinderloom::Cinderloom& openMainWindow();
    FakeHost& fake() { return *fake_; }

    LocalWindowHandover handover;
    std::unique_ptr<cinderloom::Module1> module;
    MessageBoxRecorder messageBoxes;

private:
    std::unique_ptr<FakeHost> ownedFake_;
    FakeHost* fake_;
    QString startDirectory_;
};

// A module whose animation has frames of one colour each, with its main
// window open on a new film of 30 empty slots.
class UniformCellsTest : public CinderloomTest {
protected:
    cinderloom::Cinderloom& openWindow(int32_t width, int32_t height,
                                       const std::vector<QColor>& frames);

    // A press, drag or release of `button` at (x, 10) in `view`; a release
    // leaves no button held.
    static void send(QWidget* view, QEvent::Type type, Qt::MouseButton button, double x);

    // The colour over display columns from..to of rows 0..70 when it is one
    // colour throughout, else an invalid colour. The blitter blends the
    // columns next to a boundary and the rows next to the planes' extra
    // black row, so checks keep clear of both.
    static QColor uniformColour(const platform::PictureBox& view, int from, int to);

    const QColor green{10, 200, 30};
    const QColor violet{90, 60, 120};
};

} // namespace tests
