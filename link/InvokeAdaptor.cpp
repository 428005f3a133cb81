#include "link/InvokeAdaptor.h"

#include "link/AutomationInterface.h"
#include "link/DBusMessages.h"
#include "link/DBusWire.h"
#include "link/ReplyWait.h"

#include <QDBusError>
#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

namespace host::dbus {

InvokeAdaptor::InvokeAdaptor(AutomationObject& object, std::size_t maxByteArrayBytes,
                             const QDBusConnection& connection)
    : object_(object), maxByteArrayBytes_(maxByteArrayBytes), departures_(connection, this) {
    connect(&departures_, &BusDepartures::departed, this,
            [this](const QString& name) { peers_.erase(name); });
}

InvokeAdaptor::~InvokeAdaptor() {
    for (const HeldCall& held : held_)
        if (held.message.isReplyRequired())
            QDBusConnection(held.connection)
                .send(held.message.createErrorReply(
                    QDBusError::UnknownObject,
                    QStringLiteral("the object at %1 was withdrawn before it could answer")
                        .arg(held.message.path())));
}

QString InvokeAdaptor::introspect(const QString&) const {
    return QString::fromUtf8(kInterfaceDescription);
}

bool InvokeAdaptor::isInvoke(const QDBusMessage& message) {
    return message.interface() == kInterface ||
           (message.interface().isEmpty() && message.member() == kMethod);
}

bool InvokeAdaptor::handleMessage(const QDBusMessage& message,
                                  const QDBusConnection& connection) {
    if (opening_ && message.interface() == kDirectInterface) {
        if (message.isReplyRequired())
            QDBusConnection(connection).send(opening_(message));
        return true;
    }
    // Other interfaces (introspection, peer) are left to QtDBus.
    if (!isInvoke(message))
        return false;
    answer(message.service(), message, connection);
    return true;
}

void InvokeAdaptor::answer(const QString& caller, const QDBusMessage& message,
                           const QDBusConnection& connection) {
    if (waitingForAnswer() || !held_.empty()) {
        hold(HeldCall{caller, message, connection});
        return;
    }
    respond(caller, message, connection);
}

void InvokeAdaptor::hold(HeldCall call) {
    held_.push_back(std::move(call));
    if (!answerHeldLater_) {
        answerHeldLater_ = true;
        afterWaits(this, [this] { answerHeld(); });
    }
}

void InvokeAdaptor::answerHeld() {
    answerHeldLater_ = false;
    while (!held_.empty()) {
        // A held call's handler may itself wait; the rest wait with it.
        if (waitingForAnswer()) {
            answerHeldLater_ = true;
            afterWaits(this, [this] { answerHeld(); });
            return;
        }
        const HeldCall call = std::move(held_.front());
        held_.pop_front();
        respond(call.caller, call.message, call.connection);
    }
}

void InvokeAdaptor::respond(const QString& caller, const QDBusMessage& message,
                            const QDBusConnection& connection) {
    const QDBusMessage answer =
        message.member() == kMethod
            ? answerTo(caller, message)
            : message.createErrorReply(QDBusError::UnknownMethod,
                                       QStringLiteral("%1 has no method %2, only %3")
                                           .arg(kInterface, message.member(), kMethod));
    QDBusConnection sender(connection);
    if (message.isReplyRequired() && !sender.send(answer))
        sender.send(message.createErrorReply(kFailedError,
                                             QStringLiteral("the answer could not be sent (%1)")
                                                 .arg(sender.lastError().message())));
}

QDBusMessage InvokeAdaptor::answerTo(const QString& caller, const QDBusMessage& message) {
    ReceivedCall call;
    try {
        call = receiveCall(message);
    } catch (const WireError& error) {
        return message.createErrorReply(QDBusError::InvalidArgs, QString::fromUtf8(error.what()));
    }
    // Answered or refused, the caller's memory files are done with before
    // the answer leaves.
    struct MarkTaken {
        const ReceivedCall& call;
        ~MarkTaken() { markMemoryTaken(call); }
    } done{call};
    // A call is settled as far as it can be before its arguments are read,
    // and then read only as far as the object takes it.
    std::vector<Variant> args;
    Variant result;
    try {
        const CallAdmission admission =
            object_.admit(caller, call.method, static_cast<std::size_t>(call.values.size()));
        try {
            // Byte arrays are left in the caller's files: the object gets
            // them as constants, so it can only read them or copy them into
            // storage of its own, and they go before the answer does.
            args = readArguments(call, std::min(admission.maxByteArrayBytes, maxByteArrayBytes_),
                                 &peers_[caller].incoming, ByteArrayReading::Borrowed);
        } catch (const WireError& error) {
            return message.createErrorReply(QDBusError::InvalidArgs,
                                            QString::fromUtf8(error.what()));
        }
        result = object_.InvokeFrom(caller, call.method, args);
    } catch (const HostCallError& error) {
        // The caller names the method itself; repeat it only when the
        // failure is about another one. Only the object's own lack of the
        // operation called is answered as such: one missing further down is
        // this call's failure.
        const bool sameMethod = error.method().compare(call.method, Qt::CaseInsensitive) == 0;
        const bool unknown = dynamic_cast<const UnknownOperationError*>(&error) != nullptr;
        return message.createErrorReply(sameMethod && unknown ? kUnknownOperationError
                                                              : kFailedError,
                                        sameMethod ? error.reason()
                                                   : QString::fromUtf8(error.what()));
    } catch (const std::exception& error) {
        return message.createErrorReply(kFailedError, QString::fromUtf8(error.what()));
    } catch (...) {
        return message.createErrorReply(kFailedError,
                                        QStringLiteral("the call failed with an exception of "
                                                       "unknown type"));
    }
    // Looked up again: a caller that left while the call ran gets a one-off
    // file, and nothing is kept for it.
    const auto peer = peers_.find(caller);
    try {
        return replyTo(message, result, peer != peers_.end() ? &peer->second.outgoing : nullptr);
    } catch (const WireError& error) {
        return message.createErrorReply(kFailedError,
                                        QStringLiteral("the result could not be sent: %1")
                                            .arg(QString::fromUtf8(error.what())));
    }
}

} // namespace host::dbus
