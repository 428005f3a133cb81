#include "cinderloom/Cinderloom.h"
#include "cinderloom/FrameDevelopment.h"
#include "maker/binding/MakerLibraries.h"
#include "maker/widgets/VxButton.h"
#include "maker/widgets/VxDropSlider.h"
#include "platform/Random.h"
#include "tests/cinderloom/CinderloomTestSupport.h"

#include <QCheckBox>
#include <QTest>

namespace {

using cinderloom::FramePlanes;

class ShootingTest : public tests::CinderloomTest {
protected:
    // The main window over the scripted animation, with the film given.
    cinderloom::Cinderloom& windowWithFilm(const std::vector<int16_t>& film) {
        auto& window = openMainWindow();
        module->film() = cinderloom::Film(static_cast<int32_t>(film.size()));
        for (std::size_t slot = 0; slot < film.size(); ++slot)
            module->film().set(static_cast<int32_t>(slot), film[slot]);
        fake().clearCalls();
        return window;
    }

    // The frames the host was sent, in order, each as its three planes.
    std::vector<FramePlanes> framesSent() {
        const char* methods[] = {"tal_SetRbuffer", "tal_SetGBuffer", "tal_SetBBuffer"};
        std::vector<FramePlanes> frames(fake().callsOf(methods[0]).size());
        for (int c = 0; c < 3; ++c) {
            const auto calls = fake().callsOf(methods[c]);
            for (std::size_t i = 0; i < calls.size() && i < frames.size(); ++i)
                frames[i][c] = std::get<host::ByteArray>(calls[i].args.at(0));
        }
        return frames;
    }

    // Cell `cell` of the scripted animation as frame planes of 3 × 2 pixels.
    static FramePlanes scriptedCell(int cell) {
        FramePlanes planes;
        for (int c = 0; c < 3; ++c) {
            planes[c] = host::ByteArray::plane(4, 3);
            for (int y = 0; y <= 2; ++y)
                for (int x = 0; x <= 3; ++x)
                    planes[c].at(x, y) = tests::scriptedSample(c, cell, x, y);
        }
        return planes;
    }

    static FramePlanes whiteFrame(int32_t columns, int32_t rows) {
        FramePlanes planes;
        for (host::ByteArray& plane : planes) {
            plane = host::ByteArray::plane(columns, rows);
            std::fill_n(plane.data(), plane.size(), uint8_t{255});
        }
        return planes;
    }
};

TEST_F(ShootingTest, ShootsOneFramePerSlotInTheHostsOrderWithTheCellOrWhite) {
    // Slot 2 names a cell the store of 2 cells does not hold.
    auto& window = windowWithFilm({1, -1, 5, 1});
    QTest::mouseClick(window.vx_button2, Qt::LeftButton);

    QStringList expected{"tal_StatusOpen", "tal_CreateAnimAdv", "tal_StatusOpen"};
    for (int slot = 0; slot < 4; ++slot)
        expected << "Tal_GotoFrameAdv"
                 << "tal_SetRbuffer"
                 << "tal_SetGBuffer"
                 << "tal_SetBBuffer"
                 << "tal_Status";
    expected << "Tal_GotoFrame"
             << "tal_StatusClose";
    EXPECT_EQ(fake().callNames(), expected);

    const auto& calls = fake().calls();
    EXPECT_EQ(calls[0].args, (std::vector<host::Variant>{QStringLiteral("Saving...")}));
    EXPECT_EQ(calls[1].args, (std::vector<host::Variant>{int32_t{4}, int16_t{2}}));
    EXPECT_EQ(calls[2].args, (std::vector<host::Variant>{QStringLiteral("Developing...")}));
    const auto gotos = fake().callsOf("Tal_GotoFrameAdv");
    const auto progress = fake().callsOf("tal_Status");
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(gotos[slot].args, (std::vector<host::Variant>{int32_t{slot}, int16_t{3}}));
        EXPECT_EQ(progress[slot].args, (std::vector<host::Variant>{25.0 * slot}));
    }
    EXPECT_EQ(calls.back().args.size(), 0u);
    EXPECT_EQ(calls[calls.size() - 2].args, (std::vector<host::Variant>{int16_t{0}}));

    // Whole planes, column W and row H included.
    const std::vector<FramePlanes> frames = framesSent();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0], scriptedCell(1));
    EXPECT_EQ(frames[1], whiteFrame(4, 3));
    EXPECT_EQ(frames[2], whiteFrame(4, 3));
    EXPECT_EQ(frames[3], scriptedCell(1));
    EXPECT_EQ(tests::slotsOf(module->film()), (std::vector<int16_t>{1, -1, 5, 1}));
}

TEST_F(ShootingTest, WiggleHoldWarpsEveryFrameAfreshAndKeepsColumnWAndRowH) {
    // 40 × 30 frames show the displacement; the sliders' 2.5 rounds to 2.
    tests::scriptAnimation(fake(), 40, 30, 2);
    auto& window = windowWithFilm({0, 0, -1});
    window.VX_DropSlider1->setValue(2.5);
    window.VX_DropSlider2->setValue(3);
    window.Check1->setChecked(true);
    platform::RandomGenerator depths = platform::programRandom();
    QTest::mouseClick(window.vx_button2, Qt::LeftButton);

    const std::vector<FramePlanes> frames = framesSent();
    ASSERT_EQ(frames.size(), 3u);
    const FramePlanes cell = cinderloom::developFrame(module->cells().store(), 0, 40, 30);
    for (int slot = 0; slot < 3; ++slot) {
        const FramePlanes unwarped = slot < 2 ? cell : whiteFrame(41, 31);
        FramePlanes expected = unwarped;
        cinderloom::wiggleWarp(2, 3, unwarped[0], unwarped[1], unwarped[2], expected[0],
                               expected[1], expected[2], 40, 30, maker::noise3.pointer(), depths);
        EXPECT_EQ(frames[slot], expected) << "slot " << slot;
        for (int c = 0; c < 3; ++c) {
            for (int y = 0; y <= 30; ++y)
                EXPECT_EQ(frames[slot][c].at(40, y), unwarped[c].at(40, y));
            for (int x = 0; x <= 40; ++x)
                EXPECT_EQ(frames[slot][c].at(x, 30), unwarped[c].at(x, 30));
        }
    }
    EXPECT_NE(frames[0], frames[1]);
    EXPECT_NE(frames[0], cell);
}

TEST(FrameDevelopment, FramesOfAnotherSizeThanTheCellsAreCroppedOrFilledWithWhite) {
    // Two cells of 3 × 2 samples; sample (x, y) of cell 1 is 10 c + 3 y + x + 100.
    cinderloom::CellStore cells(3, 2, 2);
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 6; ++i) {
            cells.cell(cinderloom::kChannels[c], 0)[i] = 0;
            cells.cell(cinderloom::kChannels[c], 1)[i] = static_cast<uint8_t>(10 * c + i + 100);
        }

    // Width 3, height 2: planes of 4 × 3, the cell in the top left corner.
    const FramePlanes larger = cinderloom::developFrame(cells, 1, 3, 2);
    for (int c = 0; c < 3; ++c)
        for (int y = 0; y <= 2; ++y)
            for (int x = 0; x <= 3; ++x)
                EXPECT_EQ(larger[c].at(x, y), x < 3 && y < 2 ? 10 * c + 3 * y + x + 100 : 255);

    // Width 1, height 0: planes of 2 × 1, cropped.
    const FramePlanes smaller = cinderloom::developFrame(cells, 1, 1, 0);
    for (int c = 0; c < 3; ++c) {
        ASSERT_EQ(smaller[c].dimensions(), (std::vector<host::Dimension>{{0, 2}, {0, 1}}));
        EXPECT_EQ(smaller[c].at(0, 0), 10 * c + 100);
        EXPECT_EQ(smaller[c].at(1, 0), 10 * c + 101);
    }
    EXPECT_THROW(cinderloom::developFrame(cells, 1, -1, 2), cinderloom::FrameSizeError);
    EXPECT_THROW(cinderloom::developFrame(cells, 1, 3, std::numeric_limits<int32_t>::max()),
                 cinderloom::FrameSizeError);
}

} // namespace
