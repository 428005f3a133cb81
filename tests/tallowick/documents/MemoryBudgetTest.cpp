// One memory budget for the whole host: documents, their frames and undo
// snapshots together, so that requests which each fit on their own cannot
// walk the host towards the kernel's out-of-memory killer.
#include "tallowick/documents/MemoryBudget.h"

#include "tallowick/documents/PictureLoading.h"
#include "tests/tallowick/ErrorText.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tallowick::MemoryBudget;
using tallowick::MemoryBudgetError;
using tests::errorText;

// The tiny document's two 3 x 2 frames hold 4 planes of 4 x 3 bytes each.
constexpr uint64_t kTinyFrame = 48;

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

} // namespace
