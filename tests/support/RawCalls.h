#pragma once

#include "link/DBusWire.h"
#include "link/SharedMemory.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

// Calls as a hostile peer builds them, bypassing every check the link makes
// on the way out: byte arrays backed by sparse memory files that cost the
// sender nothing, any number of dimensions or values.
namespace tests {

// A memory file of `size` bytes that are never written (so none of it is
// backed by memory), sealed as the link expects.
host::UniqueFd sparseSealedMemory(std::size_t size);

// A byte array value with these bounds over `memory`, which it takes over.
host::dbus::WireValue rawByteArray(const std::vector<host::dbus::WireDimension>& bounds,
                                   host::UniqueFd memory);

// Sends Invoke(method, values) to `target` and waits for the answer.
QDBusMessage rawInvoke(const QDBusConnection& connection, const host::ObjectRef& target,
                       const QString& method, const host::dbus::WireValues& values);

// A copy of the descriptor of the memory file an Invoke reply's byte array
// came in (std::runtime_error when the reply carries none), marked taken as
// the link's own receivers mark it, so that holding the copy does not keep
// the sender from reusing the file.
host::UniqueFd memoryFileOf(const QDBusMessage& reply);

// How many of a process's mappings are of memory files the link lends: its
// own, and those lent to it.
int lentMemoryMappings(qint64 processId);

// The resident memory of a process, from /proc/<pid>/statm (0 for this one).
std::size_t residentBytes(qint64 processId = 0);

} // namespace tests
