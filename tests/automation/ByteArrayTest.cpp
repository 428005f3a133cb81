#include "automation/ByteArray.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using host::ByteArray;
using host::ByteArrayError;
using host::Dimension;

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

std::string messageOf(const std::vector<Dimension>& dimensions) {
    try {
        ByteArray array(dimensions);
    } catch (const ByteArrayError& error) {
        return error.what();
    }
    return "no error";
}

TEST(ByteArrayLayout, PlaneSampleXYLiesAtYTimesWidthPlusX) {
    ByteArray plane = ByteArray::plane(4, 3);
    ASSERT_EQ(plane.size(), 12u);
    plane.at(3, 0) = 7;
    plane.at(1, 2) = 9;
    EXPECT_EQ(plane.data()[3], 7);
    EXPECT_EQ(plane.data()[2 * 4 + 1], 9);
}

TEST(ByteArrayLayout, ThirdIndexStridesOverWholePlanes) {
    // Counts 2 x 3 x 4: element (1, 2, 3) lies at 3 * (2 * 3) + 2 * 2 + 1 = 23,
    // the last byte.
    ByteArray cells({{0, 2}, {0, 3}, {0, 4}});
    ASSERT_EQ(cells.size(), 24u);
    cells.at(1, 2, 3) = 5;
    EXPECT_EQ(cells.data()[23], 5);
}

TEST(ByteArrayLayout, IndexesCountFromTheLowerBounds) {
    ByteArray array({{1, 3}, {-2, 2}});
    array.at(1, -2) = 4;
    array.at(3, -1) = 6;
    EXPECT_EQ(array.data()[0], 4);
    EXPECT_EQ(array.data()[5], 6);
    EXPECT_EQ(array.lower(0), 1);
    EXPECT_EQ(array.lower(1), -2);
    EXPECT_EQ(array.boundsText(), "(1 To 3, -2 To -1)");
}

TEST(ByteArrayChecks, RankMustBeOneToThree) {
    EXPECT_THROW(ByteArray(std::vector<Dimension>{}), ByteArrayError);
    EXPECT_THROW(ByteArray({{0, 1}, {0, 1}, {0, 1}, {0, 1}}), ByteArrayError);
    EXPECT_NO_THROW(ByteArray({{0, 1}}));
    EXPECT_NO_THROW(ByteArray({{0, 1}, {0, 1}, {0, 1}}));
}

TEST(ByteArrayChecks, NegativeCountIsNamed) {
    const std::string message = messageOf({{0, 4}, {0, -1}});
    EXPECT_NE(message.find("dimension 2"), std::string::npos) << message;
    EXPECT_NE(message.find("negative"), std::string::npos) << message;
}

TEST(ByteArrayChecks, SizeOverflowIsRefusedBeforeAllocating) {
    // (2^31 - 1)^3 is about 2^93, far beyond a 64-bit size.
    const std::string message = messageOf({{0, kMax}, {0, kMax}, {0, kMax}});
    EXPECT_NE(message.find("overflow"), std::string::npos) << message;
    EXPECT_NE(message.find("(0 To 2147483646, 0 To 2147483646, 0 To 2147483646)"),
              std::string::npos)
        << message;
}

TEST(ByteArrayChecks, UpperBoundBeyond32BitsIsRefused) {
    // Lower bound 2^31 - 1 with two elements puts the upper bound at 2^31.
    const std::string message = messageOf({{kMax, 2}});
    EXPECT_NE(message.find("upper bound of dimension 1"), std::string::npos) << message;
    EXPECT_NO_THROW(ByteArray({{kMax, 1}}));
}

TEST(ByteArrayChecks, PlaneRefusesNegativeExtents) {
    EXPECT_THROW(ByteArray::plane(-1, 3), ByteArrayError);
    EXPECT_THROW(ByteArray::plane(3, -1), ByteArrayError);
    const ByteArray plane = ByteArray::plane(3, 2);
    EXPECT_TRUE(plane.isPlane());
    EXPECT_EQ(plane.dimensions(), (std::vector<Dimension>{{0, 3}, {0, 2}}));
}

TEST(ByteArrayChecks, IndexesOutsideTheBoundsAreRefused) {
    ByteArray array({{1, 3}, {0, 2}});
    EXPECT_THROW(array.at(0, 0), ByteArrayError);
    EXPECT_THROW(array.at(4, 0), ByteArrayError);
    EXPECT_THROW(array.at(1, 2), ByteArrayError);
    EXPECT_THROW(array.at(1, -1), ByteArrayError);
    EXPECT_THROW(array.at(1), ByteArrayError);
    EXPECT_THROW(array.at(1, 0, 0), ByteArrayError);
    EXPECT_THROW(array.count(2), ByteArrayError);
    EXPECT_THROW(array.lower(-1), ByteArrayError);
    const ByteArray& constant = array;
    EXPECT_THROW(constant.at(kMax, 0), ByteArrayError);
}

TEST(ByteArrayCopies, AssignmentTakesBoundsAndBytesWhateverTheStorageBefore) {
    ByteArray source({{1, 3}, {0, 2}});
    for (std::size_t i = 0; i < source.size(); ++i)
        source.data()[i] = static_cast<uint8_t>(10 + i);
    // The same number of bytes under other bounds, in place; and another
    // number of bytes.
    ByteArray sameSize = ByteArray::plane(2, 3);
    ByteArray otherSize = ByteArray::plane(4, 4);
    sameSize = source;
    otherSize = source;
    EXPECT_EQ(sameSize, source);
    EXPECT_EQ(otherSize, source);
    EXPECT_EQ(sameSize.at(3, 1), 15);
    source.at(1, 0) = 0;
    EXPECT_EQ(sameSize.at(1, 0), 10);
}

TEST(ByteArrayCopies, ASharedCopyKeepsItsBytesWhicheverSideWrites) {
    ByteArray original({{0, 3}, {0, 2}});
    for (std::size_t i = 0; i < original.size(); ++i)
        original.data()[i] = static_cast<uint8_t>(i);
    const ByteArray fetched = original.sharedCopy();
    EXPECT_TRUE(original.sharesStorage());
    EXPECT_EQ(fetched.data(), std::as_const(original).data());
    EXPECT_EQ(fetched, original);

    // The writer takes storage of its own with the old bytes in it, whether
    // it writes through data(), at() or overwrites everything.
    original.at(2, 1) = 99;
    EXPECT_EQ(fetched.at(2, 1), 5);
    EXPECT_EQ(original.at(1, 1), 4);
    EXPECT_FALSE(fetched.sharesStorage());

    ByteArray second = fetched.sharedCopy();
    std::fill_n(second.dataToOverwrite(), second.size(), uint8_t{7});
    EXPECT_EQ(fetched.at(0, 0), 0);
    EXPECT_EQ(second.at(0, 0), 7);

    // Alone again, the storage is written in place, never copied.
    const uint8_t* storage = std::as_const(second).data();
    EXPECT_EQ(second.data(), storage);
    EXPECT_EQ(second.dataToOverwrite(), storage);
}

TEST(ByteArrayCopies, APlainCopyOrAnAssignmentOverASharedArrayLeavesTheSharerAlone) {
    ByteArray source = ByteArray::plane(2, 2);
    source.at(1, 1) = 3;
    const ByteArray copy = source; // NOLINT: the copy is the point
    EXPECT_FALSE(source.sharesStorage());
    EXPECT_NE(copy.data(), source.data());

    // Assigned bytes of the same size would go in place, but not into
    // storage another array still reads.
    ByteArray target = ByteArray::plane(2, 2);
    const ByteArray sharer = target.sharedCopy();
    target = source;
    EXPECT_EQ(target.at(1, 1), 3);
    EXPECT_EQ(sharer.at(1, 1), 0);
}

} // namespace

namespace {

// Lent bytes, and whether whatever lent them has been let go.
struct Lender {
    std::vector<uint8_t> bytes;
    bool released = false;
    std::shared_ptr<const uint8_t> lend() {
        return std::shared_ptr<const uint8_t>(bytes.data(), [this](const uint8_t*) {
            released = true;
        });
    }
};

} // namespace

TEST(ByteArrayBorrowing, ReadsTheLentBytesAndNeverWritesOrSharesThem) {
    Lender lender{{1, 2, 3, 4, 5, 6}};
    ByteArray borrowed = ByteArray::borrowing({{0, 3}, {0, 2}}, lender.lend());
    const ByteArray& reading = borrowed;
    EXPECT_TRUE(reading.borrows());
    EXPECT_TRUE(reading.sharesStorage());
    EXPECT_EQ(reading.data(), lender.bytes.data());
    EXPECT_EQ(reading.at(2, 1), 6);

    // Copies of every kind are the reader's own, and keep nothing lent.
    ByteArray copy = reading;
    ByteArray shared = reading.sharedCopy();
    EXPECT_FALSE(copy.borrows());
    EXPECT_FALSE(shared.borrows());
    copy.at(0, 0) = 90;
    shared.at(1, 0) = 91;
    EXPECT_EQ(shared.at(0, 0), 1);
    EXPECT_EQ(shared.at(2, 1), 6);
    EXPECT_EQ(lender.bytes, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_FALSE(lender.released);

    // A write takes storage of its own first, and lets the loan go.
    borrowed.at(1, 1) = 92;
    EXPECT_FALSE(reading.borrows());
    EXPECT_TRUE(lender.released);
    EXPECT_EQ(lender.bytes, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(reading.at(0, 0), 1);
    EXPECT_EQ(reading.at(1, 1), 92);
    EXPECT_EQ(reading.at(2, 1), 6);
}

TEST(ByteArrayBorrowing, HoldsTheLoanUntilTheLastMoveOfTheArrayIsGone) {
    Lender lender{{7, 8}};
    {
        ByteArray borrowed = ByteArray::borrowing({{0, 2}}, lender.lend());
        ByteArray moved = std::move(borrowed);
        EXPECT_TRUE(moved.borrows());
        EXPECT_FALSE(lender.released);
    }
    EXPECT_TRUE(lender.released);
    // Bounds the constructor refuses are refused here too.
    Lender other{{1}};
    EXPECT_THROW(ByteArray::borrowing({{0, -1}}, other.lend()), ByteArrayError);
}
