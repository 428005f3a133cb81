// A program serving on a bus learns that it is off the bus, whether the
// daemon went away or its name was taken, and hears it once.
#include "link/BusLossWatch.h"

#include "tests/support/PrivateBus.h"

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kName = QStringLiteral("Tallowick.Watched_Name");

class BusLoss : public ::testing::Test {
protected:
    // The reasons reported once events have had `milliseconds` to arrive.
    QStringList reasonsAfter(int milliseconds) {
        QTest::qWait(milliseconds);
        QStringList reasons;
        for (const QList<QVariant>& arguments : spy)
            reasons << arguments.at(0).toString();
        return reasons;
    }

    tests::PrivateBus bus;
    QDBusConnection connection = bus.connect("server");
    host::BusLossWatch watch{connection, kName};
    QSignalSpy spy{&watch, &host::BusLossWatch::lost};
};

TEST_F(BusLoss, TheDaemonEndingIsReportedOnce) {
    ASSERT_TRUE(connection.registerService(kName));
    EXPECT_EQ(reasonsAfter(100), QStringList{}) << "reported while still on the bus";

    bus.killDaemon();
    ASSERT_TRUE(spy.wait(10000)) << "the closed connection went unnoticed";
    // The name goes with the connection; that is the same loss, not a second.
    const QStringList reasons = reasonsAfter(200);
    ASSERT_EQ(reasons.size(), 1) << reasons.join(" | ").toStdString();
    EXPECT_TRUE(reasons[0].contains("connection to the bus closed")) << reasons[0].toStdString();
}

TEST_F(BusLoss, LosingTheWatchedNameIsReportedByName) {
    ASSERT_TRUE(connection.registerService(kName));
    ASSERT_TRUE(connection.registerService("Tallowick.Other_Name"));
    // Another name of the program going is none of the watch's business.
    ASSERT_TRUE(connection.unregisterService("Tallowick.Other_Name"));
    EXPECT_EQ(reasonsAfter(200), QStringList{});

    ASSERT_TRUE(connection.unregisterService(kName));
    ASSERT_TRUE(spy.wait(10000)) << "the lost name went unnoticed";
    EXPECT_EQ(reasonsAfter(0),
              QStringList{"the bus took the name " + kName + " from this program"});
}

TEST(BusLossOfAClosedConnection, IsReportedFromTheEventLoop) {
    tests::PrivateBus bus;
    QDBusConnection connection = bus.connect("server");
    bus.killDaemon();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !connection.isConnected(); }, 10000));

    // Watching only now: the loss happened before, and still counts.
    host::BusLossWatch watch(connection, kName);
    QSignalSpy spy(&watch, &host::BusLossWatch::lost);
    EXPECT_EQ(spy.count(), 0) << "reported before anyone could listen";
    EXPECT_TRUE(spy.wait(10000));
    EXPECT_EQ(spy.count(), 1);
}

} // namespace
