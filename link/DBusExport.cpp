#include "link/DBusExport.h"

#include "link/AutomationInterface.h"
#include "link/BusDepartures.h"
#include "link/DBusMessages.h"
#include "link/DBusWire.h"
#include "link/PeerMemory.h"
#include "link/ReplyWait.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <algorithm>
#include <deque>
#include <exception>
#include <map>
#include <utility>

namespace host {

namespace dbus {

// Receives the Invoke calls of one exported object. QtDBus delivers each call
// to the thread this QObject lives on, which is the thread that exported it.
// It keeps the memory files of each caller until the caller leaves the bus.
// A call that arrives while that thread waits for the answer to a call of
// its own is answered once the wait is over, in the order calls came, so
// that the object's handlers never run in the middle of another.
class InvokeAdaptor final : public QDBusVirtualObject {
public:
    ~InvokeAdaptor() override {
        for (const auto& [message, connection] : held_)
            if (message.isReplyRequired())
                QDBusConnection(connection)
                    .send(message.createErrorReply(
                        QDBusError::UnknownObject,
                        QStringLiteral("the object at %1 was withdrawn before it could "
                                       "answer")
                            .arg(message.path())));
    }

    // BusWatchError when the bus will not tell of callers leaving.
    InvokeAdaptor(AutomationObject& object, std::size_t maxByteArrayBytes,
                  const QDBusConnection& connection)
        : object_(object), maxByteArrayBytes_(maxByteArrayBytes), departures_(connection, this) {
        connect(&departures_, &BusDepartures::departed, this,
                [this](const QString& name) { peers_.erase(name); });
    }

    // Word for word the description installed for callers, so that the two
    // cannot differ.
    QString introspect(const QString&) const override {
        return QString::fromUtf8(kInterfaceDescription);
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        // Other interfaces (introspection, peer) are left to QtDBus.
        const bool ours = message.interface() == kInterface ||
                          (message.interface().isEmpty() && message.member() == kMethod);
        if (!ours)
            return false;
        if (waitingForAnswer() || !held_.empty()) {
            hold(message, connection);
            return true;
        }
        respond(message, connection);
        return true;
    }

private:
    void hold(const QDBusMessage& message, const QDBusConnection& connection) {
        held_.emplace_back(message, connection);
        if (!answerHeldLater_) {
            answerHeldLater_ = true;
            afterWaits(this, [this] { answerHeld(); });
        }
    }

    void answerHeld() {
        answerHeldLater_ = false;
        while (!held_.empty()) {
            // A held call's handler may itself wait; the rest wait with it.
            if (waitingForAnswer()) {
                answerHeldLater_ = true;
                afterWaits(this, [this] { answerHeld(); });
                return;
            }
            const auto [message, connection] = std::move(held_.front());
            held_.pop_front();
            respond(message, connection);
        }
    }

    void respond(const QDBusMessage& message, const QDBusConnection& connection) {
        const QDBusMessage answer =
            message.member() == kMethod
                ? answerTo(message)
                : message.createErrorReply(QDBusError::UnknownMethod,
                                           QStringLiteral("%1 has no method %2, only %3")
                                               .arg(kInterface, message.member(), kMethod));
        if (message.isReplyRequired() && !connection.send(answer))
            connection.send(message.createErrorReply(
                kFailedError, QStringLiteral("the answer could not be sent (%1)")
                                  .arg(connection.lastError().message())));
    }

    QDBusMessage answerTo(const QDBusMessage& message) {
        const QString caller = message.service();
        ReceivedCall call;
        try {
            call = receiveCall(message);
        } catch (const WireError& error) {
            return message.createErrorReply(QDBusError::InvalidArgs,
                                            QString::fromUtf8(error.what()));
        }
        // Answered or refused, the caller's memory files are done with
        // before the answer leaves.
        struct MarkTaken {
            const ReceivedCall& call;
            ~MarkTaken() { markMemoryTaken(call); }
        } done{call};
        // A call is settled as far as it can be before its arguments are
        // read, and then read only as far as the object takes it.
        std::vector<Variant> args;
        Variant result;
        try {
            const CallAdmission admission =
                object_.admit(caller, call.method, static_cast<std::size_t>(call.values.size()));
            try {
                args =
                    readArguments(call, std::min(admission.maxByteArrayBytes, maxByteArrayBytes_),
                                  &peers_[caller].incoming);
            } catch (const WireError& error) {
                return message.createErrorReply(QDBusError::InvalidArgs,
                                                QString::fromUtf8(error.what()));
            }
            result = object_.InvokeFrom(caller, call.method, args);
        } catch (const HostCallError& error) {
            // The caller names the method itself; repeat it only when the
            // failure is about another one. Only the object's own lack of the
            // operation called is answered as such: one missing further down
            // is this call's failure.
            const bool sameMethod = error.method().compare(call.method, Qt::CaseInsensitive) == 0;
            const bool unknown = dynamic_cast<const UnknownOperationError*>(&error) != nullptr;
            return message.createErrorReply(
                sameMethod && unknown ? kUnknownOperationError : kFailedError,
                sameMethod ? error.reason() : QString::fromUtf8(error.what()));
        } catch (const std::exception& error) {
            return message.createErrorReply(kFailedError, QString::fromUtf8(error.what()));
        } catch (...) {
            return message.createErrorReply(kFailedError,
                                            QStringLiteral("the call failed with an exception "
                                                           "of unknown type"));
        }
        // Looked up again: a caller that left while the call ran gets a
        // one-off file, and nothing is kept for it.
        const auto peer = peers_.find(caller);
        try {
            return replyTo(message, result,
                           peer != peers_.end() ? &peer->second.outgoing : nullptr);
        } catch (const WireError& error) {
            return message.createErrorReply(kFailedError,
                                            QStringLiteral("the result could not be sent: %1")
                                                .arg(QString::fromUtf8(error.what())));
        }
    }

    AutomationObject& object_;
    std::size_t maxByteArrayBytes_;
    BusDepartures departures_;
    std::map<QString, PeerMemory> peers_;
    std::deque<std::pair<QDBusMessage, QDBusConnection>> held_;
    bool answerHeldLater_ = false;
};

} // namespace dbus

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

ServedHostObject::ServedHostObject(const QDBusConnection& connection, AutomationObject& host)
    : connection_(connection), export_(exportObject(connection, host, QString(dbus::kHostPath))) {
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

ServedHostObject::~ServedHostObject() {
    connection_.unregisterService(dbus::kHostService);
}

} // namespace host
