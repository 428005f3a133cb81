// Several programs calling the host at once, each by its bus name: every
// program has its own current document and frame, the host window follows
// whatever was changed last, and a program that leaves is forgotten.
#include "tallowick/calls/HostObject.h"
#include "tallowick/model/HostModel.h"
#include "tests/tallowick/CallRecording.h"
#include "tests/tallowick/ErrorText.h"
#include "tests/tallowick/TinyDocument.h"

#include <gtest/gtest.h>

namespace {

using host::ByteArray;
using host::Variant;
using tallowick::FramePosition;
using tests::tinySample;

const QString kFirst = QStringLiteral(":1.10");
const QString kSecond = QStringLiteral(":1.11");

class ProgramPositions : public ::testing::Test {
protected:
    Variant callFrom(const QString& program, const QString& method,
                     std::vector<Variant> args = {}) {
        return host.InvokeFrom(program, method, args);
    }
    ByteArray redPlaneOf(const QString& program) {
        return std::get<ByteArray>(callFrom(program, "tal_GetRBuffer"));
    }
    void gotoFrom(const QString& program, int32_t frame) {
        callFrom(program, "Tal_GotoFrameAdv", {frame, int16_t{3}});
    }
    int32_t numberFrom(const QString& program, const QString& method) {
        return std::get<int32_t>(callFrom(program, method));
    }
    FramePosition windowPosition() const { return model.documents().currentPosition(); }

    tests::RecordingCaller caller;
    tallowick::HostModel model{tests::tinyDocument(), std::nullopt,
                               QStringLiteral("/opt/tallowick"),
                               QStringLiteral("/data/wallpaper.png")};
    tallowick::HostObject host{model, caller};
};

// Every sample of the image area of `plane` is the tiny document's red of
// `frame`.
void expectRedOfFrame(const ByteArray& plane, int frame) {
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            ASSERT_EQ(plane.at(x, y), tinySample(0, frame, x, y))
                << "sample (" << x << ", " << y << "), expected from frame " << frame;
}

TEST_F(ProgramPositions, InterleavedGotosAndReadsGiveEachProgramItsOwnFrame) {
    gotoFrom(kFirst, 1);
    gotoFrom(kSecond, 0);
    expectRedOfFrame(redPlaneOf(kFirst), 1);
    expectRedOfFrame(redPlaneOf(kSecond), 0);
    gotoFrom(kSecond, 1);
    gotoFrom(kFirst, 0);
    expectRedOfFrame(redPlaneOf(kSecond), 1);
    expectRedOfFrame(redPlaneOf(kFirst), 0);
    // Tal_GotoFrame moves only its caller too.
    callFrom(kSecond, "Tal_GotoFrame", {int16_t{0}});
    gotoFrom(kFirst, 1);
    expectRedOfFrame(redPlaneOf(kSecond), 0);
    expectRedOfFrame(redPlaneOf(kFirst), 1);
}

TEST_F(ProgramPositions, TheWindowFollowsTheLatestGotoOrWriteOfAnyProgram) {
    gotoFrom(kFirst, 1);
    EXPECT_EQ(windowPosition(), (FramePosition{0, 1}));
    gotoFrom(kSecond, 0);
    EXPECT_EQ(windowPosition(), (FramePosition{0, 0}));
    // The first program writes its frame 1: the window shows that frame, and
    // the second program's frame 0 is untouched.
    callFrom(kFirst, "Tal_SetRBuffer", {tests::patternPlane(3, 2, 40)});
    EXPECT_EQ(windowPosition(), (FramePosition{0, 1}));
    EXPECT_EQ(model.documents().currentFrame().plane(tallowick::Channel::Red).at(2, 1),
              (40 + 14 + 13) % 256);
    expectRedOfFrame(redPlaneOf(kSecond), 0);
    // A goto to where a program already is still brings the window back.
    gotoFrom(kSecond, 0);
    EXPECT_EQ(windowPosition(), (FramePosition{0, 0}));
    // Calls made in this process see the window's frame.
    expectRedOfFrame(std::get<ByteArray>(host.Invoke("tal_GetRBuffer")), 0);
}

TEST_F(ProgramPositions, AProgramStartsWhereTheWindowIsAtItsFirstCall) {
    model.documents().gotoFrame(1);
    expectRedOfFrame(redPlaneOf(kFirst), 1);
    // Once started, the window's own moves leave it where it is.
    model.documents().gotoFrame(0);
    expectRedOfFrame(redPlaneOf(kFirst), 1);
    expectRedOfFrame(redPlaneOf(kSecond), 0);
}

TEST_F(ProgramPositions, ACreatedDocumentIsCurrentForItsCreatorAndTheWindowOnly) {
    gotoFrom(kSecond, 1);
    callFrom(kFirst, "tal_CreateAnimAdv", {int32_t{4}, int16_t{2}});
    EXPECT_EQ(numberFrom(kFirst, "tal_GetTotalFrames"), 4);
    EXPECT_EQ(numberFrom(kSecond, "tal_GetTotalFrames"), 2);
    expectRedOfFrame(redPlaneOf(kSecond), 1);
    EXPECT_EQ(windowPosition(), (FramePosition{1, 0}));

    callFrom(kSecond, "Tal_NewBuffer", {int16_t{5}, int16_t{4}});
    EXPECT_EQ(numberFrom(kSecond, "Tal_BufferWidth"), 5);
    EXPECT_EQ(numberFrom(kSecond, "Tal_BufferHeight"), 4);
    EXPECT_EQ(numberFrom(kFirst, "Tal_BufferWidth"), 3);
    EXPECT_EQ(numberFrom(kFirst, "tal_GetTotalFrames"), 4);
    EXPECT_EQ(windowPosition(), (FramePosition{2, 0}));

    // A program that first calls now starts from the window's document.
    EXPECT_EQ(numberFrom(QStringLiteral(":1.12"), "tal_GetTotalFrames"), 1);
}

TEST_F(ProgramPositions, SnapshotsAndTheMarqueeTakeTheCallersFrame) {
    gotoFrom(kFirst, 1);
    gotoFrom(kSecond, 0);
    // The first program clears row 0 of its frame's alpha; the marquee of
    // each program counts its own frame.
    ByteArray alpha = ByteArray::plane(3, 2);
    alpha.at(0, 1) = alpha.at(1, 1) = alpha.at(2, 1) = 9;
    callFrom(kFirst, "Tal_SaveUndo");
    callFrom(kFirst, "Tal_SetaBuffer", {alpha});
    callFrom(kSecond, "Tal_Initmarquee");
    EXPECT_EQ(model.display().marqueePixelCount(), 6);
    callFrom(kFirst, "Tal_Initmarquee");
    EXPECT_EQ(model.display().marqueePixelCount(), 3);

    // The snapshot was of the first program's frame 1: undo restores it and
    // shows it, though the second program moved the window away.
    gotoFrom(kSecond, 0);
    ASSERT_TRUE(model.undo());
    EXPECT_EQ(windowPosition(), (FramePosition{0, 1}));
    EXPECT_EQ(model.documents().currentFrame().plane(tallowick::Channel::Alpha).at(0, 0),
              tinySample(3, 1, 0, 0));
}

TEST_F(ProgramPositions, ARefusedGotoLeavesTheProgramWhereItWas) {
    gotoFrom(kFirst, 1);
    EXPECT_EQ(tests::errorOf([&] { gotoFrom(kFirst, 2); }),
              "Tal_GotoFrameAdv: frame 2 is out of range; the current document has frames 0 to 1");
    expectRedOfFrame(redPlaneOf(kFirst), 1);
    EXPECT_EQ(windowPosition(), (FramePosition{0, 1}));
}

TEST_F(ProgramPositions, AProgramThatLeftIsForgottenWithItsWindows) {
    const host::ObjectRef firstWindow{kFirst, QStringLiteral("/windows/1")};
    const host::ObjectRef secondWindow{kSecond, QStringLiteral("/windows/1")};
    callFrom(kFirst, "Tal_SendFormObject", {firstWindow, int16_t{0}});
    callFrom(kSecond, "Tal_SendFormObject", {secondWindow, int16_t{0}});
    gotoFrom(kSecond, 1);
    ASSERT_TRUE(host.callers().knows(kFirst));

    host.programLeft(kFirst);
    EXPECT_FALSE(host.callers().knows(kFirst));
    EXPECT_TRUE(host.callers().knows(kSecond));
    EXPECT_EQ(model.heldWindows().all(), std::vector<host::ObjectRef>{secondWindow});
    expectRedOfFrame(redPlaneOf(kSecond), 1);

    // However many programs come and go, nothing of them stays behind.
    for (int i = 0; i < 1000; ++i) {
        const QString program = QStringLiteral(":2.%1").arg(i);
        callFrom(program, "Tal_SendFormObject",
                 {host::ObjectRef{program, QStringLiteral("/windows/1")}, int16_t{0}});
        gotoFrom(program, i % 2);
        host.programLeft(program);
    }
    EXPECT_EQ(host.callers().size(), 1u);
    EXPECT_EQ(model.heldWindows().all().size(), 1u);
}

} // namespace
