#pragma once

// Bare QtDBus calls for the benchmarks' baselines: an object on a thread of
// its own that answers every call at once with an empty reply, reached
// through a bus daemon and over a peer-to-peer connection.
#include "tests/support/PrivateBus.h"

#include <QAbstractEventDispatcher>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusServer>
#include <QDBusVirtualObject>
#include <QThread>
#include <benchmark/benchmark.h>
#include <memory>

namespace bench {

class BareAnswerer final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        QDBusConnection(connection).send(message.createReply());
        return true;
    }
};

// A bare call to /bare on `connection`, `destination` the answerer's name
// (empty peer to peer).
struct BareTarget {
    QDBusConnection connection;
    QString destination;
};

class BareCalls {
public:
    explicit BareCalls(tests::PrivateBus& bus)
        : serverSide_(bus.connect(QStringLiteral("bare-server"))),
          client_(bus.connect(QStringLiteral("bare-client"))),
          peer_(QStringLiteral("bare-peer")) {
        worker_.start();
        answerer_.moveToThread(&worker_);
        QMetaObject::invokeMethod(
            &answerer_,
            [this] {
                serverSide_.registerVirtualObject(QStringLiteral("/bare"), &answerer_);
                server_ = std::make_unique<QDBusServer>();
                QObject::connect(server_.get(), &QDBusServer::newConnection, &answerer_,
                                 [this](const QDBusConnection& connection) {
                                     QDBusConnection(connection)
                                         .registerVirtualObject(QStringLiteral("/bare"),
                                                                &answerer_);
                                 });
                address_ = server_->address();
            },
            Qt::BlockingQueuedConnection);
        QDBusConnection::connectToPeer(address_, peer_);
    }

    ~BareCalls() {
        QDBusConnection::disconnectFromPeer(peer_);
        QMetaObject::invokeMethod(
            &answerer_, [this] { server_.reset(); }, Qt::BlockingQueuedConnection);
        worker_.quit();
        worker_.wait();
    }

    BareTarget throughBus() const { return {client_, serverSide_.baseService()}; }
    BareTarget peerToPeer() const { return {QDBusConnection(peer_), QString()}; }

private:
    QDBusConnection serverSide_;
    QDBusConnection client_;
    QString peer_;
    QThread worker_;
    BareAnswerer answerer_;
    std::unique_ptr<QDBusServer> server_;
    QString address_;
};

inline QDBusMessage bareCall(const BareTarget& target) {
    return QDBusMessage::createMethodCall(target.destination, QStringLiteral("/bare"),
                                          QStringLiteral("bare.Bare"),
                                          QStringLiteral("Nothing"));
}

// Blocked until the reply comes, as QtDBus waits by itself.
inline void runBareCalls(benchmark::State& state, const BareTarget& target) {
    const QDBusMessage call = bareCall(target);
    for (auto _ : state) {
        const QDBusMessage reply = target.connection.call(call, QDBus::Block);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            state.SkipWithError(reply.errorMessage().toStdString().c_str());
            return;
        }
    }
}

// Waiting in the thread's event loop for the reply, as a call waits that
// keeps its windows repainting (link/ReplyWait.h), without the rest of it.
inline void runBareCallsWaitingInEventLoop(benchmark::State& state, const BareTarget& target) {
    const QDBusMessage call = bareCall(target);
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    for (auto _ : state) {
        QDBusPendingCall pending = target.connection.asyncCall(call);
        const QDBusPendingCallWatcher watcher(pending);
        while (!pending.isFinished())
            dispatcher->processEvents(QEventLoop::ExcludeUserInputEvents |
                                      QEventLoop::ExcludeSocketNotifiers |
                                      QEventLoop::X11ExcludeTimers |
                                      QEventLoop::WaitForMoreEvents);
        if (pending.isError()) {
            state.SkipWithError(pending.error().message().toStdString().c_str());
            return;
        }
    }
}

} // namespace bench
