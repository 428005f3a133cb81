#include "automation/AutomationObject.h"

#include <utility>

namespace host {

HostCallError::HostCallError(QString method, QString reason)
    : std::runtime_error((method + QStringLiteral(": ") + reason).toStdString()),
      method_(std::move(method)), reason_(std::move(reason)) {}

} // namespace host
