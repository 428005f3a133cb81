// The host's calls within its one memory budget: documents and undo
// snapshots together, the snapshots dropped oldest first where room is
// needed, and what cannot fit refused with nothing changed.
#include "tallowick/calls/HostObject.h"
#include "tallowick/documents/MemoryBudget.h"
#include "tallowick/model/HostModel.h"
#include "tests/tallowick/CallRecording.h"
#include "tests/tallowick/ErrorText.h"
#include "tests/tallowick/TinyDocument.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using host::ByteArray;
using host::Variant;
using tallowick::MemoryBudget;
using tests::errorOf;

// The tiny document's two 3 x 2 frames hold 4 planes of 4 x 3 bytes each.
constexpr uint64_t kTinyFrame = 48;
constexpr uint64_t kTinyDocument = 2 * kTinyFrame;
// A 5 x 4 frame: 4 planes of 6 x 5 bytes.
constexpr uint64_t kFiveByFour = 120;

// The host with a budget a little larger than its tiny document, served
// in-process as a plug-in's calls reach it.
class HostWithinBudget : public ::testing::Test {
protected:
    void start(uint64_t limit) {
        model = std::make_unique<tallowick::HostModel>(tests::tinyDocument(), std::nullopt,
                                                       QString(), QString(), MemoryBudget(limit));
        host = std::make_unique<tallowick::HostObject>(*model, caller);
    }
    Variant call(const QString& method, std::vector<Variant> args = {}) {
        return host->Invoke(method, args);
    }
    std::string errorOfCall(const QString& method, std::vector<Variant> args = {}) {
        return errorOf([&] { call(method, args); });
    }
    void paintRed(int seed) { call("Tal_SetRBuffer", {tests::patternPlane(3, 2, seed)}); }
    bool redIs(int seed) {
        const ByteArray red = std::get<ByteArray>(call("tal_GetRBuffer"));
        const ByteArray expected = tests::patternPlane(3, 2, seed);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                if (red.at(x, y) != expected.at(x, y))
                    return false;
        return true;
    }
    uint64_t inUse() const { return model->memoryBudget().inUse(); }

    tests::RecordingCaller caller;
    std::unique_ptr<tallowick::HostModel> model;
    std::unique_ptr<tallowick::HostObject> host;
};

TEST_F(HostWithinBudget, DocumentsThatEachFitAreRefusedOnceTogetherTheyWouldNot) {
    start(kTinyDocument + 2 * kFiveByFour + 60);
    EXPECT_EQ(inUse(), kTinyDocument);
    call("Tal_NewBuffer", {int16_t{5}, int16_t{4}});
    call("Tal_NewBuffer", {int16_t{5}, int16_t{4}});
    EXPECT_EQ(errorOfCall("Tal_NewBuffer", {int16_t{5}, int16_t{4}}),
              "Tal_NewBuffer: 1 frame of 5 x 4 pixels would take 120 bytes, more than the 60 "
              "bytes left of the memory budget of 396 bytes (336 bytes in use)");
    EXPECT_EQ(errorOfCall("tal_CreateAnimAdv", {int32_t{800}, int16_t{2}}),
              "tal_CreateAnimAdv: 800 frames of 5 x 4 pixels would take 93.8 KiB, more than the "
              "60 bytes left of the memory budget of 396 bytes (336 bytes in use)");

    // Nothing was made of the refused requests, and the host goes on serving.
    EXPECT_EQ(model->documents().all().size(), 3u);
    EXPECT_EQ(inUse(), kTinyDocument + 2 * kFiveByFour);
    EXPECT_EQ(call("tal_GetTotalFrames"), Variant(int32_t{1}));
    EXPECT_EQ(call("Tal_BufferWidth"), Variant(int32_t{5}));
    // What is left still serves a request that fits it.
    call("Tal_NewBuffer", {int16_t{2}, int16_t{2}});
    EXPECT_EQ(inUse(), kTinyDocument + 2 * kFiveByFour + 36);
}

TEST_F(HostWithinBudget, SnapshotsBeyondTheBudgetAreDroppedOldestFirst) {
    // Room for two snapshots of a tiny frame, not three.
    start(kTinyDocument + 3 * kTinyFrame - 1);
    for (int seed = 1; seed <= 5; ++seed) {
        paintRed(seed);
        call("Tal_SaveUndo");
        EXPECT_LE(inUse(), model->memoryBudget().limit());
    }
    EXPECT_EQ(model->undoDepth(), 2u);
    EXPECT_EQ(inUse(), kTinyDocument + 2 * kTinyFrame);

    // The newest two are kept: undo restores 5, then 4, and then there is
    // nothing older.
    paintRed(99);
    ASSERT_TRUE(model->undo());
    EXPECT_TRUE(redIs(5));
    ASSERT_TRUE(model->undo());
    EXPECT_TRUE(redIs(4));
    EXPECT_FALSE(model->undo());
    // Every snapshot dropped or undone gave its bytes back.
    EXPECT_EQ(inUse(), kTinyDocument);
    EXPECT_EQ(model->memoryBudget().droppable(), 0u);
}

TEST_F(HostWithinBudget, ALargerSnapshotOrANewDocumentDropsAsManySnapshotsAsItNeeds) {
    start(kTinyDocument + 2 * kFiveByFour);
    call("Tal_SaveUndo");
    call("Tal_GotoFrame", {int16_t{1}});
    call("Tal_SaveUndo");
    call("Tal_NewBuffer", {int16_t{5}, int16_t{4}});
    EXPECT_EQ(model->undoDepth(), 2u);
    // The 5 x 4 snapshot needs the room of both tiny ones.
    call("Tal_SaveUndo");
    EXPECT_EQ(model->undoDepth(), 1u);
    EXPECT_EQ(inUse(), kTinyDocument + 2 * kFiveByFour);
    // A new document is work the host does not refuse while snapshots,
    // which it may drop, hold the room.
    call("Tal_NewBuffer", {int16_t{5}, int16_t{4}});
    EXPECT_EQ(model->documents().all().size(), 3u);
    EXPECT_EQ(model->undoDepth(), 0u);
    EXPECT_EQ(inUse(), kTinyDocument + 2 * kFiveByFour);
    EXPECT_EQ(model->memoryBudget().droppable(), 0u);
}

TEST_F(HostWithinBudget, ASnapshotThatCannotFitEvenAloneIsRefusedAndTheHistoryKept) {
    start(kTinyDocument + kTinyFrame + kFiveByFour + 10);
    paintRed(1);
    call("Tal_SaveUndo");
    call("Tal_NewBuffer", {int16_t{5}, int16_t{4}});
    const uint64_t before = inUse();
    EXPECT_EQ(errorOfCall("Tal_SaveUndo"),
              "Tal_SaveUndo: an undo snapshot of 5 x 4 pixels would take 120 bytes, more than "
              "the 58 bytes left of the memory budget of 274 bytes (216 bytes in use)");
    EXPECT_EQ(inUse(), before);
    EXPECT_EQ(model->undoDepth(), 1u);
    // A document that cannot fit even without the snapshots leaves them too.
    EXPECT_NE(errorOfCall("Tal_NewBuffer", {int16_t{5}, int16_t{4}}).find("1 frame of 5 x 4"),
              std::string::npos);
    EXPECT_EQ(model->undoDepth(), 1u);

    // The older snapshot still undoes its change.
    model->documents().select(0);
    paintRed(2);
    ASSERT_TRUE(model->undo());
    EXPECT_EQ(model->documents().currentDocumentIndex(), 0);
    EXPECT_TRUE(redIs(1));
}

} // namespace
