#include "tallowick/calls/HostObject.h"
#include "tallowick/model/HostModel.h"
#include "tests/tallowick/CallRecording.h"
#include "tests/tallowick/ErrorText.h"
#include "tests/tallowick/TinyDocument.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using host::ByteArray;
using host::Variant;
using tallowick::Channel;
using tests::errorOf;
using tests::tinySample;

const char* const kGetters[] = {"tal_GetRBuffer", "tal_GetGBuffer", "tal_GetBBuffer",
                                "Tal_GetABuffer"};
const char* const kSetters[] = {"Tal_SetRBuffer", "Tal_SetGBuffer", "Tal_SetBBuffer",
                                "Tal_SetaBuffer"};

// A plane of exactly `columns` x `rows` samples, every one 255.
bool allWhite(const ByteArray& plane, int32_t columns, int32_t rows) {
    return plane.dimensions() == std::vector<host::Dimension>{{0, columns}, {0, rows}} &&
           std::all_of(plane.data(), plane.data() + plane.size(),
                       [](uint8_t sample) { return sample == 255; });
}

class HostPlanes : public ::testing::Test {
protected:
    Variant call(const QString& method, std::vector<Variant> args = {}) {
        return host.Invoke(method, args);
    }
    ByteArray plane(int channel) { return std::get<ByteArray>(call(kGetters[channel])); }
    // Every sample of the 4 x 3 plane of tiny frame `frame`, the extra column
    // 3 and row 2 repeating column 2 and row 1.
    void expectTinyPlane(int channel, int frame) {
        const ByteArray got = plane(channel);
        ASSERT_EQ(got.dimensions(), (std::vector<host::Dimension>{{0, 4}, {0, 3}}));
        for (int y = 0; y <= 2; ++y)
            for (int x = 0; x <= 3; ++x)
                EXPECT_EQ(got.at(x, y), tinySample(channel, frame, std::min(x, 2), std::min(y, 1)))
                    << "channel " << channel << " frame " << frame << " at " << x << "," << y;
    }

    tests::RecordingCaller caller;
    tallowick::HostModel model{tests::tinyDocument(), std::nullopt, QStringLiteral("/app"),
                               QStringLiteral("/wall.png")};
    tallowick::HostObject host{model, caller};
};

TEST_F(HostPlanes, SizesAndFrameCountAreLongs) {
    EXPECT_EQ(call("Tal_BufferWidth"), Variant(int32_t{3}));
    EXPECT_EQ(call("tal_BufferHeight"), Variant(int32_t{2}));
    EXPECT_EQ(call("tal_GetTotalFrames"), Variant(int32_t{2}));
}

TEST_F(HostPlanes, GetHandsOutEveryPlaneOfTheCurrentFrameWithRepeatedMargins) {
    for (int c = 0; c < 4; ++c)
        expectTinyPlane(c, 0);
    call("Tal_GotoFrameAdv", {int32_t{1}, int16_t{3}});
    for (int c = 0; c < 4; ++c)
        expectTinyPlane(c, 1);
}

TEST_F(HostPlanes, AFetchedPlaneKeepsItsSamplesWhenTheFrameIsThenWritten) {
    ByteArray fetched = plane(0);
    const ByteArray before = fetched; // NOLINT: a copy to compare with
    ByteArray black = ByteArray::plane(4, 3);
    call(kSetters[0], {black});
    EXPECT_EQ(fetched, before);
    EXPECT_EQ(plane(0), black);

    // Written by the caller, the fetched plane leaves the frame alone.
    ByteArray again = plane(0);
    again.at(0, 0) = 200;
    EXPECT_EQ(plane(0).at(0, 0), 0);
}

TEST_F(HostPlanes, SetTakesTheImageAreaOfAWiderPlaneAndRefreshesTheMargins) {
    // A 5 x 2 plane (10 samples, within the 4 x 3 of the host's layout): only
    // columns 0..2 count; the host's own extra column and row then repeat
    // column 2 and row 1 of the new data.
    const ByteArray source = tests::patternPlane(5, 2, 40);
    call("tal_SetGBuffer", {source});
    const ByteArray got = plane(1);
    for (int y = 0; y <= 2; ++y)
        for (int x = 0; x <= 3; ++x)
            EXPECT_EQ(got.at(x, y), source.at(std::min(x, 2), std::min(y, 1))) << x << "," << y;
    // The other planes and the other frame are untouched.
    expectTinyPlane(0, 0);
    expectTinyPlane(3, 0);
    call("Tal_GotoFrame", {int16_t{1}});
    expectTinyPlane(1, 1);
}

TEST_F(HostPlanes, SetRefusesAPlaneLargerThanTheHostsOwnLayoutAndChangesNothing) {
    // 5 x 4 = 20 samples, more than the 4 x 3 = 12 of the 3 x 2 frame's planes.
    const std::string message =
        errorOf([&] { call("tal_SetGBuffer", {tests::patternPlane(5, 4, 40)}); });
    EXPECT_EQ(message, "tal_SetGBuffer: the green plane may hold at most 12 samples (0 To 3, 0 To "
                       "2); got 20 with bounds (0 To 4, 0 To 3)");
    expectTinyPlane(1, 0);
    EXPECT_EQ(
        host.admit(QStringLiteral(":1.7"), QStringLiteral("tal_SetGBuffer"), 1).maxByteArrayBytes,
        12u);
    EXPECT_EQ(
        host.admit(QStringLiteral(":1.7"), QStringLiteral("Tal_NewBuffer"), 2).maxByteArrayBytes,
        0u);
}

TEST_F(HostPlanes, SetTakesAPlaneOfExactlyTheImageSize) {
    for (int c = 0; c < 4; ++c) {
        const ByteArray source = tests::patternPlane(3, 2, 10 * c);
        call(kSetters[c], {source});
        const ByteArray got = plane(c);
        for (int y = 0; y <= 2; ++y)
            for (int x = 0; x <= 3; ++x)
                EXPECT_EQ(got.at(x, y), source.at(std::min(x, 2), std::min(y, 1)));
    }
}

TEST_F(HostPlanes, SetRefusesWhatDoesNotCoverTheImageAndChangesNothing) {
    const std::vector<Variant> refused[] = {
        {tests::patternPlane(2, 2, 0)},        // a column short
        {tests::patternPlane(3, 1, 0)},        // a row short
        {ByteArray({{1, 4}, {0, 3}})},         // lower bound 1
        {ByteArray({{0, 4}, {0, 3}, {0, 1}})}, // three dimensions
        {ByteArray({{0, 12}})},                // one dimension
    };
    for (const auto& args : refused) {
        const std::string message = errorOf([&] { call("Tal_SetRBuffer", args); });
        EXPECT_NE(message.find("Tal_SetRBuffer: "), std::string::npos) << message;
        EXPECT_NE(message.find("3 x 2"), std::string::npos) << message;
        EXPECT_NE(message.find("(0 To 2, 0 To 1)"), std::string::npos) << message;
    }
    EXPECT_EQ(errorOf([&] { call("Tal_SetRBuffer", {QStringLiteral("plane")}); }),
              "Tal_SetRBuffer: argument 1 (plane): expected a Byte() array, got String");
    expectTinyPlane(0, 0);
}

TEST_F(HostPlanes, FrameCallsRoundHalfToEvenAndRefuseFramesOutsideTheDocument) {
    call("Tal_GotoFrameAdv", {0.5, int16_t{3}}); // 0.5 rounds to 0
    EXPECT_EQ(model.documents().currentFrameIndex(), 0);
    call("Tal_GotoFrame", {int32_t{1}});
    EXPECT_EQ(model.documents().currentFrameIndex(), 1);
    EXPECT_EQ(errorOf([&] { call("Tal_GotoFrame", {1.5}); }), // 1.5 rounds to 2
              "Tal_GotoFrame: frame 2 is out of range; the current document has frames 0 to 1");
    EXPECT_NE(errorOf([&] {
                  call("Tal_GotoFrameAdv", {int32_t{-1}, int16_t{3}});
              }).find("frame -1 is out of range"),
              std::string::npos);
    EXPECT_EQ(errorOf([&] {
                  call("Tal_GotoFrameAdv", {int32_t{0}, int16_t{4}});
              }),
              "Tal_GotoFrameAdv: argument 2 (mode): expected 3, got 4");
    EXPECT_EQ(model.documents().currentFrameIndex(), 1);
}

TEST_F(HostPlanes, CreateAnimAdvAndNewBufferOpenWhiteDocumentsAndKeepTheEarlierOnes) {
    call("Tal_GotoFrame", {int16_t{1}});
    call("tal_CreateAnimAdv", {int32_t{3}, int16_t{2}});
    EXPECT_EQ(model.documents().all().size(), 2u);
    EXPECT_EQ(model.documents().currentDocumentIndex(), 1);
    EXPECT_EQ(model.documents().currentFrameIndex(), 0);
    EXPECT_EQ(call("tal_GetTotalFrames"), Variant(int32_t{3}));
    EXPECT_EQ(call("Tal_BufferWidth"), Variant(int32_t{3}));
    EXPECT_EQ(call("Tal_BufferHeight"), Variant(int32_t{2}));
    call("Tal_GotoFrameAdv", {int32_t{2}, int16_t{3}});
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(allWhite(plane(c), 4, 3)) << "channel " << c;

    call("Tal_NewBuffer", {int16_t{5}, int16_t{4}});
    EXPECT_EQ(model.documents().all().size(), 3u);
    EXPECT_EQ(call("Tal_BufferWidth"), Variant(int32_t{5}));
    EXPECT_EQ(call("Tal_BufferHeight"), Variant(int32_t{4}));
    EXPECT_EQ(call("tal_GetTotalFrames"), Variant(int32_t{1}));
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(allWhite(plane(c), 6, 5)) << "channel " << c;

    // The first document is still there, unchanged.
    model.documents().select(0);
    for (int c = 0; c < 4; ++c)
        expectTinyPlane(c, 0);
}

TEST_F(HostPlanes, AFrameOfANewAnimationWrittenLeavesTheOthersWhite) {
    call("tal_CreateAnimAdv", {int32_t{3}, int16_t{2}});
    call("Tal_GotoFrameAdv", {int32_t{1}, int16_t{3}});
    ByteArray black = ByteArray::plane(4, 3);
    call(kSetters[0], {black});
    ByteArray grey = ByteArray::plane(3, 2);
    std::fill_n(grey.data(), grey.size(), uint8_t{128});
    call(kSetters[1], {grey});
    EXPECT_EQ(plane(0), black);
    EXPECT_EQ(plane(1).at(3, 2), 128);
    for (const int frame : {0, 2}) {
        call("Tal_GotoFrameAdv", {int32_t{frame}, int16_t{3}});
        for (int c = 0; c < 4; ++c)
            EXPECT_TRUE(allWhite(plane(c), 4, 3)) << "frame " << frame << " channel " << c;
    }
}

TEST_F(HostPlanes, NewDocumentsOfNoFramesOrNoPixelsAreRefused) {
    EXPECT_EQ(errorOf([&] {
                  call("tal_CreateAnimAdv", {int32_t{0}, int16_t{2}});
              }),
              "tal_CreateAnimAdv: a frame count of 0 is not allowed; it must be at least 1");
    EXPECT_EQ(errorOf([&] {
                  call("Tal_NewBuffer", {int16_t{-1}, int16_t{4}});
              }),
              "Tal_NewBuffer: a size of -1 x 4 pixels is not allowed; width and height must be "
              "at least 1");
    EXPECT_NE(errorOf([&] {
                  call("Tal_NewBuffer", {int32_t{2000000000}, int32_t{2000000000}});
              }).find("more than the"),
              std::string::npos);
    EXPECT_EQ(model.documents().all().size(), 1u);
}

TEST_F(HostPlanes, UndoRestoresAllFourPlanesOfTheSnapshotFrame) {
    call("Tal_GotoFrame", {int16_t{1}});
    call("Tal_SaveUndo");
    for (const char* setter : kSetters)
        call(setter, {ByteArray::plane(4, 3)});
    call("Tal_GotoFrame", {int16_t{0}});

    ASSERT_TRUE(model.undo());
    EXPECT_EQ(model.documents().currentFrameIndex(), 1);
    for (int c = 0; c < 4; ++c)
        expectTinyPlane(c, 1);
    EXPECT_FALSE(model.undo());
}

TEST_F(HostPlanes, UndoHistoryKeepsOnlyTheNewestSnapshots) {
    for (std::size_t i = 0; i < tallowick::UndoHistory::kLimit + 3; ++i)
        call("Tal_SaveUndo");
    EXPECT_EQ(model.undoDepth(), tallowick::UndoHistory::kLimit);
}

} // namespace
