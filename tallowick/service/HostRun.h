#pragma once

#include "tallowick/startup/CommandLine.h"

#include <QString>
#include <memory>
#include <vector>

class QApplication;
class QDBusConnection;

namespace host {
class BusDepartures;
class BusLossWatch;
class ServedHostObject;
} // namespace host

namespace platform {
class TerminationSignals;
}

namespace tallowick {

class AbandonedFolder;
class Autosave;
class DBusWindowCaller;
class HostModel;
class HostObject;
class HostWindow;
class OwnRecoveryFolder;
class PluginLauncher;
class TerminalProgress;
class TracingObject;

// One run of the host, from its command line to its end, in named steps:
// the documents (the save folder probed first), the work hosts that did not
// end cleanly left, the session bus and the host object, the trace, the
// watch on departures (before the name is claimed), the service, the watch
// on losing the bus (after the service), the termination signals, the
// window or the terminal's progress, the autosave and the offer of that
// work, the launcher and the plug-in asked for; then the event loop, the
// documents saved at the end and the recovery folder removed at a clean
// one. What each step makes lives as long as the run.
class HostRun {
public:
    HostRun(int argc, char** argv);
    ~HostRun();
    HostRun(const HostRun&) = delete;
    HostRun& operator=(const HostRun&) = delete;

    // The status the host ends with. A step that fails is told on standard
    // error, while what the steps before it made still stands.
    int run();

private:
    int runSteps();
    void readCommandLine();
    // False when there is no display to show on, which has been told.
    bool startApplication();
    void openDocuments();
    void probeSaveFolder();
    // The recovery folders of hosts that did not end cleanly: a headless
    // host names them and leaves them, a windowed one keeps them locked to
    // offer them once its window shows.
    void findAbandonedWork();
    void reachSessionBus();
    void startTrace();
    void followDepartures();
    void serve();
    void watchBusLoss();
    void endOnTerminationSignals();
    void showWindowOrProgress();
    void startAutosave();
    void offerAbandonedWorkLater();
    void reactToBusLossLater();
    void prepareLauncher();
    void startRequestedPlugin();
    // The status to end with once the event loop returned `status`.
    int finish(int status);
    // A clean end removes this host's recovery folder; any other keeps it
    // for the next host, and says so.
    void endRecoveryFolder(int status);

    int argc_;
    char** argv_;
    HostOptions options_;
    // What QApplication is given; must outlive it.
    std::vector<char*> qtArguments_;
    int qtArgc_ = 0;
    std::unique_ptr<QApplication> application_;
    QString appDir_;
    std::unique_ptr<HostModel> model_;
    std::unique_ptr<OwnRecoveryFolder> recoveryFolder_;
    std::vector<AbandonedFolder> abandoned_;
    std::unique_ptr<QDBusConnection> bus_;
    std::unique_ptr<DBusWindowCaller> windows_;
    std::unique_ptr<HostObject> hostObject_;
    std::unique_ptr<TracingObject> tracing_;
    std::unique_ptr<host::BusDepartures> departures_;
    std::unique_ptr<host::ServedHostObject> service_;
    std::unique_ptr<host::BusLossWatch> busWatch_;
    std::unique_ptr<platform::TerminationSignals> termination_;
    std::unique_ptr<TerminalProgress> progress_;
    std::unique_ptr<HostWindow> window_;
    std::unique_ptr<PluginLauncher> launcher_;
    // Last, so that it is gone, its write waited for, before what it reads.
    std::unique_ptr<Autosave> autosave_;
    bool busLost_ = false;
};

} // namespace tallowick
