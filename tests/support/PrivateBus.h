#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>

namespace tests {

class PrivateBusError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A D-Bus daemon of its own for a test or a benchmark, never the user's
// session bus: started in the constructor (PrivateBusError when it cannot
// be), killed in the destructor after the connections made through it are
// dropped. Must be created and destroyed on one thread.
class PrivateBus {
public:
    PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus();

    const QString& address() const { return address_; }
    // The daemon's process id, for looking at what it holds.
    qint64 daemonProcessId() const { return daemon_->processId(); }

    // A connection to this bus, one per name; the same name gives the same
    // connection until it is dropped. PrivateBusError when it cannot connect.
    QDBusConnection connect(const QString& name);
    // Drops the named connection: once no copy of it is left, its peers see
    // it leave the bus.
    void disconnect(const QString& name);

    // Kills the daemon as a crash would: every connection through it closes
    // at once. Nothing can connect afterwards.
    void killDaemon();

    // The environment for a child process whose session bus is this one,
    // and whose state folder (where a host keeps its recovery folders) is
    // stateFolder(), removed with the bus.
    QProcessEnvironment environment() const;
    QString stateFolder() const;

private:
    QString connectionName(const QString& name) const;

    QTemporaryDir folder_;
    std::unique_ptr<QProcess> daemon_;
    QString address_;
    QStringList connections_;
};

} // namespace tests
