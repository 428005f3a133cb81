#pragma once

#include "link/DBusExport.h"
#include "plugin/WindowHandover.h"

#include <QDBusConnection>
#include <map>

namespace plugin {

// Hands windows over by exporting each on the program's bus connection, where
// the host's calls reach it. Each export lives until its window is withdrawn
// or this object ends, on the thread that created it.
class DBusWindowHandover final : public WindowHandover {
public:
    explicit DBusWindowHandover(QDBusConnection connection);

    // host::ExportError when the window cannot be exported.
    host::ObjectRef handOver(host::AutomationObject& window) override;
    void withdraw(host::AutomationObject& window) override;

private:
    QDBusConnection connection_;
    std::map<host::AutomationObject*, host::ObjectExport> exports_;
    // The number of the last window exported: each window gets a path of
    // its own for the life of the program.
    int lastWindow_ = 0;
};

} // namespace plugin
