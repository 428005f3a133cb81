// A host in a process of its own: values cross between processes, and a host
// that dies in the middle of a call gives the caller an error at once instead
// of a hang.
#include "link/DBusAutomationObject.h"
#include "tests/link/PeerHostProcess.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

using host::Variant;

TEST(HostProcess, AHostThatDiesInTheMiddleOfACallIsReportedGone) {
    tests::PrivateBus bus;
    QProcess peer;
    ASSERT_NO_FATAL_FAILURE(tests::startPeerHost(peer, bus));

    const auto hostObject = host::connectToHost(bus.connect("plugin"));
    host::ByteArray plane({{0, 3}, {0, 2}});
    plane.at(2, 1) = 200;
    EXPECT_EQ(hostObject->Invoke("Echo", {plane}), Variant(plane));

    try {
        hostObject->Invoke("Vanish");
        FAIL() << "the call returned although the host died";
    } catch (const host::HostCallError& error) {
        EXPECT_EQ(error.method(), "Vanish");
        EXPECT_TRUE(error.reason().startsWith("the host is gone")) << error.what();
    }
    // Later calls find nobody either.
    try {
        hostObject->Invoke("Echo");
        FAIL() << "a call to the dead host returned";
    } catch (const host::HostCallError& error) {
        EXPECT_TRUE(error.reason().startsWith("the host is gone")) << error.what();
    }
    // The wait for an answer may have seen the process end already.
    EXPECT_TRUE(peer.state() == QProcess::NotRunning || peer.waitForFinished());
}

} // namespace
