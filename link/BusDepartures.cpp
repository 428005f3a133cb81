#include "link/BusDepartures.h"

#include <QDBusError>

namespace host {

namespace {

const QString kBusService = QStringLiteral("org.freedesktop.DBus");
const QString kBusPath = QStringLiteral("/org/freedesktop/DBus");
const QString kBusInterface = QStringLiteral("org.freedesktop.DBus");
const QString kOwnerChanged = QStringLiteral("NameOwnerChanged");

} // namespace

BusDepartures::BusDepartures(QDBusConnection connection, QObject* parent)
    : QObject(parent), connection_(std::move(connection)) {
    if (!connection_.connect(kBusService, kBusPath, kBusInterface, kOwnerChanged, this,
                             SLOT(ownerChanged(QString, QString, QString))))
        throw BusWatchError(
            QStringLiteral("cannot follow programs leaving the bus: subscribing "
                           "to %1.%2 failed (%3)")
                .arg(kBusInterface, kOwnerChanged, connection_.lastError().message())
                .toStdString());
}

BusDepartures::~BusDepartures() {
    connection_.disconnect(kBusService, kBusPath, kBusInterface, kOwnerChanged, this,
                           SLOT(ownerChanged(QString, QString, QString)));
}

void BusDepartures::ownerChanged(const QString& name, const QString& oldOwner,
                                 const QString& newOwner) {
    if (!oldOwner.isEmpty() && newOwner.isEmpty())
        emit departed(name);
}

} // namespace host
