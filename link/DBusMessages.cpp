#include "link/DBusMessages.h"

#include "link/DBusWire.h"
#include "link/SharedMemory.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMetaType>
#include <optional>

namespace host::dbus {

namespace {

[[noreturn]] void refuse(const QString& reason) {
    throw WireError(reason.toStdString());
}

// Calls that stay within one connection keep their values as they were
// built; calls that crossed the bus arrive marshalled, and are read up to
// one value more than `limit`.
std::optional<WireValues> wireValuesIn(const QVariant& argument, qsizetype limit) {
    if (argument.metaType() == QMetaType::fromType<WireValues>())
        return argument.value<WireValues>();
    if (argument.metaType() != QMetaType::fromType<QDBusArgument>())
        return std::nullopt;
    const auto marshalled = argument.value<QDBusArgument>();
    if (marshalled.currentSignature() != kReplySignature)
        return std::nullopt;
    return readValues(marshalled, limit);
}

QString signatureOf(const QDBusMessage& message) {
    return message.signature().isEmpty()
               ? QStringLiteral("nothing")
               : QLatin1Char('\'') + message.signature() + QLatin1Char('\'');
}

std::vector<Variant> fromWireList(const WireValues& values, const QString& what,
                                  std::size_t maxByteArrayBytes, IncomingMemory* mappings,
                                  ByteArrayReading reading) {
    std::vector<Variant> variants;
    variants.reserve(static_cast<std::size_t>(values.size()));
    for (qsizetype i = 0; i < values.size(); ++i) {
        try {
            variants.push_back(fromWire(values[i], maxByteArrayBytes, mappings, reading));
        } catch (const WireError& error) {
            refuse(QStringLiteral("%1 %2: %3")
                       .arg(what)
                       .arg(i + 1)
                       .arg(QString::fromUtf8(error.what())));
        }
    }
    return variants;
}

} // namespace

QString peerName(const ObjectRef& target) {
    if (target.path == kHostPath)
        return QStringLiteral("the host");
    return QStringLiteral("the owner of %1").arg(target.path);
}

QString unansweredReason(const ObjectRef& target, qint64 waitedMs) {
    // Tenths only where they tell something: 0.2 seconds, 5 seconds.
    const double seconds = static_cast<double>(waitedMs) / 1000.0;
    QString shown = seconds >= 10.0 ? QString::number(qRound64(seconds))
                                    : QString::number(seconds, 'f', 1);
    if (shown.endsWith(QLatin1String(".0")))
        shown.chop(2);
    return QStringLiteral("%1 did not answer: no answer came in %2 seconds, and waiting for it "
                          "was given up")
        .arg(peerName(target), shown);
}

QDBusMessage invokeCall(const ObjectRef& target, const QString& method,
                        const std::vector<Variant>& args, OutgoingMemory* lender) {
    registerWireTypes();
    if (target.service.isEmpty() || target.path.isEmpty())
        refuse(QStringLiteral("The object to call has no bus name or no object path"));
    WireValues values;
    for (std::size_t i = 0; i < args.size(); ++i) {
        try {
            values.append(toWire(args[i], lender));
        } catch (const WireError& error) {
            refuse(
                QStringLiteral("argument %1: %2").arg(i + 1).arg(QString::fromUtf8(error.what())));
        }
    }
    // Made once: every call names them.
    static const QString interface(kInterface);
    static const QString invoke(kMethod);
    QDBusMessage call = QDBusMessage::createMethodCall(target.service, target.path, interface,
                                                       invoke);
    call << method << QVariant::fromValue(values);
    return call;
}

ReceivedCall receiveCall(const QDBusMessage& call) {
    const QList<QVariant> arguments = call.arguments();
    std::optional<WireValues> values;
    if (arguments.size() == 2 && arguments[0].metaType() == QMetaType::fromType<QString>())
        values = wireValuesIn(arguments[1], kMaxArguments);
    if (!values)
        refuse(QStringLiteral("Invoke takes a method name and a list of values (D-Bus signature "
                              "'%1'), not %2")
                   .arg(kCallSignature, signatureOf(call)));
    if (values->size() > kMaxArguments)
        refuse(QStringLiteral("a call carries at most %1 values; this one carries more")
                   .arg(kMaxArguments));
    return ReceivedCall{arguments[0].toString(), std::move(*values)};
}

void markMemoryTaken(const ReceivedCall& call) noexcept {
    for (const WireValue& value : call.values)
        if (value.content.metaType() == QMetaType::fromType<WireByteArray>()) {
            const auto* array = static_cast<const WireByteArray*>(value.content.constData());
            if (array->memory.isValid())
                markTaken(array->memory.fileDescriptor());
        }
}

std::vector<Variant> readArguments(const ReceivedCall& call, std::size_t maxByteArrayBytes,
                                   IncomingMemory* mappings, ByteArrayReading reading) {
    return fromWireList(call.values, QStringLiteral("argument"), maxByteArrayBytes, mappings,
                        reading);
}

QDBusMessage replyTo(const QDBusMessage& call, const Variant& result, OutgoingMemory* lender) {
    WireValues values;
    if (!std::holds_alternative<Empty>(result))
        values.append(toWire(result, lender));
    return call.createReply(QVariant::fromValue(values));
}

Variant resultOf(const QDBusMessage& reply, IncomingMemory* mappings, ByteArrayReading reading) {
    const QList<QVariant> arguments = reply.arguments();
    std::optional<WireValues> values;
    if (arguments.size() == 1)
        values = wireValuesIn(arguments[0], 1);
    if (!values)
        refuse(QStringLiteral("the reply is not a list of values (D-Bus signature '%1') but %2")
                   .arg(kReplySignature, signatureOf(reply)));
    if (values->size() > 1)
        refuse(QStringLiteral("the reply holds more than one value; at most one was expected"));
    std::vector<Variant> result =
        fromWireList(*values, QStringLiteral("result"), SIZE_MAX, mappings, reading);
    if (result.empty())
        return Empty{};
    // Moved, not copied: a result may be a whole plane.
    return std::move(result.front());
}

QString failureReason(const QDBusMessage& error, const ObjectRef& target, qint64 elapsedMs,
                      Route route) {
    const QString name = error.errorName();
    const QString detail = QStringLiteral("%1: %2").arg(name, error.errorMessage());
    if (name == kFailedError || name == kUnknownOperationError)
        return error.errorMessage();
    switch (QDBusError(error).type()) {
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        if (elapsedMs >= kCallTimeoutMs)
            return QStringLiteral("%1 did not answer within %2 minutes (%3)")
                .arg(peerName(target))
                .arg(kCallTimeoutMs / 60000)
                .arg(detail);
        return QStringLiteral("%1 is gone: it left the bus without answering (%2)")
            .arg(peerName(target), detail);
    case QDBusError::ServiceUnknown:
        return QStringLiteral("%1 is gone: nobody owns %2 on the bus any more (%3)")
            .arg(peerName(target), target.service, detail);
    case QDBusError::Disconnected:
        if (route == Route::Direct)
            return QStringLiteral("%1 is gone: its direct connection closed (%2)")
                .arg(peerName(target), detail);
        return QStringLiteral("the connection to the bus is lost (%1)").arg(detail);
    case QDBusError::UnknownObject:
        return QStringLiteral("%1 has no object at %2 (%3)")
            .arg(target.service, target.path, detail);
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
        return QStringLiteral("the object at %1 does not take automation calls (%2)")
            .arg(target.path, detail);
    case QDBusError::InvalidArgs:
        return QStringLiteral("%1 could not read the call (%2)").arg(peerName(target), detail);
    default:
        return detail;
    }
}

} // namespace host::dbus
