#include "link/BusLossWatch.h"

#include <utility>

namespace host {

namespace {

// libdbus itself sends this signal to the connection when it closes.
constexpr QLatin1StringView kLocalPath{"/org/freedesktop/DBus/Local"};
constexpr QLatin1StringView kLocalInterface{"org.freedesktop.DBus.Local"};
constexpr QLatin1StringView kDisconnected{"Disconnected"};

// The bus daemon tells an owner that it no longer owns a name.
constexpr QLatin1StringView kBusService{"org.freedesktop.DBus"};
constexpr QLatin1StringView kBusPath{"/org/freedesktop/DBus"};
constexpr QLatin1StringView kBusInterface{"org.freedesktop.DBus"};
constexpr QLatin1StringView kNameLost{"NameLost"};

} // namespace

BusLossWatch::BusLossWatch(QDBusConnection connection, QString ownedName, QObject* parent)
    : QObject(parent), connection_(std::move(connection)), ownedName_(std::move(ownedName)) {
    connection_.connect(QString(), kLocalPath, kLocalInterface, kDisconnected, this,
                        SLOT(connectionClosed()));
    if (!ownedName_.isEmpty())
        connection_.connect(kBusService, kBusPath, kBusInterface, kNameLost, this,
                            SLOT(nameLost(QString)));
    if (!connection_.isConnected())
        QMetaObject::invokeMethod(this, &BusLossWatch::connectionClosed, Qt::QueuedConnection);
}

BusLossWatch::~BusLossWatch() {
    connection_.disconnect(QString(), kLocalPath, kLocalInterface, kDisconnected, this,
                           SLOT(connectionClosed()));
    if (!ownedName_.isEmpty())
        connection_.disconnect(kBusService, kBusPath, kBusInterface, kNameLost, this,
                               SLOT(nameLost(QString)));
}

void BusLossWatch::connectionClosed() {
    // The connection's last error may belong to an earlier call, so it is
    // not offered as the cause.
    report(QStringLiteral("the connection to the bus closed (the bus daemon ended, or dropped "
                          "this program)"));
}

void BusLossWatch::nameLost(const QString& name) {
    if (name == ownedName_)
        report(QStringLiteral("the bus took the name %1 from this program").arg(name));
}

void BusLossWatch::report(const QString& reason) {
    if (reported_)
        return;
    reported_ = true;
    emit lost(reason);
}

} // namespace host
