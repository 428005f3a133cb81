#pragma once

#include "automation/Variant.h"
#include "link/DBusWire.h"

#include <QDBusMessage>
#include <QString>
#include <vector>

// The messages of the automation link (see DBusWire.h for their format): the
// Invoke call, its reply, and what a failed call's error reply means.
namespace host::dbus {

// An Invoke call of `method` on `target`, its byte arrays in files lent by
// `lender` (one-off files without one); WireError for an argument that cannot
// cross.
QDBusMessage invokeCall(const ObjectRef& target, const QString& method,
                        const std::vector<Variant>& args, OutgoingMemory* lender = nullptr);

// A received Invoke call whose arguments are not read yet, so that the
// receiver can refuse the call, or limit what it reads, first.
struct ReceivedCall {
    QString method;
    WireValues values;
};
// WireError for a call of the wrong signature or of more than kMaxArguments
// values.
ReceivedCall receiveCall(const QDBusMessage& call);
// Marks every memory file the call carried taken (markTaken), whether its
// arguments were read or not: done before the call is answered, so that the
// caller may write its files again as soon as the answer is there.
void markMemoryTaken(const ReceivedCall& call) noexcept;
// The call's arguments, byte arrays read through the caller's `mappings` as
// `reading` says; WireError naming the argument that cannot be read, among
// them a byte array larger than `maxByteArrayBytes`.
std::vector<Variant> readArguments(const ReceivedCall& call, std::size_t maxByteArrayBytes,
                                   IncomingMemory* mappings = nullptr,
                                   ByteArrayReading reading = ByteArrayReading::CopiedOut);

// The reply to `call` carrying `result`, in a file lent by `lender`; WireError
// for a result that cannot cross.
QDBusMessage replyTo(const QDBusMessage& call, const Variant& result,
                     OutgoingMemory* lender = nullptr);
// The result an Invoke reply carries, read through the peer's `mappings` as
// `reading` says; WireError for a malformed reply.
Variant resultOf(const QDBusMessage& reply, IncomingMemory* mappings = nullptr,
                 ByteArrayReading reading = ByteArrayReading::CopiedOut);

// Who `target` is, in words: "the host" for the host object, else "the
// owner of <path>".
QString peerName(const ObjectRef& target);
// Why a call of `target` failed when its caller gave up waiting for the
// answer after `waitedMs`: "the host did not answer ...".
QString unansweredReason(const ObjectRef& target, qint64 waitedMs);

// How a call went: through the bus, or over a direct connection to its
// target, whose closing means the target is gone.
enum class Route { Bus, Direct };

// Why a call of `target` failed, in words, from its error reply. A call that
// went unanswered for the whole call timeout timed out; one that ended sooner
// without a reply lost its peer.
QString failureReason(const QDBusMessage& error, const ObjectRef& target, qint64 elapsedMs,
                      Route route = Route::Bus);

} // namespace host::dbus
