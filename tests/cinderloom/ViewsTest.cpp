// The cell strip and film views: their geometry and hit test, the planes
// they are drawn from, and the window's scrolling, resizing and painting.
#include "cinderloom/CLOptions.h"
#include "cinderloom/Cinderloom.h"
#include "cinderloom/StripRendering.h"
#include "maker/widgets/HPropScroller.h"
#include "platform/PictureBox.h"
#include "tests/cinderloom/CinderloomTestSupport.h"

#include <QCoreApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <functional>

namespace tests {
namespace {

using cinderloom::CellStore;
using cinderloom::Channel;
using cinderloom::ViewPlanes;

TEST(CellGeometryTest, RoundsHalvesToEvenAndGivesZeroWhenNoCellFits) {
    // 320 / 240 × 76 = 101.33 -> 101; 100 / 40 × 21 = 52.5 -> 52 (even);
    // 100 / 40 × 23 = 57.5 -> 58 (even), which truncation would make 57.
    EXPECT_EQ(cinderloom::cellGeometry(320, 240, 76).width, 101);
    EXPECT_EQ(cinderloom::cellGeometry(100, 40, 21).width, 52);
    EXPECT_EQ(cinderloom::cellGeometry(100, 40, 23).width, 58);
    // 1 / 240 × 76 = 0.32; no frame size at all must not divide by 0.
    EXPECT_EQ(cinderloom::cellGeometry(1, 240, 76).width, 0);
    EXPECT_EQ(cinderloom::cellGeometry(0, 0, 76).width, 0);
    EXPECT_EQ(cinderloom::cellGeometry(320, 240, 0).width, 0);
}

TEST(HitIndexTest, RoundsBothOperandsAndTruncatesTowardZero) {
    const double exact = 320.0 / 240.0 * 76.0; // 101.33, rounded 101
    EXPECT_EQ(cinderloom::hitIndex(150, 0, exact), 1);
    EXPECT_EQ(cinderloom::hitIndex(303, 0, exact), 3);
    EXPECT_EQ(cinderloom::hitIndex(100, 0, exact), 0);
    // 0 + 304 = 304, 304 / 101 = 3 remainder 1.
    EXPECT_EQ(cinderloom::hitIndex(0, -304, exact), 3);
    // Up to one width left of cell 0 truncates to 0; −101 / 101 is −1.
    EXPECT_EQ(cinderloom::hitIndex(-1, 0, exact), 0);
    EXPECT_EQ(cinderloom::hitIndex(-100, 0, exact), 0);
    EXPECT_EQ(cinderloom::hitIndex(-101, 0, exact), -1);
    // x 100.5 rounds to 100 (even), 101.5 to 102; a width of 100.5 to 100.
    EXPECT_EQ(cinderloom::hitIndex(100.5, 0, exact), 0);
    EXPECT_EQ(cinderloom::hitIndex(101.5, 0, exact), 1);
    EXPECT_EQ(cinderloom::hitIndex(100, 0, 100.5), 1);
    EXPECT_EQ(cinderloom::hitIndex(10, 0, 0.4), std::nullopt);
}

// A store of frames 4 × 2 (columns 0..4, rows 0..2) holding `cells` cells,
// every sample distinct: channel × 64 + cell × 16 + y × 5 + x.
CellStore smallStore(int cells) {
    CellStore store(5, 3, cells);
    for (int c = 0; c < cells; ++c)
        for (int channel = 0; channel < 3; ++channel) {
            uint8_t* samples = store.cell(cinderloom::kChannels[channel], c);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x)
                    samples[y * 5 + x] = static_cast<uint8_t>(channel * 64 + c * 16 + y * 5 + x);
        }
    return store;
}

uint8_t sample(int channel, int cell, int x, int y) {
    return static_cast<uint8_t>(channel * 64 + cell * 16 + y * 5 + x);
}

// In a view 3 high the 4 × 2 frames are 4 / 2 × 3 = 6 wide. The steps are
// float(4 / 6) = 0.6666667 and float(2 / 3) = 0.6666667, so display columns
// 0..5 read source columns floor(0, 0.67, 1.33, 2.0000001, 2.67, 3.33) and
// rows 0..2 read rows floor(0, 0.67, 1.33).
constexpr int kColumns[6] = {0, 0, 1, 2, 2, 3};
constexpr int kRows[3] = {0, 0, 1};

// Checks every sample of the planes against `expected` (channel, x, y).
void expectPlanes(const ViewPlanes& planes, const std::function<int(int, int, int)>& expected) {
    const host::ByteArray* all[3] = {&planes.red, &planes.green, &planes.blue};
    for (int channel = 0; channel < 3; ++channel)
        for (int y = 0; y <= planes.height; ++y)
            for (int x = 0; x <= planes.width; ++x)
                ASSERT_EQ(all[channel]->at(x, y), expected(channel, x, y))
                    << "channel " << channel << " at (" << x << ", " << y << ")";
}

TEST(StripRenderingTest, CellStripSamplesClipsNegatesTheSelectedCellAndLeavesTheRestBlack) {
    const CellStore store = smallStore(2);
    const auto geometry = cinderloom::cellGeometry(4, 2, 3);
    ASSERT_EQ(geometry.width, 6);
    // 14 × 3 view, offset −1, three cells counted but two held: cell 0 shows
    // its columns 1..5 at x 0..4, the selected cell 1 x 5..10, cell 2 nothing.
    ViewPlanes planes(14, 3);
    cinderloom::renderCellStrip(planes, store, 3, geometry, -1, 1);
    expectPlanes(planes, [](int channel, int x, int y) {
        if (y >= 3 || x >= 11)
            return 0;
        if (x < 5)
            return int{sample(channel, 0, kColumns[x + 1], kRows[y])};
        return 255 - sample(channel, 1, kColumns[x - 5], kRows[y]);
    });

    // Frames 8 wide would read columns the store does not have.
    ViewPlanes untouched(14, 3);
    cinderloom::renderCellStrip(untouched, store, 2, cinderloom::cellGeometry(8, 2, 3), 0, 0);
    expectPlanes(untouched, [](int, int, int) { return 0; });
}

TEST(StripRenderingTest, FilmShowsCellsWhiteForEmptyOrMissingAndRedrawsOneSlotAlone) {
    const CellStore store = smallStore(2);
    const auto geometry = cinderloom::cellGeometry(4, 2, 3);
    // 40000 kept in 16 bits is −25536; cell 2 is not in the store. Slots of 6
    // pixels: x 0..5 cell 1, 6..23 white, 24..26 black right of the last slot.
    std::vector<int16_t> film{1, -1, -25536, 2};
    ViewPlanes canvas(26, 3);
    canvas.red.at(25, 1) = 99;
    cinderloom::renderFilmSlots(canvas, store, film, geometry, 0, std::nullopt);
    const auto wholeFilm = [](int channel, int x, int y) {
        if (y >= 3 || x >= 24)
            return 0;
        if (x < 6)
            return int{sample(channel, 1, kColumns[x], kRows[y])};
        return 255;
    };
    expectPlanes(canvas, wholeFilm);

    // Slots 1 and 2 change, but only slot 1 is redrawn; slot 2 keeps white.
    film[1] = 0;
    film[2] = 0;
    cinderloom::renderFilmSlots(canvas, store, film, geometry, 0, 1);
    const auto slotOneRedrawn = [&](int channel, int x, int y) {
        if (x >= 6 && x < 12 && y < 3)
            return int{sample(channel, 0, kColumns[x - 6], kRows[y])};
        return wholeFilm(channel, x, y);
    };
    expectPlanes(canvas, slotOneRedrawn);
    // A slot beyond the film or out of sight recomputes nothing.
    cinderloom::renderFilmSlots(canvas, store, film, geometry, 0, 4);
    cinderloom::renderFilmSlots(canvas, store, film, geometry, 0, -2);
    expectPlanes(canvas, slotOneRedrawn);
}

TEST(StripRenderingTest, ViewColumnsOfASlotAreClippedToTheView) {
    const auto geometry = cinderloom::cellGeometry(320, 240, 76);
    using Span = cinderloom::ColumnSpan;
    // Slot 3 of a film scrolled by −304 starts at −1; slot 10 at 706 is cut
    // at the view's 729 columns; slot 11 at 807 is out of sight.
    EXPECT_EQ(cinderloom::viewColumnsOf(3, -304, geometry, 729), (Span{0, 100}));
    EXPECT_EQ(cinderloom::viewColumnsOf(4, -304, geometry, 729), (Span{100, 201}));
    EXPECT_EQ(cinderloom::viewColumnsOf(10, -304, geometry, 729), (Span{706, 729}));
    EXPECT_TRUE(cinderloom::viewColumnsOf(11, -304, geometry, 729).empty());
    EXPECT_TRUE(cinderloom::viewColumnsOf(2, -304, geometry, 729).empty());
    EXPECT_TRUE(cinderloom::viewColumnsOf(-1, 0, geometry, 729).empty());
    EXPECT_TRUE(cinderloom::viewColumnsOf(0, 0, cinderloom::cellGeometry(1, 240, 76), 729).empty());
}

using ViewsWindowTest = UniformCellsTest;

TEST_F(ViewsWindowTest, CellStripShowsTheSelectedCellNegativeAndPressesChooseByPosition) {
    auto& window = openWindow(320, 240, {green, violet});
    // 76 high: cells 101 wide, at x 0..100 and 101..201, black from 202.
    window.Picture1->resize(window.Picture1->width(), 76);
    window.Picture1_Paint();
    EXPECT_EQ(uniformColour(*window.Picture1, 0, 98), QColor(245, 55, 225));
    EXPECT_EQ(uniformColour(*window.Picture1, 103, 199), violet);
    EXPECT_EQ(uniformColour(*window.Picture1, 204, 732), QColor(Qt::black));

    send(window.Picture1, QEvent::MouseButtonPress, Qt::LeftButton, 150);
    EXPECT_EQ(module->view().selectedCell, 1);
    EXPECT_EQ(uniformColour(*window.Picture1, 0, 98), green);
    EXPECT_EQ(uniformColour(*window.Picture1, 103, 199), QColor(165, 195, 135));

    send(window.Picture1, QEvent::MouseButtonPress, Qt::RightButton, 303);
    EXPECT_EQ(module->view().selectedCell, 3);
    EXPECT_EQ(uniformColour(*window.Picture1, 103, 199), violet);
    send(window.Picture1, QEvent::MouseButtonPress, Qt::MiddleButton, 100);
    EXPECT_EQ(module->view().selectedCell, 0);
}

TEST_F(ViewsWindowTest, ScrolledFilmPaintsTheSlotUnderThePointerAndRedrawsOnlyThatSlot) {
    auto& window = openWindow(320, 240, {green, violet});
    window.Picture2->resize(window.Picture2->width(), 76);
    window.HProp2->setPosition(3);
    emit window.HProp2->Scroll();
    // 101.33 × 3 = 304: slot 3 starts at 3 × 101 − 304 = −1, slot 4 at 100.
    EXPECT_EQ(module->view().film.pixels(), -304);
    EXPECT_EQ(uniformColour(*window.Picture2, 0, 728), QColor(Qt::white));

    send(window.Picture2, QEvent::MouseButtonPress, Qt::RightButton, 0);
    EXPECT_EQ(module->film().cellAt(3), 0);
    EXPECT_EQ(uniformColour(*window.Picture2, 0, 97), green);
    EXPECT_EQ(uniformColour(*window.Picture2, 102, 728), QColor(Qt::white));

    // Slot 6 changes without a redraw; a drag over slot 4 must leave it as
    // it was shown.
    module->film().set(6, 1);
    send(window.Picture2, QEvent::MouseMove, Qt::MiddleButton, 150);
    EXPECT_EQ(module->film().cellAt(4), 0);
    EXPECT_EQ(uniformColour(*window.Picture2, 0, 198), green);
    EXPECT_EQ(uniformColour(*window.Picture2, 203, 728), QColor(Qt::white));
    // The slot redraws leave later redraws whole: slot 6, at 302..402, shows
    // its cell once the film is drawn again.
    window.Picture2_Paint();
    EXPECT_EQ(uniformColour(*window.Picture2, 305, 399), violet);

    // The ruler prints each number from its slot's left edge: ink there, none
    // in the slot's middle.
    const QImage& ruler = window.Picture4->image();
    const auto inkBetween = [&](int from, int to) {
        for (int y = 0; y < ruler.height(); ++y)
            for (int x = from; x <= to; ++x)
                if (ruler.pixelColor(x, y) != QColor(255, 224, 192))
                    return true;
        return false;
    };
    EXPECT_TRUE(inkBetween(100, 125));
    EXPECT_FALSE(inkBetween(140, 195));
}

TEST_F(ViewsWindowTest, PaintingOutsideTheFilmStoresNothingAndWideIndexesKeepTheirLow16Bits) {
    auto& window = openWindow(320, 240, {green, violet});
    window.Picture2->resize(window.Picture2->width(), 76);
    window.Picture2_Paint();
    const std::vector<int16_t> filmBefore = slotsOf(module->film());

    send(window.Picture2, QEvent::MouseMove, Qt::LeftButton, -101);
    EXPECT_EQ(slotsOf(module->film()), filmBefore);
    send(window.Picture2, QEvent::MouseMove, Qt::LeftButton, -100);
    EXPECT_EQ(module->film().cellAt(0), 0);
    module->film().set(0, -1);
    send(window.Picture2, QEvent::MouseMove, Qt::LeftButton, -1);
    EXPECT_EQ(module->film().cellAt(0), 0);
    // A move without a button held paints nothing.
    send(window.Picture2, QEvent::MouseMove, Qt::NoButton, 150);
    EXPECT_EQ(module->film().cellAt(1), -1);

    // Position 29: offset −round(101.33 × 29) = −2939; x 300 is slot 32 of 30.
    window.HProp2->setPosition(29);
    emit window.HProp2->Scroll();
    const std::vector<int16_t> filmAtEnd = slotsOf(module->film());
    send(window.Picture2, QEvent::MouseButtonPress, Qt::LeftButton, 300);
    EXPECT_EQ(slotsOf(module->film()), filmAtEnd);

    window.HProp2->setPosition(0);
    emit window.HProp2->Scroll();
    module->view().selectedCell = 40000;
    send(window.Picture2, QEvent::MouseButtonPress, Qt::LeftButton, 10);
    EXPECT_EQ(module->film().cellAt(0), -25536);
    EXPECT_EQ(uniformColour(*window.Picture2, 0, 728), QColor(Qt::white));
}

TEST_F(ViewsWindowTest, ContainerWidthChangeFitsTheGroupAndRedrawsTheWholeFilm) {
    auto& window = openWindow(320, 240, {green, violet});
    module->film().set(0, 1);
    window.Picture5->resize(600, window.Picture5->height());
    EXPECT_EQ(window.Picture2->width(), 596);
    EXPECT_EQ(window.Picture4->width(), 596);
    EXPECT_EQ(window.HProp2->width(), 596);
    // 77 high: slots 320 / 240 × 77 = 102.67 -> 103 wide. The last columns
    // blend with the planes' extra black column.
    EXPECT_EQ(uniformColour(*window.Picture2, 0, 100), violet);
    EXPECT_EQ(uniformColour(*window.Picture2, 105, 593), QColor(Qt::white));

    window.Picture3->resize(500, window.Picture3->height());
    EXPECT_EQ(window.Picture1->width(), 496);
    EXPECT_EQ(window.HProp1->width(), 496);
}

} // namespace
} // namespace tests
