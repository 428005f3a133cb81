// What the autosave reads: each document's revision, moved only by what
// changes its samples or creates it, and snapshots of the changed ones that
// hold their room in the memory budget while they live.
#include "tallowick/documents/MemoryBudget.h"
#include "tallowick/model/OpenDocuments.h"
#include "tallowick/model/UndoHistory.h"
#include "tests/tallowick/TinyDocument.h"

#include <gtest/gtest.h>

namespace {

using tallowick::Channel;
using tallowick::FramePosition;

// The bytes the budget counts for the tiny document, and for one 2 x 2 still.
constexpr uint64_t kTinyBytes = 2 * 4 * 4 * 3;
constexpr uint64_t kStillBytes = 4 * 3 * 3;

class DocumentRevisions : public ::testing::Test {
protected:
    tallowick::MemoryBudget budget{UINT64_MAX};
    tallowick::UndoHistory history{budget};
    tallowick::OpenDocuments documents{tests::tinyDocument(), budget, history};
};

TEST_F(DocumentRevisions, CountOnlyWhatChangesSamplesOrCreatesADocument) {
    EXPECT_EQ(documents.revisionOf(0), 0u);
    documents.gotoFrame(1);
    documents.frameAt({0, 0});
    EXPECT_EQ(documents.revisionOf(0), 0u);

    documents.replacePlane({0, 1}, Channel::Green, tests::patternPlane(3, 2, 5));
    EXPECT_EQ(documents.revisionOf(0), 1u);
    // A refused plane changes nothing.
    EXPECT_THROW(documents.replacePlane({0, 1}, Channel::Green, tests::patternPlane(2, 2, 5)),
                 tallowick::FrameError);
    EXPECT_EQ(documents.revisionOf(0), 1u);
    documents.restoreFrame({0, 1}, documents.frameAt({0, 0}));
    EXPECT_EQ(documents.revisionOf(0), 2u);

    FramePosition program{0, 0};
    documents.createStill(program, 2, 2);
    EXPECT_EQ(documents.revisionOf(1), 1u);
    documents.add(tests::tinyDocument());
    EXPECT_EQ(documents.revisionOf(2), 0u);
    EXPECT_EQ(documents.revisionOf(0), 2u);
}

TEST_F(DocumentRevisions, ASnapshotTakesTheChangedDocumentsAndHoldsTheirRoomWhileItLives) {
    documents.createStill(2, 2);
    documents.add(tests::tinyDocument());
    documents.replacePlane({0, 0}, Channel::Red, tests::patternPlane(3, 2, 1));
    const uint64_t inUse = budget.inUse();
    {
        tallowick::ChangedDocuments changed = documents.snapshotChanged({0, 0, 0});
        EXPECT_TRUE(changed.leftOut.empty());
        ASSERT_EQ(changed.snapshot.copies().size(), 2u);
        EXPECT_EQ(changed.snapshot.copies()[0].index, 0);
        EXPECT_EQ(changed.snapshot.copies()[0].revision, 1u);
        EXPECT_EQ(changed.snapshot.copies()[1].index, 1);
        EXPECT_EQ(changed.snapshot.copies()[1].revision, 1u);
        EXPECT_EQ(budget.inUse(), inUse + kTinyBytes + kStillBytes);

        // What the documents write from now on is not in the snapshot.
        const tallowick::Document before = documents.all()[0];
        documents.replacePlane({0, 0}, Channel::Red, tests::patternPlane(3, 2, 9));
        EXPECT_EQ(tests::differenceBetween(before, changed.snapshot.copies()[0].document), "");
    }
    EXPECT_EQ(budget.inUse(), inUse);

    // Copied at their revisions, only what changed since is taken again;
    // a document past the list counts as copied at 0.
    const tallowick::ChangedDocuments again = documents.snapshotChanged({1, 1});
    ASSERT_EQ(again.snapshot.copies().size(), 1u);
    EXPECT_EQ(again.snapshot.copies()[0].index, 0);
    EXPECT_EQ(again.snapshot.copies()[0].revision, 2u);
}

TEST(DocumentSnapshotBudget, ADocumentTheBudgetCannotHoldIsLeftOutByName) {
    tallowick::MemoryBudget budget{kTinyBytes + kStillBytes + kTinyBytes - 1};
    tallowick::UndoHistory history{budget};
    tallowick::OpenDocuments documents{tests::tinyDocument(), budget, history};
    documents.createStill(2, 2);
    documents.replacePlane({0, 0}, Channel::Blue, tests::patternPlane(3, 2, 1));

    const tallowick::ChangedDocuments changed = documents.snapshotChanged({});
    ASSERT_EQ(changed.snapshot.copies().size(), 1u);
    EXPECT_EQ(changed.snapshot.copies()[0].index, 1);
    ASSERT_EQ(changed.leftOut.size(), 1u);
    EXPECT_EQ(changed.leftOut[0].toStdString(),
              "document 0 (\"tiny\"): a recovery copy of 2 frames of 3 x 2 pixels would take 96 "
              "bytes, more than the 95 bytes left of the memory budget of 227 bytes (132 bytes "
              "in use)");
}

} // namespace
