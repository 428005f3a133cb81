// Direct connections between a caller and the host: calls go over one when
// the host offers it, and through the bus when it cannot be made; each speaks
// for the bus name that proved itself, and goes with that name.
#include "link/DBusAutomationObject.h"
#include "link/DBusExport.h"
#include "link/DBusMessages.h"
#include "link/DBusWire.h"
#include "link/DirectServer.h"
#include "link/InvokeAdaptor.h"
#include "tests/support/BusServerThread.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/RawBusClient.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <mutex>

namespace {

using host::Variant;

// Answers every call with its first argument and notes who called.
class CallerRecorder : public host::AutomationObject {
public:
    Variant Invoke(const QString& method, const std::vector<Variant>& args) override {
        return InvokeFrom(QString(), method, args);
    }
    Variant InvokeFrom(const QString& caller, const QString&,
                       const std::vector<Variant>& args) override {
        const std::lock_guard lock(mutex_);
        lastCaller_ = caller;
        return args.empty() ? Variant(host::Empty{}) : args.front();
    }
    QString lastCaller() {
        const std::lock_guard lock(mutex_);
        return lastCaller_;
    }

private:
    std::mutex mutex_;
    QString lastCaller_;
};

template <typename Condition> bool eventually(Condition condition) {
    QDeadlineTimer deadline(5000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

class DirectCalls : public ::testing::Test {
protected:
    void offer() {
        server.serveAsHost(served, host::DirectCalls::Offered);
        server.run([this] {
            QObject::connect(server.servedHost().directServer(),
                             &host::dbus::DirectServer::callerGone,
                             [this](const QString& name) {
                                 const std::lock_guard lock(goneMutex);
                                 gone.append(name);
                             });
        });
    }
    std::size_t connectedCallers() {
        std::size_t count = 0;
        server.run([&] { count = server.servedHost().directServer()->connectedCallers(); });
        return count;
    }
    QStringList goneCallers() {
        const std::lock_guard lock(goneMutex);
        return gone;
    }

    tests::PrivateBus bus;
    CallerRecorder served;
    // Before the server: its thread may still tell of callers gone as it
    // stops, so what it appends to must outlive it.
    std::mutex goneMutex;
    QStringList gone;
    tests::BusServerThread server{bus, QStringLiteral("host")};
};

TEST_F(DirectCalls, GoOverTheDirectConnectionForTheCallersBusName) {
    offer();
    const QDBusConnection plugin = bus.connect("plugin");
    const auto hostObject = host::connectToHost(plugin);
    ASSERT_TRUE(hostObject->callsDirect()) << hostObject->directFallbackReason().toStdString();
    EXPECT_EQ(connectedCallers(), 1u);

    // With the object gone from the bus, only the direct connection can
    // carry the call; the host still sees the caller's bus name.
    server.run([this] {
        QDBusConnection(server.connection()).unregisterObject(QString(host::dbus::kHostPath));
    });
    EXPECT_EQ(hostObject->Invoke("Echo", {int32_t{42}}), Variant(int32_t{42}));
    EXPECT_EQ(served.lastCaller(), plugin.baseService());
}

TEST_F(DirectCalls, FallBackToTheBusWhenTheHostOffersNone) {
    server.serveAsHost(served);
    const QDBusConnection plugin = bus.connect("plugin");
    const auto hostObject = host::connectToHost(plugin);
    EXPECT_FALSE(hostObject->callsDirect());
    EXPECT_TRUE(hostObject->directFallbackReason().contains("offers no direct connection"))
        << hostObject->directFallbackReason().toStdString();
    EXPECT_EQ(hostObject->Invoke("Echo", {QStringLiteral("over the bus")}),
              Variant(QStringLiteral("over the bus")));
    EXPECT_EQ(served.lastCaller(), plugin.baseService());
}

TEST_F(DirectCalls, FallBackToTheBusWhenTheAddressRefuses) {
    // The socket is made where the host is told to, and removed under it.
    QTemporaryDir runtime;
    const QByteArray before = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    offer();
    qputenv("XDG_RUNTIME_DIR", before);
    for (const QString& socket : QDir(runtime.path()).entryList(QDir::System))
        ASSERT_TRUE(QFile::remove(runtime.filePath(socket)));

    const auto hostObject = host::connectToHost(bus.connect("plugin"));
    EXPECT_FALSE(hostObject->callsDirect());
    EXPECT_TRUE(hostObject->directFallbackReason().contains("direct connection to"))
        << hostObject->directFallbackReason().toStdString();
    EXPECT_EQ(hostObject->Invoke("Echo", {true}), Variant(true));
}

QDBusMessage hello(const QDBusConnection& peer, const QString& busName, const QString& token) {
    QDBusMessage call = QDBusMessage::createMethodCall(QString(), QString(host::dbus::kHostPath),
                                                       host::dbus::kDirectInterface,
                                                       host::dbus::kHelloMethod);
    call << busName << token;
    return peer.call(call, QDBus::Block, 5000);
}

// What the host offers `caller` when it asks over the bus: the address and
// a token.
std::pair<QString, QString> offerTo(const QDBusConnection& caller) {
    const QDBusMessage offered = caller.call(
        QDBusMessage::createMethodCall(QString(host::dbus::kHostService),
                                       QString(host::dbus::kHostPath),
                                       host::dbus::kDirectInterface, host::dbus::kOpenMethod));
    if (offered.signature() != QLatin1String("ss"))
        return {};
    return {offered.arguments()[0].toString(), offered.arguments()[1].toString()};
}

TEST_F(DirectCalls, GoWithTheirCallerAndLeaveTheOthersServed) {
    offer();
    const auto staying = host::connectToHost(bus.connect("staying"));
    const QString stayingName = bus.connect("staying").baseService();
    QString leavingName;
    {
        const QDBusConnection leaving = bus.connect("leaving");
        leavingName = leaving.baseService();
        const auto [address, token] = offerTo(leaving);
        const QDBusConnection peer = QDBusConnection::connectToPeer(address, "leaving-direct");
        ASSERT_EQ(hello(peer, leavingName, token).type(), QDBusMessage::ReplyMessage);
    }
    ASSERT_TRUE(staying->callsDirect());
    ASSERT_EQ(connectedCallers(), 2u);

    // The name leaving the bus takes its direct connection along.
    bus.disconnect("leaving");
    ASSERT_TRUE(eventually([&] { return connectedCallers() == 1; }));
    EXPECT_TRUE(eventually([] {
        return !QDBusConnection("leaving-direct").isConnected();
    }));
    QDBusConnection::disconnectFromPeer("leaving-direct");
    EXPECT_EQ(staying->Invoke("Echo", {int32_t{7}}), Variant(int32_t{7}));

    // A program that closes its direct connection, on the bus or not, is gone
    // for the host.
    const_cast<std::unique_ptr<host::DBusAutomationObject>&>(staying).reset();
    ASSERT_TRUE(eventually([&] { return goneCallers().contains(stayingName); }));
    EXPECT_EQ(connectedCallers(), 0u);
    EXPECT_FALSE(goneCallers().contains(leavingName)) << "a bus departure is the bus's to tell";
}

TEST_F(DirectCalls, ARefusedHelloLeavesTheConnectionWithoutCalls) {
    offer();
    const QDBusConnection victim = bus.connect("victim");
    const auto victimObject = host::connectToHost(victim);
    const QDBusConnection claimer = bus.connect("claimer");
    const auto [address, token] = offerTo(claimer);
    ASSERT_FALSE(token.isEmpty());

    // Its own token does not make it someone else.
    const QDBusConnection impostor = QDBusConnection::connectToPeer(address, "impostor");
    ASSERT_TRUE(impostor.isConnected()) << impostor.lastError().message().toStdString();
    const QDBusMessage refused = hello(impostor, victim.baseService(), token);
    EXPECT_EQ(refused.errorName(), host::dbus::kRefusedError);
    EXPECT_TRUE(refused.errorMessage().contains(victim.baseService()))
        << refused.errorMessage().toStdString();
    const QDBusMessage call = host::dbus::invokeCall(
        host::ObjectRef{victim.baseService(), QString(host::dbus::kHostPath), nullptr}, "Echo",
        {int32_t{1}});
    EXPECT_EQ(impostor.call(call, QDBus::Block, 5000).type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(connectedCallers(), 1u);
    QDBusConnection::disconnectFromPeer("impostor");

    // The same token under its own name is taken.
    const QDBusConnection honest = QDBusConnection::connectToPeer(address, "honest");
    EXPECT_EQ(hello(honest, claimer.baseService(), token).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(connectedCallers(), 2u);
    // A token is good for one connection only.
    const QDBusConnection again = QDBusConnection::connectToPeer(address, "again");
    EXPECT_EQ(hello(again, claimer.baseService(), token).errorName(), host::dbus::kRefusedError);
    QDBusConnection::disconnectFromPeer("honest");
    QDBusConnection::disconnectFromPeer("again");
}

} // namespace

namespace {

// The server's bounds, small enough to reach.
class DirectServerBounds : public ::testing::Test {
protected:
    void SetUp() override {
        server.run([this] {
            adaptor = std::make_unique<host::dbus::InvokeAdaptor>(served, SIZE_MAX,
                                                                  server.connection());
            direct = std::make_unique<host::dbus::DirectServer>(
                *adaptor,
                host::dbus::DirectLimits{2, 1, std::chrono::milliseconds(300), 64u << 10});
            address = direct->address();
        });
    }
    void TearDown() override {
        server.run([this] {
            direct.reset();
            adaptor.reset();
        });
    }
    // A token as Open from `busName` would get it.
    QString tokenFor(const QString& busName) {
        QString token;
        server.run([&] {
            const QDBusMessage open = QDBusMessage::createMethodCall(
                busName, QString(host::dbus::kHostPath), host::dbus::kDirectInterface,
                host::dbus::kOpenMethod);
            token = direct->answerOpen(open).arguments().value(1).toString();
        });
        return token;
    }

    tests::PrivateBus bus;
    CallerRecorder served;
    tests::BusServerThread server{bus, QStringLiteral("host")};
    std::unique_ptr<host::dbus::InvokeAdaptor> adaptor;
    std::unique_ptr<host::dbus::DirectServer> direct;
    QString address;
};

TEST_F(DirectServerBounds, KeepAHostilePeerToItsShare) {
    // Silent past the time for a Hello: closed.
    const QDBusConnection silent = QDBusConnection::connectToPeer(address, "silent");
    ASSERT_TRUE(silent.isConnected());
    EXPECT_TRUE(eventually([] { return !QDBusConnection("silent").isConnected(); }));
    QDBusConnection::disconnectFromPeer("silent");

    const QDBusConnection first = QDBusConnection::connectToPeer(address, "first");
    const QDBusConnection second = QDBusConnection::connectToPeer(address, "second");
    const QDBusConnection third = QDBusConnection::connectToPeer(address, "third");
    // Past the total, closed at once (its connecting may still have passed).
    EXPECT_TRUE(eventually([] { return !QDBusConnection("third").isConnected(); }));

    const QString name = QStringLiteral(":1.99");
    EXPECT_EQ(hello(first, name, tokenFor(name)).type(), QDBusMessage::ReplyMessage);
    const QDBusMessage refused = hello(second, name, tokenFor(name));
    EXPECT_EQ(refused.errorName(), host::dbus::kRefusedError);
    EXPECT_TRUE(refused.errorMessage().contains("already has 1 direct connections"))
        << refused.errorMessage().toStdString();
    // The proved connection stays, and its calls are the name's.
    EXPECT_TRUE(first.isConnected());
    const QDBusMessage reply = first.call(host::dbus::invokeCall(
        host::ObjectRef{name, QString(host::dbus::kHostPath), nullptr}, "Echo", {int32_t{3}}));
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(served.lastCaller(), name);
    for (const char* peer : {"first", "second", "third"})
        QDBusConnection::disconnectFromPeer(peer);
}

TEST_F(DirectServerBounds, CloseAConnectionThatLeavesItsAnswersUnread) {
    const QString name = QStringLiteral(":1.98");
    tests::RawBusClient flooder(address, tests::DirectGreeting{name, tokenFor(name)});
    std::size_t peers = 0;
    server.run([&] { peers = direct->connectedCallers(); });
    ASSERT_EQ(peers, 1u);

    // Far more answers than the socket and the bound hold together.
    try {
        for (int batch = 0; batch < 20; ++batch)
            flooder.sendInvokes(name, QString(host::dbus::kHostPath), "Echo", 5000);
    } catch (const tests::RawBusClientError&) {
        // Closed under the flood: what is asked for.
    }
    EXPECT_TRUE(eventually([&] {
        server.run([&] { peers = direct->connectedCallers(); });
        return peers == 0;
    }));
}

} // namespace
