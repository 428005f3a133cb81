#include "plugin/startup/DBusWindowHandover.h"

#include <utility>

namespace plugin {

DBusWindowHandover::DBusWindowHandover(QDBusConnection connection)
    : connection_(std::move(connection)) {}

host::ObjectRef DBusWindowHandover::handOver(host::AutomationObject& window) {
    if (const auto found = exports_.find(&window); found != exports_.end())
        return found->second.reference();
    const auto entry =
        exports_.emplace(&window, host::exportWindow(connection_, window, ++lastWindow_)).first;
    return entry->second.reference();
}

void DBusWindowHandover::withdraw(host::AutomationObject& window) {
    exports_.erase(&window);
}

} // namespace plugin
