#pragma once

#include "tests/support/PrivateBus.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace tests {

// Starts the stand-in host program of these tests (host_link_peer) on `bus`
// and waits until it says it serves; a fatal test failure when it does not.
inline void startPeerHost(QProcess& peer, const PrivateBus& bus) {
    peer.setProcessEnvironment(bus.environment());
    peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    peer.start(QStringLiteral(TALLOWICK_HOST_LINK_PEER), {});
    ASSERT_TRUE(peer.waitForStarted()) << peer.errorString().toStdString();
    while (!peer.canReadLine())
        ASSERT_TRUE(peer.waitForReadyRead()) << "the peer host did not start serving";
    ASSERT_EQ(peer.readLine().trimmed(), "serving");
}

} // namespace tests
