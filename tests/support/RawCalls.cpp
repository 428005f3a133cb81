#include "tests/support/RawCalls.h"

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
