// A program that floods the real host with plane calls through the real bus
// daemon and never reads an answer: the daemon holds no more than the bound
// of the host's descriptors for it, the host stays on the bus and serves
// everyone else, and the flood's calls past the bound fail naming it.
#include "automation/ResultConversions.h"
#include "link/DBusAutomationObject.h"
#include "link/DBusWire.h"
#include "link/PeerMemory.h"
#include "tests/support/RawBusClient.h"
#include "tests/support/RunningHost.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

constexpr int kFlood = 30000;

int openDescriptorsOf(qint64 processId) {
    return static_cast<int>(
        QDir(QStringLiteral("/proc/%1/fd").arg(processId)).entryList(QDir::Files).size());
}

TEST(UnreadReplies, OneProgramCannotGetTheHostDroppedFromTheBus) {
    tests::PrivateBus bus;
    tests::RunningHost host(bus, {});
    const host::ByteArray red =
        host::resultToPlane("tal_GetRBuffer", host.object().Invoke("tal_GetRBuffer"));
    const qint64 daemon = bus.daemonProcessId();
    const int daemonDescriptorsBefore = openDescriptorsOf(daemon);

    tests::RawBusClient flooder(bus.address());
    flooder.sendInvokes(QString(host::dbus::kHostService), QString(host::dbus::kHostPath),
                        QStringLiteral("tal_GetRBuffer"), kFlood);
    const QDeadlineTimer deadline(120000);
    while (flooder.unreadByTheBus() > 0 && !deadline.hasExpired())
        QThread::msleep(10);
    ASSERT_EQ(flooder.unreadByTheBus(), 0u);

    // The daemon has routed the whole flood before this call, so the host
    // has answered all of it once this call is answered; and it is still
    // there to answer another program. The call goes through the bus, not
    // the test's direct connection: only there is it queued behind the flood,
    // and answers read before the host has answered the whole flood would
    // free files it then lends again.
    host::DBusAutomationObject overTheBus(host.pluginConnection(), host.object().target());
    ASSERT_FALSE(overTheBus.callsDirect());
    EXPECT_EQ(overTheBus.Invoke("tal_GetRBuffer"), host::Variant(red));
    // Every answer waits for the flooder, in its socket or in the daemon,
    // but only the bound of them with a descriptor of the host's: the
    // daemon holds no more than those.
    EXPECT_LE(openDescriptorsOf(daemon) - daemonDescriptorsBefore,
              static_cast<int>(host::kMaxUntakenFiles) + 16);

    // Read at last: the first answers carry the plane, the rest say why not.
    const tests::RawReplies replies = flooder.readReplies(kFlood);
    EXPECT_EQ(replies.replies, static_cast<int>(host::kMaxUntakenFiles));
    EXPECT_EQ(replies.descriptors, static_cast<int>(host::kMaxUntakenFiles));
    EXPECT_EQ(replies.errors, kFlood - static_cast<int>(host::kMaxUntakenFiles));
    EXPECT_TRUE(replies.firstError.contains(QStringLiteral(
        "the receiving program has not taken 256 memory files sent to it")))
        << replies.firstError.toStdString();
    EXPECT_TRUE(replies.firstError.contains(QStringLiteral("at most 256 files")))
        << replies.firstError.toStdString();

    // With its answers read (and their descriptors closed), the program is
    // served planes again.
    flooder.sendInvokes(QString(host::dbus::kHostService), QString(host::dbus::kHostPath),
                        QStringLiteral("tal_GetRBuffer"), 1);
    const tests::RawReplies again = flooder.readReplies(1);
    EXPECT_EQ(again.replies, 1);
    EXPECT_EQ(again.descriptors, 1);
    EXPECT_EQ(host.stop(), 0);
}

} // namespace
