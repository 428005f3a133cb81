// The real host held to a small --memory-budget: requests beyond it are
// refused by name while the host goes on serving, and a picture beyond it
// ends the host at start before its frames are expanded.
#include "automation/ResultConversions.h"
#include "tests/support/RunningHost.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tests::failureOf;

using host::Variant;

int32_t number(host::AutomationObject& hostObject, const char* method) {
    return host::resultToInt32(method, hostObject.Invoke(method));
}

// A GIF of `frames` one-pixel frames on a screen of `width` x `height`: a few
// bytes a frame in the file, a whole screen a frame once expanded. Each
// frame's LZW data is the 3-bit codes clear (4), colour 0, end (5).
QByteArray tinyFramesOnALargeScreen(int frames, int width, int height) {
    QByteArray gif("GIF89a");
    const auto word = [&gif](int value) {
        gif.append(static_cast<char>(value & 0xFF));
        gif.append(static_cast<char>(value >> 8));
    };
    word(width);
    word(height);
    gif.append("\x80\x00\x00", 3);             // two colours, background 0
    gif.append("\xFF\x00\x00\x00\x00\xFF", 6); // red, blue
    for (int i = 0; i < frames; ++i) {
        gif.append('\x2C'); // image at (0, 0), 1 x 1
        word(0);
        word(0);
        word(1);
        word(1);
        gif.append('\x00');
        gif.append("\x02\x02\x44\x01\x00", 5);
    }
    gif.append('\x3B');
    return gif;
}

TEST(HostMemoryBudget, RequestsBeyondTheBudgetAreRefusedAndTheHostGoesOnServing) {
    QTemporaryDir folder;
    QImage still(3, 2, QImage::Format_RGB32);
    still.fill(Qt::green);
    ASSERT_TRUE(still.save(folder.filePath("still.png")));
    tests::PrivateBus bus;
    tests::RunningHost host(bus, {"--memory-budget", "1", "--image", folder.filePath("still.png")});
    auto& h = host.object();

    // A 300 x 300 document takes 353.9 KiB: two fit in 1 MiB, a third does
    // not, though each alone would.
    h.Invoke("Tal_NewBuffer", {int16_t{300}, int16_t{300}});
    h.Invoke("Tal_NewBuffer", {int16_t{300}, int16_t{300}});
    const std::string third = failureOf(h, "Tal_NewBuffer", {int16_t{300}, int16_t{300}});
    EXPECT_NE(third.find("Tal_NewBuffer"), std::string::npos) << third;
    EXPECT_NE(third.find("1 frame of 300 x 300 pixels would take 353.9 KiB"), std::string::npos)
        << third;
    EXPECT_NE(third.find("the memory budget of 1.0 MiB (707.9 KiB in use)"), std::string::npos)
        << third;
    const std::string animation = failureOf(h, "tal_CreateAnimAdv", {int32_t{800}, int16_t{2}});
    EXPECT_NE(animation.find("800 frames of 300 x 300 pixels"), std::string::npos) << animation;
    // A snapshot of the current 300 x 300 frame cannot fit beside the
    // documents either; the caller hears so before it changes anything.
    const std::string snapshot = failureOf(h, "Tal_SaveUndo");
    EXPECT_NE(snapshot.find("an undo snapshot of 300 x 300 pixels"), std::string::npos) << snapshot;

    EXPECT_EQ(number(h, "tal_GetTotalFrames"), 1);
    EXPECT_EQ(number(h, "Tal_BufferWidth"), 300);
    h.Invoke("Tal_NewBuffer", {int16_t{20}, int16_t{10}});
    EXPECT_EQ(number(h, "Tal_BufferHeight"), 10);
    EXPECT_EQ(host.stop(), 0);
}

// What a host started with `arguments` says when it ends at start.
struct StartFailure {
    int status = -1;
    QString message;
};

StartFailure startFailureOf(const QStringList& arguments) {
    // A host that wrongly went on would serve; it does so on a bus of its own.
    tests::PrivateBus bus;
    QProcess hostProcess;
    hostProcess.setProcessEnvironment(bus.environment());
    hostProcess.start(tests::applicationFolder() + "/tallowick", arguments);
    if (!hostProcess.waitForFinished(30000))
        return {-1, QStringLiteral("the host did not end")};
    return {hostProcess.exitCode(), QString::fromLocal8Bit(hostProcess.readAllStandardError())};
}

TEST(HostMemoryBudget, APictureBeyondTheBudgetEndsTheHostAtStartWithStatus2) {
    QTemporaryDir folder;
    QFile file(folder.filePath("tiny-frames.gif"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // 9 KB of file, 8.9 GiB of frames.
    file.write(tinyFramesOnALargeScreen(600, 2000, 2000));
    file.close();

    const StartFailure failure =
        startFailureOf({"--headless", "--memory-budget", "64", "--anim", file.fileName()});
    EXPECT_EQ(failure.status, 2) << failure.message.toStdString();
    EXPECT_TRUE(failure.message.contains(file.fileName() +
                                         ": 600 frames of 2000 x 2000 pixels would take 8.9 GiB, "
                                         "more than the memory budget of 64.0 MiB allows"))
        << failure.message.toStdString();

    // A budget that is no number of MiB is named with its option.
    const StartFailure bad = startFailureOf({"--headless", "--memory-budget", "0.5"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.message.contains("--memory-budget: \"0.5\" is not a whole number of MiB"))
        << bad.message.toStdString();
}

} // namespace
