#include "tallowick/service/DBusWindowCaller.h"

#include "link/DBusAsyncCall.h"

#include <cstdio>

namespace tallowick {

DBusWindowCaller::DBusWindowCaller(QDBusConnection connection)
    : connection_(std::move(connection)) {}

void DBusWindowCaller::callLater(const host::ObjectRef& window, const QString& method,
                                 std::vector<host::Variant> args) {
    const QString target = window.service + window.path;
    host::invokeAsync(
        connection_, window, method, args,
        [target, method](const QString& reason) {
            std::fprintf(stderr, "tallowick: %s of window %s failed: %s\n", qPrintable(method),
                         qPrintable(target), qPrintable(reason));
        },
        host::MissingOperation::IsIgnored);
}

} // namespace tallowick
