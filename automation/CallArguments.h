#pragma once

#include "automation/Variant.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

// Readers of the arguments of a late-bound call, for whoever serves one: the
// host, and a plug-in window the host calls. Callers check the count first.
// Each reader checks one argument and throws host::HostCallError naming the
// method as the caller spelled it, the argument's position and role, and what
// was wrong.
namespace host::arguments {

using Args = std::vector<host::Variant>;

void expectCount(const QString& method, const Args& args, std::size_t count);
// The same check before the arguments are read, from their number alone.
void expectCount(const QString& method, std::size_t given, std::size_t count);

// A 16-bit, 32-bit or floating number, the latter rounded half to even into
// the 32-bit range. Booleans, text and the rest are refused.
int32_t wholeNumber(const QString& method, const Args& args, std::size_t index,
                    const QString& role);
// A whole number in minimum..maximum.
int32_t wholeNumberIn(const QString& method, const Args& args, std::size_t index,
                      const QString& role, int32_t minimum, int32_t maximum);
// A 16-bit, 32-bit or finite floating number.
double number(const QString& method, const Args& args, std::size_t index, const QString& role);
QString text(const QString& method, const Args& args, std::size_t index, const QString& role);
const host::ByteArray& byteArray(const QString& method, const Args& args, std::size_t index,
                                 const QString& role);
const host::ObjectRef& object(const QString& method, const Args& args, std::size_t index,
                              const QString& role);

} // namespace host::arguments
