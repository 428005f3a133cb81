#include "link/DBusWire.h"

#include "link/PeerMemory.h"
#include "link/SharedMemory.h"

#include <QDBusMetaType>
#include <QDBusVariant>
#include <mutex>
#include <string>
#include <type_traits>

namespace host::dbus {

namespace {

// A structure of plain fields, written and read in the order given.
template <typename... Fields>
QDBusArgument& writeStructure(QDBusArgument& argument, const Fields&... fields) {
    argument.beginStructure();
    (argument << ... << fields);
    argument.endStructure();
    return argument;
}

template <typename... Fields>
const QDBusArgument& readStructure(const QDBusArgument& argument, Fields&... fields) {
    argument.beginStructure();
    (argument >> ... >> fields);
    argument.endStructure();
    return argument;
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const WireDimension& dimension) {
    return writeStructure(argument, dimension.lower, dimension.count);
}

const QDBusArgument& operator>>(const QDBusArgument& argument, WireDimension& dimension) {
    return readStructure(argument, dimension.lower, dimension.count);
}

QDBusArgument& operator<<(QDBusArgument& argument, const WireByteArray& array) {
    return writeStructure(argument, array.bounds, array.memory);
}

const QDBusArgument& operator>>(const QDBusArgument& argument, WireByteArray& array) {
    argument.beginStructure();
    // A peer may send any number of dimensions; leaving the array early is
    // safe, as entering it already moved past it.
    array.bounds.clear();
    argument.beginArray();
    while (!argument.atEnd() && array.bounds.size() <= kMaxDimensions) {
        WireDimension dimension;
        argument >> dimension;
        array.bounds.append(dimension);
    }
    argument.endArray();
    argument >> array.memory;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const WireObjectRef& reference) {
    return writeStructure(argument, reference.service, reference.path);
}

const QDBusArgument& operator>>(const QDBusArgument& argument, WireObjectRef& reference) {
    return readStructure(argument, reference.service, reference.path);
}

QDBusArgument& operator<<(QDBusArgument& argument, const WireValue& value) {
    return writeStructure(argument, value.tag, QDBusVariant(value.content));
}

const QDBusArgument& operator>>(const QDBusArgument& argument, WireValue& value) {
    QDBusVariant content;
    readStructure(argument, value.tag, content);
    value.content = content.variant();
    // Structured content arrives still marshalled; unpack the two structures
    // the format knows and leave anything else for fromWire to refuse.
    if (value.content.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const auto nested = value.content.value<QDBusArgument>();
        const QString signature = nested.currentSignature();
        if (signature == QLatin1StringView("(a(ii)h)")) {
            WireByteArray array;
            nested >> array;
            value.content = QVariant::fromValue(array);
        } else if (signature == QLatin1StringView("(so)")) {
            WireObjectRef reference;
            nested >> reference;
            value.content = QVariant::fromValue(reference);
        }
    }
    return argument;
}

namespace {

// The tags follow the order of the variant's alternatives.
static_assert(std::variant_size_v<Variant> == 8);
static_assert(std::is_same_v<std::variant_alternative_t<1, Variant>, int16_t>);
static_assert(std::is_same_v<std::variant_alternative_t<6, Variant>, ByteArray>);
static_assert(std::is_same_v<std::variant_alternative_t<7, Variant>, ObjectRef>);

QString tagName(WireTag tag) {
    switch (tag) {
    case WireTag::Empty:
        return typeName(Empty{});
    case WireTag::Integer:
        return typeName(int16_t{0});
    case WireTag::Long:
        return typeName(int32_t{0});
    case WireTag::Double:
        return typeName(0.0);
    case WireTag::String:
        return typeName(QString());
    case WireTag::Boolean:
        return typeName(false);
    case WireTag::ByteArray:
        return typeName(ByteArray());
    case WireTag::Object:
        return typeName(ObjectRef());
    }
    return QStringLiteral("unknown");
}

[[noreturn]] void refuse(const QString& reason) {
    throw WireError(reason.toStdString());
}

// Object paths are slash-separated elements of ASCII letters, digits and
// underscores; QtDBus would drop an invalid one without a word.
bool isValidObjectPath(const QString& path) {
    if (path == QLatin1StringView("/"))
        return true;
    if (!path.startsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('/')))
        return false;
    QChar previous;
    for (const QChar c : path) {
        const bool elementCharacter = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                                      (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                                      (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                                      c == QLatin1Char('_');
        if (!elementCharacter && c != QLatin1Char('/'))
            return false;
        if (c == QLatin1Char('/') && previous == QLatin1Char('/'))
            return false;
        previous = c;
    }
    return true;
}

QVariant byteArrayContent(const ByteArray& array, OutgoingMemory* lender) {
    WireByteArray wire;
    for (const Dimension& d : array.dimensions())
        wire.bounds.append({d.lower, d.count});
    try {
        UniqueFd memory = lender ? lender->lend(array.data(), array.size())
                                 : createSealedMemory(array.data(), array.size());
        wire.memory.giveFileDescriptor(memory.release());
    } catch (const SharedMemoryError& error) {
        refuse(QStringLiteral("Byte array %1: %2")
                   .arg(array.boundsText(), QString::fromUtf8(error.what())));
    }
    return QVariant::fromValue(wire);
}

QVariant objectContent(const ObjectRef& reference) {
    if (reference.service.isEmpty() || reference.path.isEmpty())
        refuse(QStringLiteral("An object reference needs its owner's bus name and an object path "
                              "to cross the bus (an object in this process must be exported "
                              "first)"));
    if (!isValidObjectPath(reference.path))
        refuse(QStringLiteral("Object reference: \"%1\" is not a valid object path")
                   .arg(reference.path));
    return QVariant::fromValue(WireObjectRef{reference.service, QDBusObjectPath(reference.path)});
}

// The D-Bus type of received content, for messages.
QString signatureOf(const QVariant& content) {
    if (content.metaType() == QMetaType::fromType<QDBusArgument>())
        return content.value<QDBusArgument>().currentSignature();
    const char* signature = QDBusMetaType::typeToSignature(content.metaType());
    return signature ? QString::fromLatin1(signature) : QString::fromLatin1(content.typeName());
}

template <typename T> const T& contentAs(const WireValue& value, WireTag tag) {
    if (value.content.metaType() != QMetaType::fromType<T>())
        refuse(QStringLiteral("A value tagged %1 (%2) carries content of D-Bus type '%3'")
                   .arg(value.tag)
                   .arg(tagName(tag), signatureOf(value.content)));
    return *static_cast<const T*>(value.content.constData());
}

ByteArray byteArrayFrom(const WireByteArray& wire, std::size_t maxBytes, IncomingMemory* mappings,
                        ByteArrayReading reading) {
    if (wire.bounds.size() > kMaxDimensions)
        refuse(QStringLiteral("A byte array has at most %1 dimensions; this one has more")
                   .arg(kMaxDimensions));
    std::vector<Dimension> dimensions;
    for (const WireDimension& d : wire.bounds)
        dimensions.push_back({d.lower, d.count});
    const QString bounds = ByteArray::boundsText(dimensions);
    if (!wire.memory.isValid())
        refuse(QStringLiteral("Byte array %1: no memory file came with it").arg(bounds));
    // Without the peer's mappings, every file is read as a one-off.
    IncomingMemory oneOff(0);
    IncomingMemory& reader = mappings ? *mappings : oneOff;
    const int fd = wire.memory.fileDescriptor();
    try {
        if (dimensions.empty()) {
            reader.read(fd, nullptr, 0);
            return ByteArray();
        }
        const std::size_t size = ByteArray::sizeOf(dimensions);
        if (size > maxBytes)
            refuse(QStringLiteral("Byte array %1: %2 bytes, more than the %3 this call takes")
                       .arg(bounds)
                       .arg(size)
                       .arg(maxBytes));
        if (mappings && reading == ByteArrayReading::Borrowed)
            if (std::shared_ptr<const uint8_t> lent = mappings->borrow(fd, size))
                return ByteArray::borrowing(std::move(dimensions), std::move(lent));
        // The file is checked before the array is allocated.
        checkMemoryFile(fd, size);
        return ByteArray::filledBy(std::move(dimensions), [&](uint8_t* bytes, std::size_t count) {
            reader.read(fd, bytes, count);
        });
    } catch (const SharedMemoryError& error) {
        refuse(QStringLiteral("Byte array %1: %2").arg(bounds, QString::fromUtf8(error.what())));
    } catch (const ByteArrayError& error) {
        refuse(QString::fromUtf8(error.what()));
    }
}

} // namespace

void registerWireTypes() {
    static std::once_flag once;
    std::call_once(once, [] {
        qDBusRegisterMetaType<WireDimension>();
        qDBusRegisterMetaType<QList<WireDimension>>();
        qDBusRegisterMetaType<WireByteArray>();
        qDBusRegisterMetaType<WireObjectRef>();
        qDBusRegisterMetaType<WireValue>();
        qDBusRegisterMetaType<WireValues>();
    });
}

WireValue toWire(const Variant& value, OutgoingMemory* lender) {
    registerWireTypes();
    const auto tag = static_cast<WireTag>(value.index());
    QVariant content = std::visit(
        [lender](const auto& held) -> QVariant {
            using Held = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<Held, Empty>) {
                return QVariant::fromValue(uchar{0});
            } else if constexpr (std::is_same_v<Held, QString>) {
                const qsizetype nul = held.indexOf(QChar(u'\0'));
                if (nul >= 0)
                    refuse(QStringLiteral("A string holding a NUL character (at position %1) "
                                          "cannot cross the bus")
                               .arg(nul + 1));
                return held;
            } else if constexpr (std::is_same_v<Held, ByteArray>) {
                return byteArrayContent(held, lender);
            } else if constexpr (std::is_same_v<Held, ObjectRef>) {
                return objectContent(held);
            } else {
                return QVariant::fromValue(held);
            }
        },
        value);
    return WireValue{static_cast<uint8_t>(tag), std::move(content)};
}

WireValues readValues(const QDBusArgument& list, qsizetype limit) {
    WireValues values;
    list.beginArray();
    while (!list.atEnd() && values.size() <= limit) {
        WireValue value;
        list >> value;
        values.append(std::move(value));
    }
    list.endArray();
    return values;
}

Variant fromWire(const WireValue& value, std::size_t maxByteArrayBytes, IncomingMemory* mappings,
                 ByteArrayReading reading) {
    if (value.tag > static_cast<uint8_t>(WireTag::Object))
        refuse(QStringLiteral("Unknown type tag %1").arg(value.tag));
    const auto tag = static_cast<WireTag>(value.tag);
    switch (tag) {
    case WireTag::Empty:
        contentAs<uchar>(value, tag);
        return Empty{};
    case WireTag::Integer:
        return contentAs<short>(value, tag);
    case WireTag::Long:
        return contentAs<int>(value, tag);
    case WireTag::Double:
        return contentAs<double>(value, tag);
    case WireTag::String:
        return contentAs<QString>(value, tag);
    case WireTag::Boolean:
        return contentAs<bool>(value, tag);
    case WireTag::ByteArray:
        return byteArrayFrom(contentAs<WireByteArray>(value, tag), maxByteArrayBytes, mappings,
                             reading);
    case WireTag::Object: {
        const WireObjectRef& reference = contentAs<WireObjectRef>(value, tag);
        return ObjectRef{reference.service, reference.path.path(), nullptr};
    }
    }
    refuse(QStringLiteral("Unknown type tag %1").arg(value.tag));
}

} // namespace host::dbus
