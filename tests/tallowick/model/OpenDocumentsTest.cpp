// The open documents on their own: refusals that name what is open, and the
// signals the host window redraws on, sent only for what changed.
#include "tallowick/model/OpenDocuments.h"

#include "tallowick/documents/MemoryBudget.h"
#include "tallowick/model/ModelError.h"
#include "tallowick/model/UndoHistory.h"
#include "tests/tallowick/ErrorText.h"
#include "tests/tallowick/TinyDocument.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

using tallowick::FramePosition;
using tallowick::ModelError;

class OpenDocumentsAlone : public ::testing::Test {
protected:
    // How many of each signal came since the last look.
    std::pair<int, int> signalsSinceLastLook() {
        const std::pair<int, int> counts{static_cast<int>(listChanged.count()),
                                         static_cast<int>(imageChanged.count())};
        listChanged.clear();
        imageChanged.clear();
        return counts;
    }

    tallowick::MemoryBudget budget{UINT64_MAX};
    tallowick::UndoHistory history{budget};
    tallowick::OpenDocuments documents{tests::tinyDocument(), budget, history};
    QSignalSpy listChanged{&documents, &tallowick::OpenDocuments::documentsChanged};
    QSignalSpy imageChanged{&documents, &tallowick::OpenDocuments::imageChanged};
};

TEST_F(OpenDocumentsAlone, PositionsOutsideTheDocumentsAreRefusedNamingWhatIsOpen) {
    documents.gotoFrame(1);
    signalsSinceLastLook();
    EXPECT_EQ(tests::errorText<ModelError>([&] { documents.select(1); }),
              "document 1 does not exist; the open documents are 0 to 0");
    EXPECT_EQ(tests::errorText<ModelError>([&] { documents.select(-1); }),
              "document -1 does not exist; the open documents are 0 to 0");
    EXPECT_EQ(tests::errorText<ModelError>([&] {
                  documents.frameAt({0, 2});
              }),
              "frame 2 does not exist; document 0 has frames 0 to 1");
    EXPECT_EQ(tests::errorText<ModelError>([&] {
                  documents.documentAt({3, 0});
              }),
              "document 3 does not exist; the open documents are 0 to 0");
    EXPECT_EQ(documents.currentPosition(), (FramePosition{0, 1}));
    EXPECT_EQ(signalsSinceLastLook(), std::make_pair(0, 0));
}

TEST_F(OpenDocumentsAlone, TheWindowHearsOfANewDocumentOnlyWhenTheDocumentChanges) {
    documents.createStill(5, 4);
    EXPECT_EQ(signalsSinceLastLook(), std::make_pair(1, 1));
    documents.select(1); // already current
    EXPECT_EQ(signalsSinceLastLook(), std::make_pair(0, 0));
    documents.select(0);
    EXPECT_EQ(signalsSinceLastLook(), std::make_pair(1, 1));
    EXPECT_EQ(documents.currentPosition(), (FramePosition{0, 0}));

    // A program's goto within the window's document is a new image only; a
    // goto to where the window already is, nothing.
    FramePosition program{0, 0};
    documents.gotoFrame(program, 1);
    EXPECT_EQ(signalsSinceLastLook(), std::make_pair(0, 1));
    documents.gotoFrame(program, 1);
    EXPECT_EQ(signalsSinceLastLook(), std::make_pair(0, 0));
}

TEST_F(OpenDocumentsAlone, ARestoredFrameIsPutBackAndShown) {
    const tallowick::RgbaFrame before = documents.frameAt({0, 1});
    documents.replacePlane({0, 1}, tallowick::Channel::Red, tests::patternPlane(3, 2, 40));
    documents.createStill(2, 2);
    signalsSinceLastLook();

    documents.restoreFrame({0, 1}, before);
    EXPECT_EQ(documents.currentPosition(), (FramePosition{0, 1}));
    EXPECT_EQ(documents.frameAt({0, 1}).plane(tallowick::Channel::Red),
              before.plane(tallowick::Channel::Red));
    EXPECT_EQ(signalsSinceLastLook(), std::make_pair(1, 1));
}

} // namespace
