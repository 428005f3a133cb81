// Playing the film: which slot is due when, and the playback window on the
// real main window with a clock the test moves.
#include "cinderloom/Playback.h"

#include "cinderloom/Cinderloom.h"
#include "cinderloom/FilmActions.h"
#include "cinderloom/FilmHistory.h"
#include "cinderloom/FilmPlayback.h"
#include "cinderloom/FilmPlayer.h"
#include "cinderloom/PlaybackWindow.h"
#include "cinderloom/SlotMarker.h"
#include "platform/PictureBox.h"
#include "tests/cinderloom/CinderloomTestSupport.h"
#include "tests/cinderloom/ManualPlaybackClock.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace tests {
namespace {

using cinderloom::Playback;
using std::chrono::nanoseconds;

// ceil(10⁹ / 12) and ceil(10⁹ / 24) nanoseconds.
constexpr nanoseconds kTwelfth{83'333'334};
constexpr nanoseconds kTwentyFourth{41'666'667};

TEST(PlaybackTimingTest, FramesFallDueByTheClockAndLoopOverTheFilm) {
    const Playback playback(nanoseconds(1'000'000'000), 12);
    const auto at = [&](int64_t ns, int32_t length) {
        return playback.frameAt(nanoseconds(1'000'000'000 + ns), length);
    };
    EXPECT_EQ(at(0, 3).frame, 0);
    EXPECT_EQ(at(0, 3).lateness, nanoseconds(0));
    EXPECT_EQ(at(0, 3).untilNext, kTwelfth);
    EXPECT_EQ(at(kTwelfth.count() - 1, 3).frame, 0);
    EXPECT_EQ(at(kTwelfth.count(), 3).frame, 1);
    // 100 ms in, frame 1 is 16.67 ms late and frame 2 due in 66.67 ms.
    EXPECT_EQ(at(100'000'000, 3).lateness, nanoseconds(100'000'000) - kTwelfth);
    EXPECT_EQ(at(100'000'000, 3).untilNext, nanoseconds(166'666'667 - 100'000'000));
    // A second is 12 frames: slot 0 of 3, then slot 2 of a film of 5.
    EXPECT_EQ(at(1'000'000'000, 3).frame, 12);
    EXPECT_EQ(at(1'000'000'000, 3).slot, 0);
    EXPECT_EQ(at(1'000'000'000, 5).slot, 2);
    // Before the start it waits on frame 0.
    EXPECT_EQ(at(-5, 3).frame, 0);
    EXPECT_EQ(at(-5, 3).untilNext, kTwelfth + nanoseconds(5));
    EXPECT_EQ(playback.period(), nanoseconds(83'333'333));

    EXPECT_THROW(Playback(nanoseconds(0), 0), cinderloom::PlaybackError);
    EXPECT_THROW((void)playback.frameAt(nanoseconds(0), 0), cinderloom::PlaybackError);
}

TEST(PlaybackTimingTest, ANewRateGoesOnFromTheFrameDueThen) {
    Playback playback(nanoseconds(0), 12);
    playback.setRate(24, nanoseconds(100'000'000));
    EXPECT_EQ(playback.rate(), 24);
    const auto due = playback.frameAt(nanoseconds(100'000'000), 7);
    EXPECT_EQ(due.frame, 1);
    EXPECT_EQ(due.lateness, nanoseconds(0));
    EXPECT_EQ(due.untilNext, kTwentyFourth);
    EXPECT_EQ(playback.frameAt(nanoseconds(100'000'000) + kTwentyFourth, 7).frame, 2);
    EXPECT_THROW(playback.setRate(-1, nanoseconds(0)), cinderloom::PlaybackError);
    EXPECT_EQ(playback.rate(), 24);
}

TEST(PlaybackTimingTest, ThePictureKeepsTheCellsShapeCentredInItsArea) {
    // 320 × 240 in 700 × 400: 533 × 400, centred.
    EXPECT_EQ(cinderloom::fitKeepingShape({320, 240}, {0, 0, 700, 400}), QRect(83, 0, 533, 400));
    EXPECT_EQ(cinderloom::fitKeepingShape({320, 240}, {10, 20, 160, 400}),
              QRect(10, 160, 160, 120));
    EXPECT_EQ(cinderloom::fitKeepingShape({0, 240}, {0, 0, 700, 400}), QRect());
    EXPECT_EQ(cinderloom::fitKeepingShape({320, 240}, {0, 0, 0, 400}), QRect());
}

class PlaybackWindowTest : public UniformCellsTest {
protected:
    // The main window over green and violet cells, with a film of 3 slots:
    // cell 0, cell 1, empty.
    cinderloom::Cinderloom& openWithFilm() {
        auto& window = openWindow(320, 240, {green, violet});
        EXPECT_TRUE(folder_.isValid());
        const QString path = folder_.filePath("three.xdts");
        QFile sheet(path);
        EXPECT_TRUE(sheet.open(QIODevice::WriteOnly));
        sheet.write("exchangeDigitalTimeSheet Save Data\n{\"timeTables\": [{\"duration\": 3, "
                    "\"fields\": [{\"fieldId\": 0, \"tracks\": [{\"trackNo\": 0, \"frames\": "
                    "[{\"frame\": 0, \"data\": [{\"id\": 0, \"values\": [\"1\"]}]}, {\"frame\": "
                    "1, \"data\": [{\"id\": 0, \"values\": [\"2\"]}]}, {\"frame\": 2, \"data\": "
                    "[{\"id\": 0, \"values\": [\"SYMBOL_NULL_CELL\"]}]}]}]}]}]}");
        sheet.close();
        window.openFilm(path);
        return window;
    }

    cinderloom::PlaybackWindow& play(cinderloom::Cinderloom& window) {
        window.playback().start(std::make_unique<ManualPlaybackClock>(time));
        return window.playback().player()->window();
    }

    // The colour at the middle of the playback picture.
    static QColor shownColour(const cinderloom::PlaybackWindow& playback) {
        const QImage& image = playback.Picture->image();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }

    std::shared_ptr<ManualPlaybackClock::Time> time = std::make_shared<ManualPlaybackClock::Time>();

private:
    QTemporaryDir folder_;
};

TEST_F(PlaybackWindowTest, ShowsTheSlotsInOrderAtTheRateLoopingAndMarksTheSlotInTheFilmView) {
    auto& window = openWithFilm();
    auto& playback = play(window);
    EXPECT_TRUE(playback.isVisible());
    EXPECT_EQ(playback.RateChoice->currentText(), "12 fps");
    QStringList rates;
    for (int index = 0; index < playback.RateChoice->count(); ++index)
        rates << playback.RateChoice->itemText(index);
    EXPECT_EQ(rates, (QStringList{"6 fps", "8 fps", "12 fps", "24 fps", "25 fps", "30 fps"}));
    // The picture keeps the cells' 4 : 3.
    EXPECT_EQ(playback.Picture->width() * 3, playback.Picture->height() * 4);

    const auto expectSlot = [&](int slot, const QColor& colour) {
        EXPECT_EQ(shownColour(playback), colour) << "slot " << slot;
        EXPECT_EQ(playback.SlotLabel->text(), QStringLiteral("Slot %1").arg(slot));
        // Slots of the film view are 320 / 240 × 77 = 103 pixels wide.
        EXPECT_TRUE(window.PlayedSlotMarker->isVisible());
        EXPECT_EQ(window.PlayedSlotMarker->geometry(), QRect(103 * slot, 0, 103, 77));
    };
    expectSlot(0, green);
    time->advanceTo(kTwelfth - nanoseconds(1));
    expectSlot(0, green);
    time->advanceTo(kTwelfth);
    expectSlot(1, violet);
    // The marker leaves the film view's picture as it was.
    EXPECT_EQ(uniformColour(*window.Picture2, 0, 98), green);
    time->advanceTo(2 * kTwelfth);
    expectSlot(2, Qt::white);
    time->advanceTo(3 * kTwelfth);
    expectSlot(0, green);

    // Painted while it plays, slot 2 shows its cell on the next pass.
    module->history().paint(module->film(), 2, 1);
    time->advanceTo(5 * kTwelfth);
    expectSlot(2, violet);

    // At 24 frames a second the next slot comes half as soon.
    playback.RateChoice->setCurrentIndex(3);
    emit playback.RateChoice->activated(3);
    time->advanceTo(5 * kTwelfth + kTwentyFourth - nanoseconds(1));
    expectSlot(2, violet);
    time->advanceTo(5 * kTwelfth + kTwentyFourth);
    expectSlot(0, green);
}

TEST_F(PlaybackWindowTest, EscapeOrClosingStopsItAndUnmarksTheFilm) {
    auto& window = openWithFilm();
    auto& playback = play(window);
    EXPECT_TRUE(window.filmActions().Play->isChecked());
    QTest::keyClick(&playback, Qt::Key_Escape);
    EXPECT_FALSE(playback.isVisible());
    EXPECT_FALSE(window.playback().player()->isPlaying());
    EXPECT_FALSE(window.PlayedSlotMarker->isVisible());
    EXPECT_FALSE(window.filmActions().Play->isChecked());
    time->advanceTo(kTwelfth);
    EXPECT_EQ(playback.SlotLabel->text(), "Slot 0");

    auto& again = play(window);
    time->advanceTo(2 * kTwelfth);
    EXPECT_EQ(again.SlotLabel->text(), "Slot 1");
    again.close();
    EXPECT_FALSE(window.playback().player()->isPlaying());
    EXPECT_FALSE(window.PlayedSlotMarker->isVisible());
}

TEST_F(PlaybackWindowTest, PlayStartsAndStopsItFromEitherWindowAndTheProgramsEndStopsIt) {
    auto& window = openWithFilm();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    ASSERT_NE(window.playback().player(), nullptr);
    EXPECT_TRUE(window.playback().player()->isPlaying());
    auto& playback = window.playback().player()->window();
    playback.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&playback));
    QTest::keyClick(&playback, Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(window.playback().player()->isPlaying());
    EXPECT_FALSE(playback.isVisible());

    window.filmActions().Play->trigger();
    EXPECT_TRUE(window.playback().player()->isPlaying());
    // "Exit Cinderloom" answered Yes.
    window.close();
    EXPECT_FALSE(window.playback().player()->isPlaying());
    EXPECT_FALSE(window.playback().player()->window().isVisible());
}

} // namespace
} // namespace tests
