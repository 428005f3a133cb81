// RetrieveFrames: the frame-count check, the cell store's layout and the
// progress it reports.
#include "automation/PlaneShape.h"
#include "automation/ResultConversions.h"
#include "cinderloom/FrameRetrieval.h"
#include "tests/cinderloom/CinderloomTestSupport.h"

namespace tests {
namespace {

using cinderloom::Channel;
using host::Variant;

// Every sample of every cell, column W and row H included, against the
// scripted frames; the store's layout puts (x, y) of a cell at y·(W+1) + x.
void expectCellsHoldFrames(const cinderloom::CellStore& cells, int32_t width, int32_t height,
                           int32_t frames) {
    ASSERT_EQ(cells.columns(), width + 1);
    ASSERT_EQ(cells.rows(), height + 1);
    ASSERT_EQ(cells.cells(), frames);
    for (int channel = 0; channel < 3; ++channel)
        for (int frame = 0; frame < frames; ++frame) {
            const uint8_t* cell = cells.cell(static_cast<Channel>(channel), frame);
            for (int y = 0; y <= height; ++y)
                for (int x = 0; x <= width; ++x)
                    EXPECT_EQ(cell[y * (width + 1) + x], scriptedSample(channel, frame, x, y))
                        << "channel " << channel << ", frame " << frame << ", (" << x << ", " << y
                        << ")";
        }
}

TEST_F(CinderloomTest, FewerThanTwoFramesGiveNoAnimationAndKeepTheStore) {
    startUp();
    for (const int32_t frames : {0, 1}) {
        SCOPED_TRACE(frames);
        fake().clearCalls();
        scriptAnimation(fake(), 2, 3, frames);
        const auto requestsBefore = messageBoxes.requests().size();

        module->RetrieveFrames();

        ASSERT_EQ(messageBoxes.requests().size(), requestsBefore + 1);
        const auto& request = messageBoxes.requests().back();
        EXPECT_EQ(request.text, "No animation");
        EXPECT_EQ(request.buttons, platform::MessageBoxButtons::Ok);
        EXPECT_EQ(fake().callNames(),
                  (QStringList{"tal_BufferWidth", "tal_BufferHeight", "tal_GetTotalFrames",
                               "tal_StatusOpen", "tal_Status", "tal_StatusClose"}));
        // The sizes read are kept; the store keeps the 3 × 2 frames of the
        // start-up.
        EXPECT_EQ(module->cells().sizes().width, 2);
        EXPECT_EQ(module->cells().sizes().height, 3);
        EXPECT_EQ(module->cells().sizes().count, frames);
        expectCellsHoldFrames(module->cells().store(), 3, 2, 2);
    }
}

TEST_F(CinderloomTest, CopiesEverySampleOfEveryFrameColumnWAndRowHIncluded) {
    startUp();
    expectCellsHoldFrames(module->cells().store(), 3, 2, 2);

    // A host plane wider than the frame is copied row by row; the surplus
    // column stays out of the store.
    scriptAnimation(fake(), 2, 1, 3, 1);
    module->RetrieveFrames();
    expectCellsHoldFrames(module->cells().store(), 2, 1, 3);
}

TEST_F(CinderloomTest, ReportsProgressPerFrameAndIgnoresProgressFailures) {
    startUp();
    fake().clearCalls();
    scriptAnimation(fake(), 1, 1, 4);

    module->RetrieveFrames();

    // 100 / 4 = 25 per frame, reported before the next frame: 0, 25, 50, 75.
    std::vector<std::vector<Variant>> reports;
    for (const auto& call : fake().callsOf("tal_Status"))
        reports.push_back(call.args);
    EXPECT_EQ(reports,
              (std::vector<std::vector<Variant>>{{int16_t{0}}, {0.0}, {25.0}, {50.0}, {75.0}}));
    EXPECT_EQ(fake().callsOf("tal_StatusOpen")[0].args,
              std::vector<Variant>{QStringLiteral("Retrieving frames...")});

    fake().failCalls("tal_StatusOpen", "no progress display");
    fake().failCalls("tal_Status", "no progress display");
    module->RetrieveFrames();
    expectCellsHoldFrames(module->cells().store(), 1, 1, 4);
}

TEST_F(CinderloomTest, AFailedRetrievalNamesTheFaultAndKeepsTheCellsAndSizesBefore) {
    startUp();
    const auto expectStartUpCellsKept = [this] {
        EXPECT_EQ(module->cells().sizes().width, 3);
        EXPECT_EQ(module->cells().sizes().height, 2);
        EXPECT_EQ(module->cells().sizes().count, 2);
        expectCellsHoldFrames(module->cells().store(), 3, 2, 2);
    };
    const std::string kept = "\n\nThe 2 cells retrieved before, of 4 x 3 samples, are kept.";

    // A plane short of the frame, found at the second of five frames of
    // another shape.
    scriptAnimation(fake(), 4, 4, 5);
    int greenCalls = 0;
    fake().setHandler("tal_GetGbuffer", [&greenCalls](const std::vector<Variant>&) {
        return Variant{++greenCalls == 1 ? host::ByteArray::plane(5, 5)
                                         : host::ByteArray::plane(4, 2)};
    });
    try {
        module->RetrieveFrames();
        FAIL() << "the short plane was accepted";
    } catch (const cinderloom::RetrievalError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "tal_GetGbuffer returned a plane of (0 To 3, 0 To 1), which does not cover the "
                  "frame's 5 × 5 samples (0 To 4, 0 To 4)." +
                      kept);
    }
    expectStartUpCellsKept();

    // A result of the wrong type, and a call the host fails.
    fake().setHandler("tal_GetGbuffer", [](const std::vector<Variant>&) {
        return Variant{host::ByteArray({{0, 4}, {0, 3}, {0, 1}})};
    });
    EXPECT_THROW(module->RetrieveFrames(), cinderloom::RetrievalError);
    expectStartUpCellsKept();
    scriptAnimation(fake(), 4, 4, 5);
    fake().failNthCall("Tal_GetBbuffer", 3, "the frame is gone");
    try {
        module->RetrieveFrames();
        FAIL() << "the failed call was ignored";
    } catch (const cinderloom::RetrievalError& error) {
        EXPECT_NE(std::string(error.what()).find("the frame is gone"), std::string::npos)
            << error.what();
        EXPECT_TRUE(std::string(error.what()).ends_with(kept)) << error.what();
    }
    expectStartUpCellsKept();

    // A move to a frame that fails is found before any plane of that frame
    // counts, though the plane after it was asked for already.
    scriptAnimation(fake(), 4, 4, 5);
    fake().failNthCall("Tal_GotoFrameAdv", 2, "no such frame");
    try {
        module->RetrieveFrames();
        FAIL() << "the failed move was ignored";
    } catch (const cinderloom::RetrievalError& error) {
        EXPECT_TRUE(std::string(error.what()).starts_with("Tal_GotoFrameAdv: no such frame"))
            << error.what();
    }
    expectStartUpCellsKept();
}

TEST_F(CinderloomTest, SizesFromTheHostAreRefusedWhereTheyArriveNamingTheCall) {
    startUp();
    const auto refusalOf = [this](int32_t width, int32_t height, int32_t frames) {
        scriptAnimation(fake(), width, height, frames);
        try {
            module->RetrieveFrames();
        } catch (const std::exception& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(refusalOf(-1, 2, 3),
              "tal_BufferWidth: returned -1; a size or count cannot be negative");
    EXPECT_EQ(refusalOf(3, -4, 3),
              "tal_BufferHeight: returned -4; a size or count cannot be negative");
    EXPECT_EQ(refusalOf(3, 2, -2),
              "tal_GetTotalFrames: returned -2; a size or count cannot be negative");
    // Sizes that each pass but together make a store no machine can address.
    const std::string tooLarge = refusalOf(2147483646, 2147483646, 2147483646);
    EXPECT_EQ(tooLarge.rfind("tal_BufferWidth, tal_BufferHeight and tal_GetTotalFrames gave "
                             "2147483646 frames of 2147483646 x 2147483646 pixels, which cannot "
                             "be held: ",
                             0),
              0u)
        << tooLarge;
}

TEST(CellStore, RefusesNegativeOrUnaddressableExtents) {
    EXPECT_THROW(cinderloom::CellStore(-1, 2, 2), cinderloom::CellStoreError);
    EXPECT_THROW(cinderloom::CellStore(int64_t{1} << 31, int64_t{1} << 31, int64_t{1} << 31),
                 cinderloom::CellStoreError);
    const cinderloom::CellStore empty(4, 3, 0);
    EXPECT_TRUE(empty.empty());
}

} // namespace
} // namespace tests
