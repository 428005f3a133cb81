// Shared copies of frames: a snapshot that costs no copy of a sample, and
// that no later write on either side can reach.
#include "tallowick/documents/Document.h"
#include "tests/tallowick/TinyDocument.h"

#include <gtest/gtest.h>
#include <utility>

namespace {

using tallowick::Channel;
using tallowick::RgbaFrame;

TEST(FrameSharing, ASharedCopyKeepsItsSamplesWhicheverSideWrites) {
    RgbaFrame frame(2, 1, {10, 20, 30, 40});
    const RgbaFrame snapshot = frame.sharedCopy();
    EXPECT_TRUE(frame.sharesPlanes());
    EXPECT_EQ(snapshot.samples(Channel::Green), std::as_const(frame).samples(Channel::Green));

    // The plane written is the writer's own from then on; the others stay
    // shared.
    frame.replacePlane(Channel::Red, tests::patternPlane(3, 2, 0));
    EXPECT_EQ(frame.plane(Channel::Red).at(1, 0), 7);
    EXPECT_EQ(snapshot.plane(Channel::Red).at(1, 0), 10);
    EXPECT_TRUE(frame.sharesPlanes());
    frame.samples(Channel::Green)[0] = 99;
    EXPECT_EQ(snapshot.plane(Channel::Green).at(0, 0), 20);
    frame.refreshMargins();
    EXPECT_FALSE(frame.sharesPlanes());
    EXPECT_FALSE(snapshot.sharesPlanes());

    // A write through the copy leaves the original alone just the same.
    RgbaFrame copy = snapshot.sharedCopy();
    copy.samples(Channel::Blue)[1] = 1;
    EXPECT_EQ(snapshot.plane(Channel::Blue).at(1, 0), 30);
}

TEST(FrameSharing, APlainCopyOrAssignmentSharesNothing) {
    const RgbaFrame frame(2, 2, {1, 2, 3, 4});
    const RgbaFrame copy = frame; // NOLINT: the copy is the point
    EXPECT_FALSE(frame.sharesPlanes());
    EXPECT_NE(copy.samples(Channel::Red), frame.samples(Channel::Red));

    // Assigned over a shared copy, a frame takes planes of its own and the
    // one it shared with keeps its samples.
    RgbaFrame target(2, 2, {5, 6, 7, 8});
    const RgbaFrame sharer = target.sharedCopy();
    target = frame;
    EXPECT_EQ(target.plane(Channel::Alpha).at(1, 1), 4);
    EXPECT_EQ(sharer.plane(Channel::Alpha).at(1, 1), 8);
    EXPECT_FALSE(sharer.sharesPlanes());
}

TEST(FrameSharing, ADocumentsSharedCopyIsTheSameDocument) {
    const tallowick::Document document = tests::tinyDocument();
    const tallowick::Document copy = document.sharedCopy();
    EXPECT_EQ(tests::differenceBetween(document, copy), "");
    for (int f = 0; f < document.frameCount(); ++f)
        EXPECT_TRUE(document.frame(f).sharesPlanes()) << f;
}

} // namespace
