#include "link/DirectConnection.h"

#include "link/DBusWire.h"

#include <QDBusError>
#include <QDBusMessage>
#include <atomic>
#include <utility>

namespace host::dbus {

namespace {

// Asked once, when a program connects; a host that takes longer to say where
// it listens is served through the bus.
constexpr int kSetUpTimeoutMs = 2000;

QString uniqueConnectionName() {
    static std::atomic<int> last{0};
    return QStringLiteral("tallowick-direct-%1").arg(++last);
}

QString errorText(const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ErrorMessage)
        return QStringLiteral("%1: %2").arg(reply.errorName(), reply.errorMessage());
    return QStringLiteral("an answer of signature '%1'").arg(reply.signature());
}

} // namespace

DirectConnection::DirectConnection(QDBusConnection connection)
    : connection_(std::move(connection)) {}

DirectConnection::~DirectConnection() {
    QDBusConnection::disconnectFromPeer(connection_.name());
}

DirectAttempt openDirectConnection(const QDBusConnection& bus, const QString& hostOwner) {
    const QDBusMessage offer = bus.call(
        QDBusMessage::createMethodCall(hostOwner, QString(kHostPath), kDirectInterface,
                                       kOpenMethod),
        QDBus::Block, kSetUpTimeoutMs);
    const QList<QVariant> given = offer.arguments();
    if (offer.type() != QDBusMessage::ReplyMessage || offer.signature() != QLatin1String("ss"))
        return {nullptr, QStringLiteral("the host offers no direct connection (%1)")
                             .arg(errorText(offer))};
    const QString address = given[0].toString();
    const QString name = uniqueConnectionName();
    auto direct =
        std::make_unique<DirectConnection>(QDBusConnection::connectToPeer(address, name));
    const QDBusConnection& peer = direct->connection();
    if (!peer.isConnected())
        return {nullptr, QStringLiteral("the direct connection to %1 failed (%2)")
                             .arg(address, peer.lastError().message())};
    QDBusMessage hello = QDBusMessage::createMethodCall(QString(), QString(kHostPath),
                                                        kDirectInterface, kHelloMethod);
    hello << bus.baseService() << given[1].toString();
    const QDBusMessage welcome = peer.call(hello, QDBus::Block, kSetUpTimeoutMs);
    if (welcome.type() != QDBusMessage::ReplyMessage)
        return {nullptr, QStringLiteral("the host refused the direct connection (%1)")
                             .arg(errorText(welcome))};
    return {std::move(direct), QString()};
}

} // namespace host::dbus
