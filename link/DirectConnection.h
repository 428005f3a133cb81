#pragma once

#include <QDBusConnection>
#include <QString>
#include <memory>

namespace host::dbus {

// A caller's direct connection to the host (DBusWire.h), closed when this is
// destroyed.
class DirectConnection {
public:
    explicit DirectConnection(QDBusConnection connection);
    DirectConnection(const DirectConnection&) = delete;
    DirectConnection& operator=(const DirectConnection&) = delete;
    ~DirectConnection();

    const QDBusConnection& connection() const { return connection_; }

private:
    QDBusConnection connection_;
};

// A direct connection, or why there is none: then the calls go through the
// bus as before.
struct DirectAttempt {
    std::unique_ptr<DirectConnection> connection;
    QString fallbackReason;
};

// Asks `hostOwner` on `bus` for a direct connection, connects and proves
// this program's bus name to it. Never throws: a host that offers none, an
// address that refuses, a Hello refused, each leaves the bus to carry the
// calls.
DirectAttempt openDirectConnection(const QDBusConnection& bus, const QString& hostOwner);

} // namespace host::dbus
