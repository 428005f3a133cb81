// One memory budget for the whole host: documents, their frames and undo
// snapshots together, so that requests which each fit on their own cannot
// walk the host towards the kernel's out-of-memory killer.
#include "tallowick/MemoryBudget.h"

#include "tallowick/CommandLine.h"
#include "tallowick/HostModel.h"
#include "tallowick/HostObject.h"
#include "tallowick/PictureLoading.h"
#include "tests/tallowick/TinyDocument.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using host::ByteArray;
using host::Variant;
using tallowick::MemoryBudget;
using tallowick::MemoryBudgetError;
using tests::errorOf;

// The tiny document's two 3 x 2 frames hold 4 planes of 4 x 3 bytes each.
constexpr uint64_t kTinyFrame = 48;
constexpr uint64_t kTinyDocument = 2 * kTinyFrame;
// A 5 x 4 frame: 4 planes of 6 x 5 bytes.
constexpr uint64_t kFiveByFour = 120;

template <typename Error> std::string errorText(const std::function<void()>& request) {
    try {
        request();
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

std::string budgetError(const std::function<void()>& request) {
    return errorText<MemoryBudgetError>(request);
}

std::string pictureError(const std::function<void()>& load) {
    return errorText<tallowick::PictureError>(load);
}

TEST(MemoryBudget, FramesAreCountedAsFourPlanesWithTheExtraColumnAndRow) {
    EXPECT_EQ(MemoryBudget::frameBytes(3, 2), kTinyFrame);
    EXPECT_EQ(MemoryBudget::framesBytes(600, 2000, 2000), 600ull * 4 * 2001 * 2001);
    // Sizes too large to count never fit, however large the budget.
    EXPECT_EQ(MemoryBudget::framesBytes(2000000000, 2000000000, 2000000000), UINT64_MAX);
    EXPECT_EQ(MemoryBudget::framesBytes(-1, 3, 2), UINT64_MAX);
    EXPECT_NE(budgetError([] {
                  MemoryBudget(UINT64_MAX - 1).checkFits(UINT64_MAX, QStringLiteral("everything"));
              }).find("everything would take more than 8.0 EiB"),
              std::string::npos);
}

TEST(MemoryBudget, RefusalsNameTheRequestTheBudgetAndWhatIsInUse) {
    MemoryBudget budget(1000);
    EXPECT_EQ(budgetError([&] { budget.charge(1001, QStringLiteral("the request")); }),
              "the request would take 1001 bytes, more than the memory budget of 1000 bytes "
              "allows");
    EXPECT_EQ(budget.inUse(), 0u);

    budget.charge(600, QStringLiteral("a document"));
    EXPECT_EQ(budgetError([&] { budget.charge(3 << 20, tallowick::framesText(2, 1000, 1000)); }),
              "2 frames of 1000 x 1000 pixels would take 3.0 MiB, more than the 400 bytes left "
              "of the memory budget of 1000 bytes (600 bytes in use)");
    EXPECT_EQ(budget.inUse(), 600u);
    EXPECT_EQ(tallowick::framesText(1, 640, 480), "1 frame of 640 x 480 pixels");
}

TEST(MemoryBudget, DroppableBytesMakeRoomOnlyOnceGivenBack) {
    MemoryBudget budget(1000);
    budget.charge(500, QStringLiteral("a document"));
    budget.chargeDroppable(300, QStringLiteral("a snapshot"));
    EXPECT_EQ(budget.inUse(), 800u);
    EXPECT_EQ(budget.droppable(), 300u);

    // 500 bytes fit once the snapshot is dropped, but not beside it.
    EXPECT_NO_THROW(budget.checkFits(500, QStringLiteral("more")));
    EXPECT_FALSE(budget.fitsNow(500));
    EXPECT_THROW(budget.charge(500, QStringLiteral("more")), MemoryBudgetError);
    // What stays is all the check counts as in use.
    EXPECT_NE(budgetError([&] {
                  budget.checkFits(501, QStringLiteral("too much"));
              }).find("(500 bytes in use)"),
              std::string::npos);

    // Releasing more than was charged never takes the figures below zero,
    // nor eats into the other kind.
    budget.release(10000);
    EXPECT_EQ(budget.inUse(), 300u);
    EXPECT_EQ(budget.droppable(), 300u);
    budget.releaseDroppable(10000);
    EXPECT_EQ(budget.inUse(), 0u);
    EXPECT_EQ(budget.droppable(), 0u);
}

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
    EXPECT_EQ(model->documents().size(), 3u);
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
    EXPECT_EQ(model->documents().size(), 3u);
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
    model->selectDocument(0);
    paintRed(2);
    ASSERT_TRUE(model->undo());
    EXPECT_EQ(model->currentDocumentIndex(), 0);
    EXPECT_TRUE(redIs(1));
}

TEST(HostModelBudget, TheFirstDocumentIsChargedAndOneBeyondTheBudgetIsRefused) {
    const tallowick::HostModel model(tests::tinyDocument(), std::nullopt, {}, {},
                                     MemoryBudget(kTinyDocument));
    EXPECT_EQ(model.memoryBudget().inUse(), kTinyDocument);
    EXPECT_EQ(budgetError([] {
                  tallowick::HostModel(tests::tinyDocument(), std::nullopt, {}, {},
                                       MemoryBudget(kTinyDocument - 1));
              }),
              "2 frames of 3 x 2 pixels would take 96 bytes, more than the memory budget of 95 "
              "bytes allows");
}

TEST(PictureBudget, AFolderBeyondTheBudgetIsRefusedNamingItsFramesAndSize) {
    QTemporaryDir folder;
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        QImage image(100, 80, QImage::Format_RGB32);
        image.fill(Qt::blue);
        ASSERT_TRUE(image.save(folder.filePath(name)));
    }
    const uint64_t needed = MemoryBudget::framesBytes(3, 100, 80);
    MemoryBudget budget(needed + 1000);
    EXPECT_EQ(tallowick::loadAnimation(folder.path(), budget).frameCount(), 3);

    // Room taken by documents counts; room taken by snapshots does not.
    budget.charge(1001, QStringLiteral("a document"));
    budget.chargeDroppable(needed - 1, QStringLiteral("a snapshot"));
    EXPECT_EQ(pictureError([&] {
                  tallowick::loadAnimation(folder.path(), budget);
              }).rfind(folder.path().toStdString() + ": 3 frames of 100 x 80 pixels would take", 0),
              0u);
    budget.release(1001);
    EXPECT_EQ(tallowick::loadAnimation(folder.path(), budget).frameCount(), 3);
    EXPECT_NE(pictureError([&] {
                  tallowick::loadStill(folder.filePath("a.png"), MemoryBudget(1000));
              }).find("a.png: 1 frame of 100 x 80 pixels"),
              std::string::npos);
}

TEST(CommandLineBudget, TheBudgetIsGivenInMiBAndBadValuesAreNamed) {
    EXPECT_FALSE(tallowick::parseCommandLine({}).memoryBudgetMiB);
    EXPECT_EQ(tallowick::parseCommandLine({"--memory-budget", "512"}).memoryBudgetMiB, 512u);
    for (const char* bad : {"0", "-3", "12.5", "lots", "1073741825", "99999999999999999999"}) {
        try {
            tallowick::parseCommandLine({"--memory-budget", bad});
            ADD_FAILURE() << bad << " was taken";
        } catch (const tallowick::CommandLineError& error) {
            EXPECT_EQ(error.what(), QStringLiteral("--memory-budget: \"%1\" is not a whole "
                                                   "number of MiB from 1 to 1073741824")
                                        .arg(bad)
                                        .toStdString());
        }
    }
}

} // namespace
