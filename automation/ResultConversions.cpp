#include "automation/ResultConversions.h"

#include "platform/Conversions.h"

#include <functional>
#include <string>

namespace host {

namespace {

[[noreturn]] void refuse(const QString& method, const QString& expected, const QString& received) {
    throw ResultTypeError(
        QStringLiteral("%1: expected %2, got %3").arg(method, expected, received).toStdString());
}

int32_t doubleToInt32(const QString& method, double value) {
    try {
        return platform::toInt32(value);
    } catch (const platform::OverflowError& error) {
        throw platform::OverflowError(method.toStdString() + ": " + error.what());
    }
}

} // namespace

int32_t resultToInt32(const QString& method, const Variant& result) {
    if (const auto* value = std::get_if<int16_t>(&result))
        return *value;
    if (const auto* value = std::get_if<int32_t>(&result))
        return *value;
    if (const auto* value = std::get_if<double>(&result))
        return doubleToInt32(method, *value);
    if (const auto* value = std::get_if<bool>(&result))
        return *value ? -1 : 0;
    refuse(method, QStringLiteral("a number"), typeName(result));
}

int32_t resultToSize(const QString& method, const Variant& result) {
    const int32_t size = resultToInt32(method, result);
    if (size < 0)
        throw ResultValueError(QStringLiteral("%1: returned %2; a size or count cannot be negative")
                                   .arg(method)
                                   .arg(size)
                                   .toStdString());
    return size;
}

namespace {

ByteArray arrayOf(const QString& method, Variant&& result, const QString& expected,
                  const std::function<bool(const ByteArray&)>& fits) {
    auto* array = std::get_if<ByteArray>(&result);
    if (!array)
        refuse(method, expected, typeName(result));
    if (!fits(*array))
        refuse(method, expected,
               typeName(result) + QStringLiteral(" with bounds ") + array->boundsText());
    return std::move(*array);
}

} // namespace

ByteArray resultToArray(const QString& method, Variant&& result, int rank) {
    return arrayOf(method, std::move(result),
                   rank == 1 ? QStringLiteral("a one-dimensional byte array")
                             : QStringLiteral("a byte array of %1 dimensions").arg(rank),
                   [rank](const ByteArray& array) { return array.rank() == rank; });
}

ByteArray resultToPlane(const QString& method, Variant&& result) {
    return arrayOf(method, std::move(result),
                   QStringLiteral("a two-dimensional byte array with lower bounds 0"),
                   [](const ByteArray& array) { return array.isPlane(); });
}

} // namespace host
