#include "link/DirectServer.h"

#include "link/DBusWire.h"
#include "link/InvokeAdaptor.h"

#include <QDBusError>
#include <QDBusServer>
#include <QDBusVirtualObject>
#include <QDir>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <array>
#include <dlfcn.h>
#include <utility>

namespace host::dbus {

namespace {

// Unguessable, so that only the program it was sent to over the bus can use
// it; the bus daemon names the sender of Open, which no program can forge.
QString newToken() {
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(words.data()), sizeof words).toHex());
}

QString listeningAddress() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return QStringLiteral("unix:dir=") + runtime;
    return QStringLiteral("unix:tmpdir=") + QDir::tempPath();
}

QDBusMessage refusal(const QDBusMessage& call, const QString& reason) {
    return call.createErrorReply(kRefusedError, reason);
}

// How many bytes of messages a connection holds that its peer has not read,
// from the D-Bus library under QtDBus, which says it of no connection itself.
using OutgoingSize = long (*)(void* connection);
OutgoingSize outgoingSizeFunction() {
    static const auto function =
        reinterpret_cast<OutgoingSize>(::dlsym(RTLD_DEFAULT, "dbus_connection_get_outgoing_size"));
    return function;
}

std::size_t unreadBytes(const QDBusConnection& connection) {
    void* raw = connection.internalPointer();
    return raw ? static_cast<std::size_t>(std::max(0L, outgoingSizeFunction()(raw))) : 0;
}

} // namespace

// One direct connection, and the object it calls at the host's path: Hello
// first, then the automation calls of the name it proved.
class DirectPeer final : public QDBusVirtualObject {
    Q_OBJECT

public:
    DirectPeer(DirectServer& server, QDBusConnection connection)
        : server_(server), connection_(std::move(connection)) {
        helloTimer_.setSingleShot(true);
        connect(&helloTimer_, &QTimer::timeout, this, [this] { closeLater(); });
    }

    bool start(std::chrono::milliseconds helloTimeout) {
        if (!connection_.registerVirtualObject(QString(kHostPath), this,
                                               QDBusConnection::SingleNode))
            return false;
        connection_.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                            QStringLiteral("org.freedesktop.DBus.Local"),
                            QStringLiteral("Disconnected"), this, SLOT(disconnected()));
        helloTimer_.start(helloTimeout);
        return true;
    }

    ~DirectPeer() override {
        connection_.unregisterObject(QString(kHostPath));
        QDBusConnection::disconnectFromPeer(connection_.name());
    }

    const QString& caller() const { return caller_; }
    const QDBusConnection& connection() const { return connection_; }

    void proved(const QString& caller) {
        caller_ = caller;
        helloTimer_.stop();
    }

    // After the current message is answered, so that a refusal reaches the
    // peer before the connection closes.
    void closeLater() {
        QMetaObject::invokeMethod(
            &server_, [server = &server_, name = connection_.name()] { server->drop(name); },
            Qt::QueuedConnection);
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() == kDirectInterface && message.member() == kHelloMethod) {
            QDBusConnection(connection).send(server_.hello(*this, message));
            return true;
        }
        if (!InvokeAdaptor::isInvoke(message))
            return false;
        if (unreadBytes(connection) > server_.limits_.maxUnreadAnswerBytes) {
            // Answering on would hold ever more of the host's memory for it.
            closeLater();
            return true;
        }
        if (caller_.isEmpty()) {
            QDBusConnection(connection)
                .send(refusal(message, QStringLiteral("a direct connection takes calls only "
                                                      "after its Hello")));
            return true;
        }
        server_.adaptor_.answer(caller_, message, connection);
        return true;
    }

private slots:
    void disconnected() { closeLater(); }

private:
    DirectServer& server_;
    QDBusConnection connection_;
    QString caller_;
    QTimer helloTimer_;
};

DirectServer::DirectServer(InvokeAdaptor& adaptor, DirectLimits limits)
    : adaptor_(adaptor), limits_(limits) {
    if (!outgoingSizeFunction())
        throw DirectServerError(QStringLiteral("cannot offer direct connections: the D-Bus "
                                               "library does not say how much a peer leaves "
                                               "unread (%1)")
                                    .arg(QString::fromLocal8Bit(::dlerror()))
                                    .toStdString());
    const QString address = listeningAddress();
    server_ = std::make_unique<QDBusServer>(address);
    if (!server_->isConnected())
        throw DirectServerError(QStringLiteral("cannot listen for direct connections at %1: %2")
                                    .arg(address, server_->lastError().message())
                                    .toStdString());
    // The default, stated: a peer must prove it is this user, never anonymous.
    server_->setAnonymousAuthenticationAllowed(false);
    connect(server_.get(), &QDBusServer::newConnection, this,
            [this](const QDBusConnection& connection) { accept(connection); });
}

DirectServer::~DirectServer() {
    peers_.clear();
}

QString DirectServer::address() const {
    return server_->address();
}

void DirectServer::accept(const QDBusConnection& connection) {
    auto peer = std::make_unique<DirectPeer>(*this, connection);
    if (peers_.size() >= limits_.maxConnections || !peer->start(limits_.helloTimeout))
        return;
    peers_.emplace(connection.name(), std::move(peer));
}

QDBusMessage DirectServer::answerOpen(const QDBusMessage& open) {
    const QString caller = open.service();
    if (!caller.startsWith(QLatin1Char(':')))
        return refusal(open, QStringLiteral("a direct connection is opened only for a caller "
                                            "with a unique bus name"));
    // The oldest token of a caller that asks over and over gives way.
    std::size_t granted = 0;
    for (auto token = tokens_.begin(); token != tokens_.end();)
        if (token->second == caller && ++granted >= limits_.maxPerCaller)
            token = tokens_.erase(token);
        else
            ++token;
    const QString token = newToken();
    tokens_.emplace(token, caller);
    return open.createReply({address(), token});
}

QDBusMessage DirectServer::hello(DirectPeer& peer, const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() != 2 || arguments[0].metaType() != QMetaType::fromType<QString>() ||
        arguments[1].metaType() != QMetaType::fromType<QString>()) {
        peer.closeLater();
        return refusal(message, QStringLiteral("Hello takes a bus name and a token (D-Bus "
                                               "signature 'ss'), not '%1'")
                                    .arg(message.signature()));
    }
    const QString busName = arguments[0].toString();
    const auto token = tokens_.find(arguments[1].toString());
    QString reason;
    if (!peer.caller().isEmpty())
        reason = QStringLiteral("this connection already speaks for %1").arg(peer.caller());
    else if (token == tokens_.end() || token->second != busName)
        reason = QStringLiteral("the token was not given to %1").arg(busName);
    else if (connectionsOf(busName) >= limits_.maxPerCaller)
        reason = QStringLiteral("%1 already has %2 direct connections")
                     .arg(busName)
                     .arg(limits_.maxPerCaller);
    if (!reason.isEmpty()) {
        peer.closeLater();
        return refusal(message, QStringLiteral("Hello refused: ") + reason);
    }
    tokens_.erase(token);
    peer.proved(busName);
    return message.createReply();
}

void DirectServer::dropCaller(const QString& busName) {
    std::erase_if(tokens_, [&](const auto& token) { return token.second == busName; });
    for (auto peer = peers_.begin(); peer != peers_.end();)
        if (peer->second->caller() == busName)
            peer = peers_.erase(peer);
        else
            ++peer;
}

void DirectServer::drop(const QString& connectionName) {
    const auto peer = peers_.find(connectionName);
    if (peer == peers_.end())
        return;
    const QString caller = peer->second->caller();
    peers_.erase(peer);
    if (caller.isEmpty() || connectionsOf(caller) > 0)
        return;
    adaptor_.forget(caller);
    emit callerGone(caller);
}

std::size_t DirectServer::connectionsOf(const QString& busName) const {
    std::size_t count = 0;
    for (const auto& [name, peer] : peers_)
        count += peer->caller() == busName ? 1 : 0;
    return count;
}

std::size_t DirectServer::connectedCallers() const {
    std::size_t count = 0;
    for (const auto& [name, peer] : peers_)
        count += peer->caller().isEmpty() ? 0 : 1;
    return count;
}

} // namespace host::dbus

#include "DirectServer.moc"
