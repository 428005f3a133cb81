#pragma once

#include "automation/Variant.h"

#include <QDBusConnection>
#include <QString>
#include <functional>
#include <vector>

namespace host {

using CallFailureHandler = std::function<void(const QString& reason)>;

// Whether an object that answers it has no such operation (UnknownOperationError
// on its side) has failed the call, or merely does not take part.
enum class MissingOperation { IsAFailure, IsIgnored };

// Calls `method` on `target` without waiting: for the host's calls into a
// plug-in's windows, as the plug-in may itself be waiting on the host. Returns
// at once; if the call fails (the object refuses it, the object or its owner
// is gone, an argument cannot cross), `onFailure` later receives the reason on
// the calling thread, which must run an event loop. Success is not reported,
// nor, with MissingOperation::IsIgnored, an object without the operation.
void invokeAsync(const QDBusConnection& connection, const ObjectRef& target, const QString& method,
                 const std::vector<Variant>& args, CallFailureHandler onFailure,
                 MissingOperation missing = MissingOperation::IsAFailure);

} // namespace host
