#pragma once

#include "tallowick/calls/WindowCaller.h"

#include <QDBusConnection>

namespace tallowick {

// Calls plug-in windows over the bus without waiting. A window need not offer
// every operation, so one without the operation called is passed over in
// silence; any other failure is reported on standard error and otherwise
// forgotten.
class DBusWindowCaller : public WindowCaller {
public:
    explicit DBusWindowCaller(QDBusConnection connection);
    void callLater(const host::ObjectRef& window, const QString& method,
                   std::vector<host::Variant> args) override;

private:
    QDBusConnection connection_;
};

} // namespace tallowick
