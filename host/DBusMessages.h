#pragma once

#include "host/Variant.h"

#include <QDBusMessage>
#include <QString>
#include <vector>

// The messages of the automation link (see DBusWire.h for their format): the
// Invoke call, its reply, and what a failed call's error reply means.
namespace host::dbus {

// An Invoke call of `method` on `target`; WireError for an argument that
// cannot cross.
QDBusMessage invokeCall(const ObjectRef& target, const QString& method,
                        const std::vector<Variant>& args);

// A received Invoke call, read: WireError for a call of the wrong signature or
// an argument that cannot be read.
struct ReceivedCall {
    QString method;
    std::vector<Variant> args;
};
ReceivedCall readCall(const QDBusMessage& call);

// The reply to `call` carrying `result`; WireError for a result that cannot
// cross.
QDBusMessage replyTo(const QDBusMessage& call, const Variant& result);
// The result an Invoke reply carries; WireError for a malformed reply.
Variant resultOf(const QDBusMessage& reply);

// Why a call of `target` failed, in words, from its error reply. A call that
// went unanswered for the whole call timeout timed out; one that ended sooner
// without a reply lost its peer.
QString failureReason(const QDBusMessage& error, const ObjectRef& target, qint64 elapsedMs);

} // namespace host::dbus
