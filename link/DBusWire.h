#pragma once

#include "automation/Variant.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QLatin1StringView>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <stdexcept>
#include <vector>

// The wire format of the automation link over D-Bus.
//
// What a caller sends and receives (the interface "Tallowick.Automation", its
// one method Invoke(s method, a(yv) arguments) -> a(yv) result, the type tag
// of each value and its variant content, the errors) is written for callers
// in link/Tallowick.Automation.xml, which the package installs and the served
// objects answer Introspect with. The constants and WireTag below follow it.
//
// Direct connections. The bus daemon carrying each message costs a call two
// of its own trips, more than the rest of a call without data, so the host
// also listens on a peer-to-peer socket of its own (DirectServer.h) and its
// callers make their calls there. The messages on it are the same; only
// the way to it and who the caller is are new:
//
//     over the bus, once, when a caller connects: Open() on the interface
//     "Tallowick.Automation.Direct" of the host object -> (s address,
//     s token). The token is new for each Open, unguessable, and given to
//     the caller's unique bus name, which the bus daemon vouches for;
//     on the direct connection, first: Hello(s busName, s token) on the same
//     interface at the host's path, which the host accepts only with the
//     token given to busName, not used before, and with fewer than
//     DirectLimits::maxPerCaller connections of that name open. The
//     connection then speaks for busName: its calls are that caller's calls,
//     with the positions, memory files and departures the bus gives it;
//     calls before a Hello accepted, a second Hello or a refused one get
//     Tallowick.Automation.Error.Refused, and a refused connection is closed.
//
// The socket lies in $XDG_RUNTIME_DIR (the abstract namespace without one)
// and accepts only the host's own user (the EXTERNAL authentication; no
// anonymous peer). A connection that says no Hello within
// DirectLimits::helloTimeout is closed; no more than
// DirectLimits::maxConnections are open at once. No bus daemon takes the
// host's answers off its hands here, so a connection whose peer leaves more
// than DirectLimits::maxUnreadAnswerBytes of them unread is closed at its next
// call instead of being answered. When the bus name leaves
// the bus, its direct connections are closed; when the last of them closes,
// the host drops what it keeps for the name as if it had left. A caller
// that gets no offer, cannot connect or has its Hello refused makes its calls
// through the bus as before, and the host calls the callers' windows through
// the bus whichever way they call it.
//
// Byte arrays cross in shared memory because inline D-Bus arrays are an order
// of magnitude too slow for whole channel planes. Creating a memory file for
// every transfer is still several times slower than copying the bytes, as the
// kernel allocates, clears and frees its pages each time; so each side lends
// a peer files from a pool kept for that peer (OutgoingMemory) and writes the
// next transfer into a file the peer has taken.
//
// Taking a lent file. Every descriptor sent is an open file description of
// its own (the file opened again, read-only, through /proc/self/fd), and the
// sender marks it with an open-file-description read lock (F_OFD_SETLK) of
// the whole file. The mark goes when the receiver takes the file:
//
//     the receiver releases it (markTaken: F_UNLCK on the descriptor) once
//     it has copied the bytes out or refused them; a receiver of calls does
//     so for every file a call carried before it answers the call, so a
//     synchronous caller finds its argument files free again by the time
//     the answer is there;
//     or every copy of the description is closed: a receiver that reads the
//     message and drops it, or a peer that leaves the bus.
//
// Until then every copy is held somewhere: in the sender until the message
// is written, in the bus daemon until the receiver reads the message, in the
// receiver. The sender sees whether any mark on a file is left (F_OFD_GETLK
// from its own description, which holds none) and writes a file again only
// when none is. A file one peer was lent is never lent to another, so no
// program sees bytes another program was sent.
//
// The bound. A peer that never reads its replies would leave every
// descriptor sent to it in the bus daemon, which holds them until the daemon
// itself runs out of descriptors and drops whoever sends next (the host).
// So a side holds back what a peer has not taken: at most kMaxUntakenFiles
// (256) descriptors and kMaxUntakenBytes (1 GiB) of their files per peer
// (PeerMemory.h). Past either bound, a call whose answer would carry a byte
// array fails with Tallowick.Automation.Error.Failed, its reason naming how
// much the peer holds untaken and the bounds; the peer's other calls, and
// every other peer's, are served as usual. A peer that pipelines its calls
// and reads the answers late is served at full speed as long as fewer than
// the bound are in flight: each answer in flight has a file of its own.
//
// What the receiver relies on, since a lent file is not sealed against
// writing: it checks that the descriptor is a memory file sealed against
// shrinking and growing and at least as large as the bounds need, before it
// maps or reads it, so a mapping of it can never fault (IncomingMemory keeps
// one mapping per file, keyed by device and inode, and drops them with the
// peer). It copies the bytes out of the mapping into its own array before
// anything reads them, or, where it reads them once anyway, leaves them in
// the mapping as a borrowed array (ByteArrayReading::Borrowed) that is read
// once, by a plain copy into the receiver's own storage, and dropped: the
// host's arguments, which a call's handler gets as constants and which go
// before the answer, and the planes a retrieval copies into its cells. A
// borrowed array keeps the file's mark, and the mapping, until it is gone,
// so the sender writes the next transfer into another file. A sender that
// writes into the file during the copy can change only the values it sent,
// never the receiver's memory safety nor anything read later: channel bytes
// have no structure to validate, and nothing is read from the mapping twice. Files sealed against writing too
// are one-off files, read without keeping a mapping. A mapping kept does not
// hold the file: the receiver has released the mark of the description it
// was made from.
namespace host {
class OutgoingMemory;
class IncomingMemory;
} // namespace host

namespace host::dbus {

inline constexpr QLatin1StringView kInterface{"Tallowick.Automation"};
inline constexpr QLatin1StringView kMethod{"Invoke"};
inline constexpr QLatin1StringView kFailedError{"Tallowick.Automation.Error.Failed"};
inline constexpr QLatin1StringView kUnknownOperationError{
    "Tallowick.Automation.Error.UnknownOperation"};
inline constexpr QLatin1StringView kCallSignature{"sa(yv)"};
inline constexpr QLatin1StringView kReplySignature{"a(yv)"};
// The host object: the well-known name the running host owns, and its path.
inline constexpr QLatin1StringView kHostService{"Tallowick.Tallowick_Class"};
inline constexpr QLatin1StringView kHostPath{"/Tallowick_Class"};
// The direct connections (see the top of this file): the interface of Open
// (on the bus) and Hello (on the direct connection), and the refusal of either.
inline constexpr QLatin1StringView kDirectInterface{"Tallowick.Automation.Direct"};
inline constexpr QLatin1StringView kOpenMethod{"Open"};
inline constexpr QLatin1StringView kHelloMethod{"Hello"};
inline constexpr QLatin1StringView kRefusedError{"Tallowick.Automation.Error.Refused"};
// A call may legitimately take long (a big allocation in the host); a dead
// peer is reported by the bus daemon at once, so the timeout only guards
// against a peer that hangs.
inline constexpr int kCallTimeoutMs = 5 * 60 * 1000;

// Decoding stops at these, so that neither a received call nor the error about
// it grows with what a peer sends: a byte array has at most three dimensions,
// and a call carries at most a handful of values (the host's methods take up
// to three).
inline constexpr int kMaxDimensions = 3;
inline constexpr int kMaxArguments = 16;

enum class WireTag : uint8_t { Empty, Integer, Long, Double, String, Boolean, ByteArray, Object };

struct WireDimension {
    int32_t lower = 0;
    int32_t count = 0;
};

// Received bounds stop after kMaxDimensions + 1 entries, enough for fromWire
// to refuse them without reading the rest.
struct WireByteArray {
    QList<WireDimension> bounds;
    QDBusUnixFileDescriptor memory;
};

struct WireObjectRef {
    QString service;
    QDBusObjectPath path;
};

// One value as it crosses: the raw tag (so that an unknown one can be named)
// and the variant's content. Received structured content arrives as a
// WireByteArray or WireObjectRef when its D-Bus type is the one above.
struct WireValue {
    uint8_t tag = 0;
    QVariant content;
};

using WireValues = QList<WireValue>;

// A value that cannot be put on the wire or read from it.
class WireError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How QtDBus streams the wire types.
QDBusArgument& operator<<(QDBusArgument& argument, const WireDimension& dimension);
const QDBusArgument& operator>>(const QDBusArgument& argument, WireDimension& dimension);
QDBusArgument& operator<<(QDBusArgument& argument, const WireByteArray& array);
const QDBusArgument& operator>>(const QDBusArgument& argument, WireByteArray& array);
QDBusArgument& operator<<(QDBusArgument& argument, const WireObjectRef& reference);
const QDBusArgument& operator>>(const QDBusArgument& argument, WireObjectRef& reference);
QDBusArgument& operator<<(QDBusArgument& argument, const WireValue& value);
const QDBusArgument& operator>>(const QDBusArgument& argument, WireValue& value);

// Makes the wire types known to QtDBus; every entry point of the link calls
// it, and it may be called any number of times from any thread.
void registerWireTypes();

// A byte array goes in a file `lender` lends the peer, or in a one-off file
// without one. WireError names what cannot cross: a string with a NUL
// character, an object reference without a bus name or with an invalid path,
// shared memory that cannot be created.
WireValue toWire(const Variant& value, OutgoingMemory* lender = nullptr);
// How a received byte array is read: copied out of its file into the
// receiver's own array, or, where the peer's mappings keep the file mapped,
// left there as an array that borrows it (ByteArray::borrowing), for a
// receiver that copies the bytes once into storage of its own and drops the
// array soon: until then the sender's file is held.
enum class ByteArrayReading { CopiedOut, Borrowed };

// A byte array is read through the peer's `mappings`, or as a one-off file
// without them (always copied out then). WireError names what is wrong: an
// unknown tag, content of the wrong type, bounds out of range, shared memory
// too small or not sealed, or a byte array of more than `maxByteArrayBytes`
// bytes, which is refused before any of its memory is read.
Variant fromWire(const WireValue& value, std::size_t maxByteArrayBytes = SIZE_MAX,
                 IncomingMemory* mappings = nullptr,
                 ByteArrayReading reading = ByteArrayReading::CopiedOut);

// Reads a received list of values, stopping after `limit` + 1 of them: the
// caller refuses a list longer than `limit` without it being read whole.
WireValues readValues(const QDBusArgument& list, qsizetype limit);

} // namespace host::dbus

Q_DECLARE_METATYPE(host::dbus::WireDimension)
Q_DECLARE_METATYPE(host::dbus::WireByteArray)
Q_DECLARE_METATYPE(host::dbus::WireObjectRef)
Q_DECLARE_METATYPE(host::dbus::WireValue)
