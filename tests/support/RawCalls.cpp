#include "tests/support/RawCalls.h"

#include <QDBusArgument>
#include <QFile>
#include <QList>
#include <fcntl.h>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

namespace tests {

host::UniqueFd sparseSealedMemory(std::size_t size) {
    host::UniqueFd fd(::memfd_create("sparse", MFD_ALLOW_SEALING | MFD_CLOEXEC));
    constexpr int kAllSeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL;
    if (!fd.valid() || ::ftruncate(fd.get(), static_cast<off_t>(size)) != 0 ||
        ::fcntl(fd.get(), F_ADD_SEALS, kAllSeals) != 0)
        throw std::runtime_error("cannot make a sparse sealed memory file");
    return fd;
}

host::dbus::WireValue rawByteArray(const std::vector<host::dbus::WireDimension>& bounds,
                                   host::UniqueFd memory) {
    host::dbus::WireByteArray array;
    array.bounds = QList<host::dbus::WireDimension>(bounds.begin(), bounds.end());
    array.memory.giveFileDescriptor(memory.release());
    return host::dbus::WireValue{static_cast<uint8_t>(host::dbus::WireTag::ByteArray),
                                 QVariant::fromValue(array)};
}

QDBusMessage rawInvoke(const QDBusConnection& connection, const host::ObjectRef& target,
                       const QString& method, const host::dbus::WireValues& values) {
    host::dbus::registerWireTypes();
    QDBusMessage call = QDBusMessage::createMethodCall(target.service, target.path,
                                                       host::dbus::kInterface, host::dbus::kMethod);
    call << method << QVariant::fromValue(values);
    return QDBusConnection(connection).call(call, QDBus::Block, 60 * 1000);
}

host::UniqueFd memoryFileOf(const QDBusMessage& reply) {
    host::dbus::registerWireTypes();
    const QList<QVariant> arguments = reply.arguments();
    if (arguments.size() != 1 || arguments[0].metaType() != QMetaType::fromType<QDBusArgument>())
        throw std::runtime_error("the reply carries no list of values: " +
                                 reply.errorMessage().toStdString());
    const host::dbus::WireValues values =
        host::dbus::readValues(arguments[0].value<QDBusArgument>(), 1);
    if (values.size() != 1 ||
        values[0].content.metaType() != QMetaType::fromType<host::dbus::WireByteArray>())
        throw std::runtime_error("the reply carries no byte array");
    const auto array = values[0].content.value<host::dbus::WireByteArray>();
    host::markTaken(array.memory.fileDescriptor());
    return host::UniqueFd(::fcntl(array.memory.fileDescriptor(), F_DUPFD_CLOEXEC, 0));
}

int lentMemoryMappings(qint64 processId) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(processId));
    if (!maps.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + maps.fileName().toStdString());
    return static_cast<int>(maps.readAll().count("memfd:tallowick-lent-memory"));
}

std::size_t residentBytes(qint64 processId) {
    QFile statm(processId == 0 ? QStringLiteral("/proc/self/statm")
                               : QStringLiteral("/proc/%1/statm").arg(processId));
    if (!statm.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + statm.fileName().toStdString());
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        throw std::runtime_error("unexpected contents in " + statm.fileName().toStdString());
    return fields[1].toULongLong() * static_cast<std::size_t>(::sysconf(_SC_PAGE_SIZE));
}

} // namespace tests
