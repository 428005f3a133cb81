#include "fuzz/support/FuzzedMessages.h"

#include "link/DBusWire.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <array>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace fuzz {

// Structures one step away from the byte array's (a(ii)h) and the object
// reference's (so), each with the fields the marshalling writes.
struct BoundsWithoutMemory {
    QList<host::dbus::WireDimension> bounds;
};
struct BoundsAndTwoFiles {
    QList<host::dbus::WireDimension> bounds;
    QDBusUnixFileDescriptor first;
    QDBusUnixFileDescriptor second;
};
struct PathBeforeService {
    QDBusObjectPath path;
    QString service;
};

} // namespace fuzz

Q_DECLARE_METATYPE(fuzz::BoundsWithoutMemory)
Q_DECLARE_METATYPE(fuzz::BoundsAndTwoFiles)
Q_DECLARE_METATYPE(fuzz::PathBeforeService)

namespace fuzz {

// Found by QtDBus through the structures' namespace.
QDBusArgument& operator<<(QDBusArgument& out, const BoundsWithoutMemory& value) {
    out.beginStructure();
    out << value.bounds;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, BoundsWithoutMemory& value) {
    in.beginStructure();
    in >> value.bounds;
    in.endStructure();
    return in;
}
QDBusArgument& operator<<(QDBusArgument& out, const BoundsAndTwoFiles& value) {
    out.beginStructure();
    out << value.bounds << value.first << value.second;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, BoundsAndTwoFiles& value) {
    in.beginStructure();
    in >> value.bounds >> value.first >> value.second;
    in.endStructure();
    return in;
}
QDBusArgument& operator<<(QDBusArgument& out, const PathBeforeService& value) {
    out.beginStructure();
    out << value.path << value.service;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, PathBeforeService& value) {
    in.beginStructure();
    in >> value.path >> value.service;
    in.endStructure();
    return in;
}

namespace {

constexpr int kDeepestVariant = 3;
constexpr int kMostValues = 20;
constexpr int kMostDimensions = 6;
constexpr std::size_t kLargestMemoryFile = std::size_t{1} << 20;

QString text(FuzzedDataProvider& in) {
    return QString::fromStdString(in.ConsumeRandomLengthString(48));
}

// Mostly bounds near the ones the link expects, sometimes any at all.
int32_t bound(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(-2, 300)
                            : in.ConsumeIntegral<int32_t>();
}

QDBusObjectPath objectPath(FuzzedDataProvider& in) {
    static constexpr char kElement[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
    QString path;
    for (int element = in.ConsumeIntegralInRange(0, 3); element > 0; --element) {
        path += QLatin1Char('/');
        for (int c = in.ConsumeIntegralInRange(1, 6); c > 0; --c)
            path += QLatin1Char(kElement[in.ConsumeIntegralInRange<std::size_t>(0, 62)]);
    }
    return QDBusObjectPath(path.isEmpty() ? QStringLiteral("/") : path);
}

// A memory file of any size (its tail sparse) and seals, its first bytes
// the fuzzer's; or a descriptor of another kind.
QDBusUnixFileDescriptor descriptor(FuzzedDataProvider& in) {
    int fd = -1;
    switch (in.ConsumeIntegralInRange(0, 5)) {
    case 0:
        fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        break;
    case 1: {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) == 0) {
            ::close(ends[1]);
            fd = ends[0];
        }
        break;
    }
    default: {
        fd = ::memfd_create("fuzzed", MFD_ALLOW_SEALING | MFD_CLOEXEC);
        const std::vector<uint8_t> bytes =
            in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 4096));
        const auto size = in.ConsumeIntegralInRange<std::size_t>(0, kLargestMemoryFile);
        if (fd >= 0 && (::write(fd, bytes.data(), bytes.size()) < 0 ||
                        ::ftruncate(fd, static_cast<off_t>(std::max(size, bytes.size()))) != 0)) {
            ::close(fd);
            return {};
        }
        static constexpr std::array<int, 4> kSeals{F_SEAL_SHRINK, F_SEAL_GROW, F_SEAL_WRITE,
                                                   F_SEAL_SEAL};
        int seals = 0;
        const auto chosen = in.ConsumeIntegral<uint8_t>();
        for (std::size_t i = 0; i < kSeals.size(); ++i)
            if (chosen & (1u << i))
                seals |= kSeals[i];
        if (fd >= 0)
            ::fcntl(fd, F_ADD_SEALS, seals);
    }
    }
    QDBusUnixFileDescriptor wrapped(fd); // a copy of its own
    if (fd >= 0)
        ::close(fd);
    return wrapped;
}

QList<host::dbus::WireDimension> bounds(FuzzedDataProvider& in) {
    QList<host::dbus::WireDimension> dimensions;
    for (int d = in.ConsumeIntegralInRange(0, kMostDimensions); d > 0; --d)
        dimensions.append({bound(in), bound(in)});
    return dimensions;
}

QVariant content(FuzzedDataProvider& in, int depth);

host::dbus::WireValues values(FuzzedDataProvider& in, int most, int depth) {
    host::dbus::WireValues list;
    for (int v = in.ConsumeIntegralInRange(0, most); v > 0; --v) {
        const auto tag = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint8_t>(0, 8)
                                          : in.ConsumeIntegral<uint8_t>();
        list.append({tag, content(in, depth)});
    }
    return list;
}

QVariant structure(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0:
        return QVariant::fromValue(host::dbus::WireByteArray{bounds(in), descriptor(in)});
    case 1:
        return QVariant::fromValue(host::dbus::WireObjectRef{text(in), objectPath(in)});
    case 2:
        return QVariant::fromValue(BoundsWithoutMemory{bounds(in)});
    case 3:
        return QVariant::fromValue(BoundsAndTwoFiles{bounds(in), descriptor(in), descriptor(in)});
    default:
        return QVariant::fromValue(PathBeforeService{objectPath(in), text(in)});
    }
}

QVariant content(FuzzedDataProvider& in, int depth) {
    switch (in.ConsumeIntegralInRange(0, 16)) {
    case 0:
        return QVariant::fromValue(in.ConsumeIntegral<uchar>());
    case 1:
        return QVariant::fromValue(in.ConsumeIntegral<short>());
    case 2:
        return QVariant::fromValue(in.ConsumeIntegral<int>());
    case 3:
        return QVariant::fromValue(in.ConsumeFloatingPoint<double>());
    case 4:
        return text(in);
    case 5:
        return QVariant::fromValue(in.ConsumeBool());
    case 6:
    case 7:
        return structure(in);
    case 8:
        return QVariant::fromValue(in.ConsumeIntegral<qlonglong>());
    case 9:
        return QVariant::fromValue(in.ConsumeIntegral<uint>());
    case 10:
        return QVariant::fromValue(objectPath(in));
    case 11:
        return QVariant::fromValue(QDBusSignature(in.ConsumeBool() ? "a(yv)" : "(a(ii)h)"));
    case 12:
        if (depth < kDeepestVariant)
            return QVariant::fromValue(QDBusVariant(content(in, depth + 1)));
        return QVariant::fromValue(uchar{0});
    case 13:
        return QStringList{text(in), text(in)};
    case 14:
        return QByteArray::fromStdString(in.ConsumeRandomLengthString(32));
    case 15:
        return QVariant::fromValue(descriptor(in));
    default:
        if (depth < kDeepestVariant)
            return QVariant::fromValue(values(in, 3, depth + 1));
        return QVariant::fromValue(uchar{0});
    }
}

// Anything but the expected shape: a few arguments of any type.
QList<QVariant> anyArguments(FuzzedDataProvider& in) {
    QList<QVariant> arguments;
    for (int a = in.ConsumeIntegralInRange(0, 3); a > 0; --a)
        arguments.append(content(in, 0));
    return arguments;
}

} // namespace

void registerFuzzedTypes() {
    static std::once_flag once;
    std::call_once(once, [] {
        host::dbus::registerWireTypes();
        qDBusRegisterMetaType<BoundsWithoutMemory>();
        qDBusRegisterMetaType<BoundsAndTwoFiles>();
        qDBusRegisterMetaType<PathBeforeService>();
    });
}

QList<QVariant> callArguments(FuzzedDataProvider& in) {
    if (in.ConsumeIntegralInRange(0, 9) == 0)
        return anyArguments(in);
    return {text(in), QVariant::fromValue(values(in, kMostValues, 0))};
}

QList<QVariant> replyArguments(FuzzedDataProvider& in) {
    if (in.ConsumeIntegralInRange(0, 9) == 0)
        return anyArguments(in);
    return {QVariant::fromValue(values(in, 3, 0))};
}

} // namespace fuzz
