#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <stdexcept>

class QDBusServer;

namespace host::dbus {

class InvokeAdaptor;
class DirectPeer;

// The server cannot listen.
class DirectServerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What one hostile program can hold of the server, however it behaves.
struct DirectLimits {
    std::size_t maxConnections = 64;
    std::size_t maxPerCaller = 4;
    std::chrono::milliseconds helloTimeout{5000};
    // Answers the host holds for a connection because its peer does not read
    // them: no bus daemon takes them off the host's hands, so past this a
    // call closes the connection instead of being answered.
    std::size_t maxUnreadAnswerBytes = 16u << 20;
};

// The host's side of the direct connections (the protocol is described at
// the top of DBusWire.h): a peer-to-peer server beside the bus, whose
// connections each speak for the bus name that proved itself in their Hello.
// Calls over them reach `adaptor` with that name, so that what the host keeps
// per program is the same whichever way a call comes. A name's direct
// connections close when the name leaves the bus; when the last of them
// closes, what the adaptor keeps for the name goes and callerGone tells the
// program.
class DirectServer : public QObject {
    Q_OBJECT

public:
    // Listens on a new socket in $XDG_RUNTIME_DIR (or the abstract namespace
    // without one), to which only this user can connect; DirectServerError
    // naming the address when it cannot, or when the answers a peer leaves
    // unread cannot be bounded.
    explicit DirectServer(InvokeAdaptor& adaptor, DirectLimits limits = {});
    ~DirectServer() override;

    QString address() const;
    // The answer to an Open call from the bus: the address and a one-time
    // token for the caller's Hello.
    QDBusMessage answerOpen(const QDBusMessage& open);
    // Closes every direct connection of `busName` and drops its tokens: it
    // left the bus.
    void dropCaller(const QString& busName);
    // Connections that said a valid Hello and are still open.
    std::size_t connectedCallers() const;

signals:
    // The last direct connection of `busName` closed.
    void callerGone(const QString& busName);

private:
    friend class DirectPeer;

    void accept(const QDBusConnection& connection);
    QDBusMessage hello(DirectPeer& peer, const QDBusMessage& message);
    // Closes the connection; the last of its name's takes the name's state.
    void drop(const QString& connectionName);
    std::size_t connectionsOf(const QString& busName) const;

    InvokeAdaptor& adaptor_;
    DirectLimits limits_;
    std::unique_ptr<QDBusServer> server_;
    // By connection name.
    std::map<QString, std::unique_ptr<DirectPeer>> peers_;
    // Token to the bus name it was granted to.
    std::map<QString, QString> tokens_;
};

} // namespace host::dbus
