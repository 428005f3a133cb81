#include "link/DBusAutomationObject.h"

#include "link/DBusMessages.h"
#include "link/DBusWire.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <utility>

namespace host {

namespace {

QString textOf(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

// The unique name of the well-known name's owner, asked of the bus daemon.
QString ownerOfHostName(const QDBusConnection& bus) {
    QDBusMessage question = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner"));
    question << QString(dbus::kHostService);
    const QDBusMessage answer = bus.call(question, QDBus::Block);
    if (answer.type() == QDBusMessage::ReplyMessage && answer.arguments().size() == 1 &&
        !answer.arguments().front().toString().isEmpty())
        return answer.arguments().front().toString();
    if (answer.type() == QDBusMessage::ErrorMessage &&
        answer.errorName() == QLatin1StringView("org.freedesktop.DBus.Error.NameHasNoOwner"))
        throw HostUnavailableError(QStringLiteral("No host is running: nobody owns %1 on the "
                                                  "session bus")
                                       .arg(dbus::kHostService)
                                       .toStdString());
    throw HostUnavailableError(
        QStringLiteral("No host can be reached: asking the bus who owns "
                       "%1 failed (%2: %3)")
            .arg(dbus::kHostService, answer.errorName(), answer.errorMessage())
            .toStdString());
}

} // namespace

DBusAutomationObject::DBusAutomationObject(QDBusConnection connection, ObjectRef target,
                                           CallPatience patience)
    : connection_(std::move(connection)), target_(std::move(target)), patience_(patience) {
    target_.local = nullptr;
    dbus::registerWireTypes();
}

DBusAutomationObject::DBusAutomationObject(QDBusConnection connection, ObjectRef target,
                                           CallPatience patience, dbus::DirectAttempt direct)
    : DBusAutomationObject(std::move(connection), std::move(target), patience) {
    direct_ = std::move(direct.connection);
    directFallbackReason_ = std::move(direct.fallbackReason);
}

Variant DBusAutomationObject::Invoke(const QString& method, const std::vector<Variant>& args) {
    return invokeReading(method, args, dbus::ByteArrayReading::CopiedOut);
}

Variant DBusAutomationObject::InvokeBorrowing(const QString& method,
                                              const std::vector<Variant>& args) {
    return invokeReading(method, args, dbus::ByteArrayReading::Borrowed);
}

Variant DBusAutomationObject::invokeReading(const QString& method, const std::vector<Variant>& args,
                                            dbus::ByteArrayReading reading) {
    refuseWhileAbandoned(method);
    const QDBusMessage call = callMessage(method, args);
    return readOutcome(
        dbus::callAndWait(callConnection(), call, method, dbus::peerName(target_), patience_),
        method, reading);
}

class DBusAutomationObject::PendingAnswer final : public SentCall {
public:
    PendingAnswer(DBusAutomationObject& owner, QString method, dbus::ByteArrayReading reading,
                  const QDBusMessage& call)
        : owner_(owner), method_(std::move(method)), reading_(reading) {
        sentAt_.start();
        pending_ = dbus::sendCall(owner_.callConnection(), call);
    }

    Variant answer() override {
        // A call sent before one that was given up waits behind it.
        if (!pending_.isFinished())
            owner_.refuseWhileAbandoned(method_);
        return owner_.readOutcome(dbus::waitForAnswer(pending_, sentAt_, method_,
                                                      dbus::peerName(owner_.target_),
                                                      owner_.patience_),
                                  method_, reading_);
    }

private:
    DBusAutomationObject& owner_;
    QString method_;
    dbus::ByteArrayReading reading_;
    QElapsedTimer sentAt_;
    QDBusPendingCall pending_ = QDBusPendingCall::fromCompletedCall(QDBusMessage());
};

std::unique_ptr<SentCall>
DBusAutomationObject::Send(const QString& method, const std::vector<Variant>& args, ResultUse use) {
    refuseWhileAbandoned(method);
    return std::make_unique<PendingAnswer>(*this, method,
                                           use == ResultUse::CopiedOnce
                                               ? dbus::ByteArrayReading::Borrowed
                                               : dbus::ByteArrayReading::CopiedOut,
                                           callMessage(method, args));
}

void DBusAutomationObject::refuseWhileAbandoned(const QString& method) const {
    if (!abandoned_.isFinished())
        throw HostCallError(
            method, QStringLiteral("%1 (%2 is still unanswered)")
                        .arg(dbus::unansweredReason(target_, abandonedAfterMs_), abandonedMethod_));
}

QDBusMessage DBusAutomationObject::callMessage(const QString& method,
                                               const std::vector<Variant>& args) {
    try {
        return dbus::invokeCall(target_, method, args, &memory_.outgoing);
    } catch (const dbus::WireError& error) {
        throw HostCallError(method, textOf(error));
    }
}

const QDBusConnection& DBusAutomationObject::callConnection() const {
    return direct_ ? direct_->connection() : connection_;
}

Variant DBusAutomationObject::readOutcome(const dbus::WaitOutcome& outcome, const QString& method,
                                          dbus::ByteArrayReading reading) {
    if (outcome.givenUp) {
        abandoned_ = outcome.abandoned;
        abandonedMethod_ = method;
        abandonedAfterMs_ = outcome.waitedMs;
        throw HostCallError(method, dbus::unansweredReason(target_, outcome.waitedMs));
    }
    const QDBusMessage& reply = outcome.reply;
    if (reply.type() == QDBusMessage::ErrorMessage &&
        reply.errorName() == dbus::kUnknownOperationError)
        throw UnknownOperationError(method, reply.errorMessage());
    if (reply.type() == QDBusMessage::ErrorMessage)
        throw HostCallError(method,
                            dbus::failureReason(reply, target_, outcome.waitedMs,
                                                direct_ ? dbus::Route::Direct : dbus::Route::Bus));
    if (reply.type() != QDBusMessage::ReplyMessage)
        throw HostCallError(method, QStringLiteral("no reply came back"));
    try {
        return dbus::resultOf(reply, &memory_.incoming, reading);
    } catch (const dbus::WireError& error) {
        throw HostCallError(method,
                            QStringLiteral("the reply could not be read: %1").arg(textOf(error)));
    }
}

std::unique_ptr<DBusAutomationObject> connectToHost(CallPatience patience) {
    return connectToHost(QDBusConnection::sessionBus(), patience);
}

std::unique_ptr<DBusAutomationObject> connectToHost(const QDBusConnection& bus,
                                                    CallPatience patience) {
    if (!bus.isConnected())
        throw HostUnavailableError(QStringLiteral("No host can be reached: the session bus is not "
                                                  "connected (%1)")
                                       .arg(bus.lastError().message())
                                       .toStdString());
    const QString owner = ownerOfHostName(bus);
    return std::make_unique<DBusAutomationObject>(
        bus, ObjectRef{owner, QString(dbus::kHostPath), nullptr}, patience,
        dbus::openDirectConnection(bus, owner));
}

} // namespace host
