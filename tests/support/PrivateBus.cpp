#include "tests/support/PrivateBus.h"

#include <QDBusError>
#include <QFile>
#include <csignal>
#include <sys/prctl.h>

namespace tests {

namespace {

// A session bus that lets every connection own any name and talk to anyone,
// listening on a socket in the bus's own folder, with the limits of the
// user's session bus (/usr/share/dbus-1/session.conf): essentially none on
// what a connection may queue, so that what a program can do to the user's
// bus it can do here.
QByteArray configFor(const QString& folder) {
    return QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                          "Configuration 1.0//EN\" "
                          "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                          "<busconfig>\n"
                          "  <type>session</type>\n"
                          "  <listen>unix:dir=%1</listen>\n"
                          "  <auth>EXTERNAL</auth>\n"
                          "  <policy context=\"default\">\n"
                          "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                          "    <allow eavesdrop=\"true\"/>\n"
                          "    <allow own=\"*\"/>\n"
                          "  </policy>\n"
                          "  <limit name=\"max_incoming_bytes\">1000000000</limit>\n"
                          "  <limit name=\"max_incoming_unix_fds\">250000000</limit>\n"
                          "  <limit name=\"max_outgoing_bytes\">1000000000</limit>\n"
                          "  <limit name=\"max_outgoing_unix_fds\">250000000</limit>\n"
                          "  <limit name=\"max_message_size\">1000000000</limit>\n"
                          "  <limit name=\"pending_fd_timeout\">150000</limit>\n"
                          "  <limit name=\"max_replies_per_connection\">50000</limit>\n"
                          "</busconfig>\n")
        .arg(folder)
        .toUtf8();
}

[[noreturn]] void fail(const QString& reason) {
    throw PrivateBusError(("Private bus: " + reason).toStdString());
}

} // namespace

PrivateBus::PrivateBus() : folder_(QStringLiteral("/tmp/tallowick-bus-XXXXXX")) {
    if (!folder_.isValid())
        fail(QStringLiteral("cannot create a folder for the bus (%1)").arg(folder_.errorString()));
    const QString configPath = folder_.filePath(QStringLiteral("bus.conf"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly) || config.write(configFor(folder_.path())) < 0)
        fail(QStringLiteral("cannot write %1 (%2)").arg(configPath, config.errorString()));
    config.close();

    daemon_ = std::make_unique<QProcess>();
    daemon_->setProgram(QStringLiteral("dbus-daemon"));
    daemon_->setArguments({QStringLiteral("--config-file=") + configPath,
                           QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    // The daemon goes with its parent even if the parent dies without
    // cleaning up.
    daemon_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    daemon_->start();
    if (!daemon_->waitForStarted())
        fail(QStringLiteral("cannot start dbus-daemon (%1)").arg(daemon_->errorString()));
    while (!daemon_->canReadLine()) {
        if (!daemon_->waitForReadyRead())
            fail(QStringLiteral("dbus-daemon printed no address (%1)")
                     .arg(QString::fromLocal8Bit(daemon_->readAllStandardError())));
    }
    address_ = QString::fromUtf8(daemon_->readLine()).trimmed();
    if (address_.isEmpty())
        fail(QStringLiteral("dbus-daemon printed an empty address"));
}

PrivateBus::~PrivateBus() {
    for (const QString& name : connections_)
        QDBusConnection::disconnectFromBus(name);
    killDaemon();
}

QString PrivateBus::connectionName(const QString& name) const {
    // The address is unique to this bus, so equal names on two buses do not
    // meet in QtDBus's table of named connections.
    return name + QLatin1Char('@') + address_;
}

QDBusConnection PrivateBus::connect(const QString& name) {
    const QString fullName = connectionName(name);
    QDBusConnection connection = QDBusConnection::connectToBus(address_, fullName);
    if (!connection.isConnected()) {
        const QString reason = connection.lastError().message();
        QDBusConnection::disconnectFromBus(fullName);
        fail(QStringLiteral("connection \"%1\" failed (%2)").arg(name, reason));
    }
    if (!connections_.contains(fullName))
        connections_.append(fullName);
    return connection;
}

void PrivateBus::disconnect(const QString& name) {
    const QString fullName = connectionName(name);
    QDBusConnection::disconnectFromBus(fullName);
    connections_.removeAll(fullName);
}

void PrivateBus::killDaemon() {
    daemon_->kill();
    daemon_->waitForFinished();
}

QProcessEnvironment PrivateBus::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    environment.insert(QStringLiteral("XDG_STATE_HOME"), stateFolder());
    return environment;
}

QString PrivateBus::stateFolder() const {
    return folder_.filePath(QStringLiteral("state"));
}

} // namespace tests
