#include "automation/CallArguments.h"

#include "automation/AutomationObject.h"
#include "platform/Conversions.h"

#include <cmath>

namespace host::arguments {

namespace {

[[noreturn]] void refuse(const QString& method, std::size_t index, const QString& role,
                         const QString& reason) {
    throw host::HostCallError(
        method, QStringLiteral("argument %1 (%2): %3").arg(index + 1).arg(role, reason));
}

[[noreturn]] void refuseType(const QString& method, const Args& args, std::size_t index,
                             const QString& role, const QString& expected) {
    refuse(method, index, role,
           QStringLiteral("expected %1, got %2").arg(expected, host::typeName(args[index])));
}

} // namespace

void expectCount(const QString& method, std::size_t given, std::size_t count) {
    if (given != count)
        throw host::HostCallError(method, QStringLiteral("expected %1 argument%2, got %3")
                                              .arg(count)
                                              .arg(count == 1 ? "" : "s")
                                              .arg(given));
}

void expectCount(const QString& method, const Args& args, std::size_t count) {
    expectCount(method, args.size(), count);
}

double number(const QString& method, const Args& args, std::size_t index, const QString& role) {
    const host::Variant& value = args[index];
    if (const auto* held = std::get_if<int16_t>(&value))
        return *held;
    if (const auto* held = std::get_if<int32_t>(&value))
        return *held;
    if (const auto* held = std::get_if<double>(&value)) {
        if (!std::isfinite(*held))
            refuse(method, index, role, QStringLiteral("%1 is not a finite number").arg(*held));
        return *held;
    }
    refuseType(method, args, index, role, QStringLiteral("a number"));
}

int32_t wholeNumber(const QString& method, const Args& args, std::size_t index,
                    const QString& role) {
    // Every 16- and 32-bit value is exact as a double, so one path serves all.
    const double held = number(method, args, index, role);
    try {
        return platform::toInt32(held);
    } catch (const platform::OverflowError&) {
        refuse(method, index, role,
               QStringLiteral("%1 is not a whole number in the 32-bit range").arg(held));
    }
}

int32_t wholeNumberIn(const QString& method, const Args& args, std::size_t index,
                      const QString& role, int32_t minimum, int32_t maximum) {
    const int32_t value = wholeNumber(method, args, index, role);
    if (value < minimum || value > maximum) {
        if (minimum == maximum)
            refuse(method, index, role,
                   QStringLiteral("expected %1, got %2").arg(minimum).arg(value));
        refuse(method, index, role,
               QStringLiteral("%1 is outside %2 to %3").arg(value).arg(minimum).arg(maximum));
    }
    return value;
}

QString text(const QString& method, const Args& args, std::size_t index, const QString& role) {
    if (const auto* held = std::get_if<QString>(&args[index]))
        return *held;
    refuseType(method, args, index, role, QStringLiteral("a String"));
}

const host::ByteArray& byteArray(const QString& method, const Args& args, std::size_t index,
                                 const QString& role) {
    if (const auto* held = std::get_if<host::ByteArray>(&args[index]))
        return *held;
    refuseType(method, args, index, role, QStringLiteral("a Byte() array"));
}

const host::ObjectRef& object(const QString& method, const Args& args, std::size_t index,
                              const QString& role) {
    if (const auto* held = std::get_if<host::ObjectRef>(&args[index]))
        return *held;
    refuseType(method, args, index, role, QStringLiteral("an Object"));
}

} // namespace host::arguments
