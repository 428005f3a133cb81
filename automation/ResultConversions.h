#pragma once

#include "automation/Variant.h"

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace host {

// A host result of a type the caller cannot use. The message names the
// method, the expected type and the type that arrived.
class ResultTypeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A numeric result as a 32-bit integer: 16/32-bit integers as they are, a
// double rounded half to even, a Boolean as the automation convention has it
// (True is -1, False 0). A double outside the range, or not a number, is a
// platform::OverflowError whose message starts with the method's name; any
// other type (Empty, String, Byte(), Object) is a ResultTypeError.
int32_t resultToInt32(const QString& method, const Variant& result);

// A number result of the right type that the caller still cannot use; the
// message names the method and the value.
class ResultValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A width, height or count: resultToInt32, and a ResultValueError for a
// negative value, so that a bad size is refused where it arrives and not
// where it is first used.
int32_t resultToSize(const QString& method, const Variant& result);

// A byte array result of `rank` dimensions, whatever its bounds, moved out of
// the variant. Anything else is a ResultTypeError naming what arrived.
ByteArray resultToArray(const QString& method, Variant&& result, int rank);

// A channel plane result: a two-dimensional byte array with lower bounds 0,
// moved out of the variant. Anything else, arrays of another rank or with
// other lower bounds included, is a ResultTypeError.
ByteArray resultToPlane(const QString& method, Variant&& result);

} // namespace host
