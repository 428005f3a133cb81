#pragma once

#include "automation/AutomationObject.h"
#include "link/DBusExport.h"
#include "tests/support/PrivateBus.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QThread>
#include <functional>
#include <memory>
#include <vector>

namespace tests {

// Serves automation objects on a connection of its own from a worker thread
// with its own event loop. QtDBus runs an exported object's calls on the
// thread that exported it, so a test's thread can make blocking calls to
// these objects and get answers. Destroy it before its bus.
class BusServerThread {
public:
    BusServerThread(PrivateBus& bus, const QString& connectionName);
    BusServerThread(const BusServerThread&) = delete;
    BusServerThread& operator=(const BusServerThread&) = delete;
    ~BusServerThread();

    // Exports `object` at `path` from the worker thread, where its calls will
    // run; what the export throws propagates. The object must outlive this.
    host::ObjectRef serve(host::AutomationObject& object, const QString& path);
    // Serves `object` as the host: its path and the host's well-known name,
    // and direct connections when `direct` offers them.
    host::ObjectRef serveAsHost(host::AutomationObject& object,
                                host::DirectCalls direct = host::DirectCalls::NotOffered);
    // The host served last; touch it only inside run().
    host::ServedHostObject& servedHost() { return *hosts_.back(); }
    // Removes every export; later calls to them fail.
    void withdrawAll();

    // Runs `task` on the worker thread and waits for it; what it throws
    // propagates.
    void run(const std::function<void()>& task);

    const QDBusConnection& connection() const { return connection_; }

private:
    QDBusConnection connection_;
    QThread thread_;
    std::unique_ptr<QObject> worker_;
    // Created and destroyed on the worker thread only.
    std::vector<host::ObjectExport> exports_;
    std::vector<std::unique_ptr<host::ServedHostObject>> hosts_;
};

} // namespace tests
