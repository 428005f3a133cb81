// The host's automation object served on a private bus, called by two
// programs over connections of their own: each gets its own frames, and what
// the host keeps for a program goes when the program leaves the bus.
#include "link/BusDepartures.h"
#include "link/DBusAutomationObject.h"
#include "tallowick/calls/HostObject.h"
#include "tallowick/model/HostModel.h"
#include "tests/support/BusServerThread.h"
#include "tests/support/PrivateBus.h"
#include "tests/tallowick/CallRecording.h"
#include "tests/tallowick/TinyDocument.h"

#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <type_traits>

namespace {

using host::ByteArray;
using host::Variant;
using tests::tinySample;

class ProgramsOnTheBus : public ::testing::Test {
protected:
    void SetUp() override {
        server.run([this] {
            departures = std::make_unique<host::BusDepartures>(server.connection());
            QObject::connect(departures.get(), &host::BusDepartures::departed, departures.get(),
                             [this](const QString& name) { hostObject.programLeft(name); });
        });
        server.serveAsHost(hostObject);
        first = host::connectToHost(bus.connect("first"));
        second = host::connectToHost(bus.connect("second"));
    }
    void TearDown() override {
        first.reset();
        second.reset();
        server.withdrawAll();
        server.run([this] { departures.reset(); });
    }

    // Reads what the host keeps on the thread that serves it.
    template <typename Read> auto onHost(Read read) {
        std::decay_t<decltype(read())> result{};
        server.run([&] { result = read(); });
        return result;
    }
    // Waits until the host has forgotten `program`. The guard only keeps a
    // broken watch from hanging the run; the test then fails.
    bool forgotten(const QString& program) {
        for (int attempt = 0; attempt < 6000; ++attempt) {
            if (!onHost([&] { return hostObject.callers().knows(program); }))
                return true;
            QThread::msleep(10);
        }
        return false;
    }

    tests::PrivateBus bus;
    tests::RecordingCaller windows;
    tallowick::HostModel model{tests::tinyDocument(), std::nullopt, QStringLiteral("/opt"),
                               QStringLiteral("/data/wallpaper.png")};
    tallowick::HostObject hostObject{model, windows};
    tests::BusServerThread server{bus, "host"};
    // Lives on the server's thread.
    std::unique_ptr<host::BusDepartures> departures;
    std::unique_ptr<host::DBusAutomationObject> first;
    std::unique_ptr<host::DBusAutomationObject> second;
};

// The red sample (2, 1) that `program` reads after going to `frame`.
uint8_t redAfterGoto(host::AutomationObject& program, int32_t frame) {
    program.Invoke("Tal_GotoFrameAdv", {frame, int16_t{3}});
    return std::get<ByteArray>(program.Invoke("tal_GetRBuffer")).at(2, 1);
}
uint8_t red(host::AutomationObject& program) {
    return std::get<ByteArray>(program.Invoke("tal_GetRBuffer")).at(2, 1);
}

TEST_F(ProgramsOnTheBus, InterleavedRetrievalsGetEachProgramItsOwnFrames) {
    const uint8_t frame0 = tinySample(0, 0, 2, 1);
    const uint8_t frame1 = tinySample(0, 1, 2, 1);
    for (int round = 0; round < 3; ++round) {
        first->Invoke("Tal_GotoFrameAdv", {int32_t{1}, int16_t{3}});
        second->Invoke("Tal_GotoFrameAdv", {int32_t{0}, int16_t{3}});
        EXPECT_EQ(red(*first), frame1);
        EXPECT_EQ(red(*second), frame0);
        EXPECT_EQ(redAfterGoto(*second, 1), frame1);
        EXPECT_EQ(red(*first), frame1);
        EXPECT_EQ(redAfterGoto(*first, 0), frame0);
        EXPECT_EQ(red(*second), frame1);
    }
    // The window shows the latest goto, the first program's.
    EXPECT_EQ(onHost([&] { return model.documents().currentFrameIndex(); }), 0);
}

TEST_F(ProgramsOnTheBus, AProgramsCreationIsNotAnothersCurrentDocument) {
    second->Invoke("tal_GetTotalFrames");
    first->Invoke("tal_CreateAnimAdv", {int32_t{3}, int16_t{2}});
    EXPECT_EQ(std::get<int32_t>(first->Invoke("tal_GetTotalFrames")), 3);
    EXPECT_EQ(std::get<int32_t>(second->Invoke("tal_GetTotalFrames")), 2);
    EXPECT_EQ(onHost([&] { return model.documents().currentDocumentIndex(); }), 1);
}

TEST_F(ProgramsOnTheBus, AProgramThatLeavesTheBusIsForgottenWithItsWindows) {
    const QString firstName = bus.connect("first").baseService();
    const QString secondName = bus.connect("second").baseService();
    first->Invoke("Tal_SendFormObject",
                  {host::ObjectRef{firstName, QStringLiteral("/windows/1")}, int16_t{0}});
    second->Invoke("Tal_SendFormObject",
                   {host::ObjectRef{secondName, QStringLiteral("/windows/1")}, int16_t{0}});
    ASSERT_TRUE(onHost([&] { return hostObject.callers().knows(firstName); }));

    first.reset();
    bus.disconnect("first");
    ASSERT_TRUE(forgotten(firstName));
    EXPECT_TRUE(onHost([&] { return hostObject.callers().knows(secondName); }));
    const auto held = onHost([&] { return model.heldWindows().all(); });
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].service, secondName);
}

TEST_F(ProgramsOnTheBus, AProgramThatLeavesRightAfterOneCallIsForgottenToo) {
    for (int i = 0; i < 5; ++i) {
        const QString name = QStringLiteral("brief%1").arg(i);
        const QString busName = bus.connect(name).baseService();
        host::connectToHost(bus.connect(name))->Invoke("tal_GetTotalFrames");
        ASSERT_TRUE(onHost([&] { return hostObject.callers().knows(busName); }));
        bus.disconnect(name);
        EXPECT_TRUE(forgotten(busName)) << busName.toStdString();
    }
    EXPECT_EQ(onHost([&] { return hostObject.callers().size(); }), 0u);
}

} // namespace
