#include "link/DBusExport.h"

#include "link/BusDepartures.h"
#include "link/DBusWire.h"
#include "link/DirectServer.h"
#include "link/InvokeAdaptor.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <cstdio>
#include <utility>

namespace host {


ObjectExport::ObjectExport(QDBusConnection connection, std::unique_ptr<dbus::InvokeAdaptor> adaptor,
                           ObjectRef reference)
    : connection_(std::move(connection)), adaptor_(std::move(adaptor)),
      reference_(std::move(reference)) {}

ObjectExport::ObjectExport(ObjectExport&& other) noexcept
    : connection_(other.connection_), adaptor_(std::move(other.adaptor_)),
      reference_(std::move(other.reference_)) {}

ObjectExport& ObjectExport::operator=(ObjectExport&& other) noexcept {
    if (this != &other) {
        remove();
        connection_ = other.connection_;
        adaptor_ = std::move(other.adaptor_);
        reference_ = std::move(other.reference_);
    }
    return *this;
}

ObjectExport::~ObjectExport() {
    remove();
}

void ObjectExport::remove() noexcept {
    if (!adaptor_)
        return;
    // Unregistering first means no new call is routed to the adaptor; calls
    // already queued for it are answered "unknown object" as it is deleted.
    connection_.unregisterObject(reference_.path);
    adaptor_.reset();
}

ObjectExport exportObject(const QDBusConnection& connection, AutomationObject& object,
                          const QString& path, std::size_t maxByteArrayBytes) {
    dbus::registerWireTypes();
    if (!connection.isConnected())
        throw ExportError(QStringLiteral("Cannot export an object at %1: the connection is not "
                                         "connected (%2)")
                              .arg(path, connection.lastError().message())
                              .toStdString());
    std::unique_ptr<dbus::InvokeAdaptor> adaptor;
    try {
        adaptor = std::make_unique<dbus::InvokeAdaptor>(object, maxByteArrayBytes, connection);
    } catch (const BusWatchError& error) {
        throw ExportError(QStringLiteral("Cannot export an object at %1: %2")
                              .arg(path, QString::fromUtf8(error.what()))
                              .toStdString());
    }
    if (!QDBusConnection(connection)
             .registerVirtualObject(path, adaptor.get(), QDBusConnection::SingleNode))
        throw ExportError(QStringLiteral("Cannot export an object at %1 on %2: the path is "
                                         "invalid or already in use")
                              .arg(path, connection.baseService())
                              .toStdString());
    return ObjectExport(connection, std::move(adaptor),
                        ObjectRef{connection.baseService(), path, nullptr});
}

ObjectExport exportWindow(const QDBusConnection& connection, AutomationObject& window, int number) {
    return exportObject(connection, window, QStringLiteral("/windows/%1").arg(number), 0);
}

ServedHostObject::ServedHostObject(const QDBusConnection& connection, AutomationObject& host,
                                   DirectCalls direct)
    : connection_(connection), export_(exportObject(connection, host, QString(dbus::kHostPath))) {
    if (direct == DirectCalls::Offered)
        offerDirectCalls();
    if (connection_.registerService(dbus::kHostService))
        return;
    const QString owner = connection_.interface()->serviceOwner(dbus::kHostService).value();
    throw ExportError(QStringLiteral("Cannot serve the host object: %1 is already owned by %2 "
                                     "(another host is running)")
                          .arg(dbus::kHostService, owner.isEmpty() ? QStringLiteral("another "
                                                                                    "connection")
                                                                   : owner)
                          .toStdString());
}

void ServedHostObject::offerDirectCalls() {
    dbus::InvokeAdaptor& adaptor = *export_.adaptor_;
    try {
        direct_ = std::make_unique<dbus::DirectServer>(adaptor);
    } catch (const dbus::DirectServerError& error) {
        // The bus still carries every call; callers find no offer and use it.
        std::fprintf(stderr, "tallowick: %s; calls go through the bus\n", error.what());
        return;
    }
    adaptor.offerDirectConnections(
        [server = direct_.get()](const QDBusMessage& open) { return server->answerOpen(open); });
    QObject::connect(&adaptor.departures(), &BusDepartures::departed, direct_.get(),
                     &dbus::DirectServer::dropCaller);
}

ServedHostObject::~ServedHostObject() {
    connection_.unregisterService(dbus::kHostService);
    if (direct_)
        export_.adaptor_->offerDirectConnections({});
}

} // namespace host
