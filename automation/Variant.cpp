#include "automation/Variant.h"

#include <type_traits>

namespace host {

QString typeName(const Variant& value) {
    return std::visit(
        [](const auto& held) -> QString {
            using Held = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<Held, Empty>)
                return QStringLiteral("Empty");
            else if constexpr (std::is_same_v<Held, int16_t>)
                return QStringLiteral("Integer");
            else if constexpr (std::is_same_v<Held, int32_t>)
                return QStringLiteral("Long");
            else if constexpr (std::is_same_v<Held, double>)
                return QStringLiteral("Double");
            else if constexpr (std::is_same_v<Held, QString>)
                return QStringLiteral("String");
            else if constexpr (std::is_same_v<Held, bool>)
                return QStringLiteral("Boolean");
            else if constexpr (std::is_same_v<Held, ByteArray>)
                return QStringLiteral("Byte()");
            else {
                static_assert(std::is_same_v<Held, ObjectRef>, "every alternative has a name");
                return QStringLiteral("Object");
            }
        },
        value);
}

} // namespace host
