#pragma once

#include "automation/ByteArray.h"

#include <QString>
#include <cstdint>
#include <variant>
#include <vector>

namespace host {

class AutomationObject;

struct Empty {
    bool operator==(const Empty&) const = default;
};

// A reference to an object that lives in another process (its owner's bus
// name and object path) or, for the in-process fake host, in this one.
// `local` does not own the object.
struct ObjectRef {
    QString service;
    QString path;
    AutomationObject* local = nullptr;
    bool operator==(const ObjectRef&) const = default;
};

// The automation variant. Build 16-bit values explicitly (int16_t{0}); a
// plain integer literal makes a 32-bit one.
using Variant = std::variant<Empty, int16_t, int32_t, double, QString, bool, ByteArray, ObjectRef>;

// The name of the type a variant holds, for error messages ("Integer",
// "Long", "Double", "String", "Boolean", "Byte()", "Object", "Empty").
QString typeName(const Variant& value);

} // namespace host
