#pragma once

#include "link/DBusAutomationObject.h"
#include "tests/support/PrivateBus.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tests {

class RunningHostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A real stand-in host, `tallowick --headless` from the application folder,
// serving on a private bus. The constructor returns once the host owns its
// name (RunningHostError, with what the host printed, when it never does);
// the destructor ends it if it still runs.
class RunningHost {
public:
    RunningHost(PrivateBus& bus, const QStringList& arguments);
    RunningHost(const RunningHost&) = delete;
    RunningHost& operator=(const RunningHost&) = delete;
    ~RunningHost();

    // The host object as a plug-in sees it, over a connection of its own.
    host::DBusAutomationObject& object() { return *object_; }
    QDBusConnection pluginConnection() const { return pluginConnection_; }
    // The host's process id, for finding the plug-ins it started; 0 once it
    // has ended.
    qint64 processId() const { return process_.processId(); }

    // Asks the host to end as a user's SIGTERM would, and waits: its exit
    // status (RunningHostError when it crashed or never ended).
    int stop();
    // Ends the host at once with SIGKILL, as a crash or the kernel would,
    // and waits until it is gone.
    void kill();
    // Waits for the host to end on its own: its exit status.
    int waitForExit(int milliseconds);
    QString standardError();

private:
    QProcess process_;
    QDBusConnection pluginConnection_;
    std::unique_ptr<host::DBusAutomationObject> object_;
};

// The text of the HostCallError a call fails with, or "no failure".
std::string failureOf(host::AutomationObject& hostObject, const QString& method,
                      const std::vector<host::Variant>& args = {});

// The folder of the built programs and libraries.
QString applicationFolder();

} // namespace tests
