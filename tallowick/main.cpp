// The stand-in host: serves its automation object on the session bus, shows
// its window (or runs headless), starts the plug-in named on its command line
// and saves its documents when it ends.
#include "link/BusDepartures.h"
#include "link/BusLossWatch.h"
#include "link/DBusExport.h"
#include "link/DBusWire.h"
#include "platform/DisplayCheck.h"
#include "platform/Memory.h"
#include "platform/TerminationSignals.h"
#include "tallowick/CommandLine.h"
#include "tallowick/DBusWindowCaller.h"
#include "tallowick/DocumentSaving.h"
#include "tallowick/ExitStatus.h"
#include "tallowick/HostObject.h"
#include "tallowick/HostStartup.h"
#include "tallowick/HostWindow.h"
#include "tallowick/PluginLauncher.h"
#include "tallowick/Plugins.h"
#include "tallowick/TerminalProgress.h"
#include "tallowick/TracingObject.h"

#include <QApplication>
#include <QDBusError>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

using namespace tallowick;

void report(const QString& text) {
    std::fprintf(stderr, "tallowick: %s\n", qPrintable(text));
}
void report(const std::exception& error) {
    report(QString::fromLocal8Bit(error.what()));
}

// Writes the documents to --save-dir; a failure turns a clean exit into a
// failing one, since the documents the user asked for are missing.
int saveOnExit(const HostOptions& options, const HostModel& model, int status) {
    if (options.saveDir.isEmpty())
        return status;
    try {
        saveDocuments(model.documents(), options.saveDir);
    } catch (const SaveError& error) {
        report(error);
        return status == 0 ? kServiceFailure : status;
    }
    return status;
}

// Off the bus the host serves nobody. A headless host ends, saving its
// documents on the way out as at any end; a window tells its user and offers
// to save them.
void reactToBusLoss(const QString& reason, const HostOptions& options, HostWindow* window) {
    QString consequence;
    if (window)
        consequence = QStringLiteral("plug-ins can no longer reach the host");
    else if (options.saveDir.isEmpty())
        consequence = QStringLiteral("the host ends");
    else
        consequence =
            QStringLiteral("the host ends, saving its documents under ") + options.saveDir;
    report(QStringLiteral("lost the session bus: %1; %2").arg(reason, consequence));
    if (window)
        window->reportBusLost(reason);
    else
        QCoreApplication::exit(kServiceFailure);
}

int runHost(const HostOptions& options) {
    const QString appDir = QCoreApplication::applicationDirPath();
    std::unique_ptr<HostModel> model;
    try {
        // Found now, not after the work of the session is done.
        if (!options.saveDir.isEmpty())
            prepareSaveFolder(options.saveDir);
        model = createHostModel(options, appDir);
    } catch (const SaveError& error) {
        report(QStringLiteral("--save-dir ") + QString::fromLocal8Bit(error.what()));
        return kStartFailure;
    } catch (const std::exception& error) {
        report(error);
        return kStartFailure;
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        report(QStringLiteral("cannot reach the session bus: ") + bus.lastError().message());
        return kServiceFailure;
    }
    DBusWindowCaller windows(bus);
    HostObject hostObject(*model, windows);
    std::unique_ptr<TracingObject> tracing;
    if (!options.tracePath.isEmpty()) {
        try {
            tracing = TracingObject::toFile(hostObject, options.tracePath);
        } catch (const TraceError& error) {
            report(error);
            return kStartFailure;
        }
    }
    // Followed before the name is claimed, so that no caller can leave unseen.
    std::unique_ptr<host::BusDepartures> departures;
    try {
        departures = std::make_unique<host::BusDepartures>(bus);
    } catch (const host::BusWatchError& error) {
        report(error);
        return kServiceFailure;
    }
    QObject::connect(departures.get(), &host::BusDepartures::departed, qApp,
                     [&hostObject](const QString& name) { hostObject.programLeft(name); });
    std::optional<host::ServedHostObject> service;
    try {
        service.emplace(bus, tracing ? static_cast<host::AutomationObject&>(*tracing)
                                     : static_cast<host::AutomationObject&>(hostObject));
    } catch (const host::ExportError& error) {
        report(error);
        return kServiceFailure;
    }

    // Made after the service, so that the name given up at the end is not
    // taken for a loss.
    host::BusLossWatch busWatch(bus, QString(host::dbus::kHostService));

    platform::TerminationSignals termination;
    QObject::connect(&termination, &platform::TerminationSignals::terminationRequested, qApp,
                     [] { QCoreApplication::exit(0); });

    std::unique_ptr<TerminalProgress> progress;
    std::unique_ptr<HostWindow> window;
    if (options.headless) {
        if (TerminalProgress::isTerminal(stderr))
            progress = std::make_unique<TerminalProgress>(*model, stderr);
    } else {
        window = std::make_unique<HostWindow>(*model, windows);
        window->show();
    }

    bool busLost = false;
    // Queued: a window's question waits in an event loop of its own, which
    // must not run inside the bus's delivery. Tied to the window, when there
    // is one, so that a late report never reaches a window that is gone.
    QObject* busLossContext = window ? static_cast<QObject*>(window.get()) : qApp;
    QObject::connect(
        &busWatch, &host::BusLossWatch::lost, busLossContext,
        [&busLost, &options, window = window.get()](const QString& reason) {
            busLost = true;
            reactToBusLoss(reason, options, window);
        },
        Qt::QueuedConnection);

    PluginLauncher launcher(appDir);
    QObject::connect(&launcher, &PluginLauncher::pluginFinished, qApp,
                     [headless = options.headless](const QString& name, bool crashed, int status) {
                         if (crashed)
                             report(QStringLiteral("plug-in %1 crashed").arg(name));
                         if (headless)
                             QCoreApplication::exit(crashed ? kServiceFailure : status);
                     });
    if (window) {
        QObject::connect(
            window.get(), &HostWindow::pluginLaunchRequested, &launcher,
            [&launcher](const QString& program, const std::optional<QString>& argument) {
                try {
                    launcher.launch(program, argument);
                } catch (const PluginError& error) {
                    report(error);
                }
            });
    }
    if (options.runProgram) {
        try {
            launcher.launch(*options.runProgram, options.runArgument);
        } catch (const PluginError& error) {
            report(error);
            return kStartFailure;
        }
    }

    const int status = QCoreApplication::exec();
    return saveOnExit(options, *model, busLost ? kServiceFailure : status);
}

// What QApplication is given: the program's name alone, since the host has
// read its own options and Qt must not take a plug-in's argument text (say
// "-reverse") for one of its own. A headless host needs no display at all,
// so it asks for the offscreen platform here rather than in the
// environment: the plug-ins it starts inherit the caller's environment and
// show their windows on the caller's display. A platform the caller chose
// holds for the host and the plug-ins alike. Ends with the null entry
// QApplication expects; must outlive the application.
std::vector<char*> applicationArguments(char* program, const HostOptions& options) {
    static char platformOption[] = "-platform";
    static char offscreenPlatform[] = "offscreen";
    std::vector<char*> arguments{program};
    if (options.headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        arguments.push_back(platformOption);
        arguments.push_back(offscreenPlatform);
    }
    arguments.push_back(nullptr);
    return arguments;
}

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemoryForReuse();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    HostOptions options;
    try {
        options = parseCommandLine(arguments);
    } catch (const CommandLineError& error) {
        report(error);
        return kStartFailure;
    }
    if (options.help) {
        std::fputs(qPrintable(usageText()), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(qPrintable(versionText()), stdout);
        return 0;
    }
    std::vector<char*> qtArguments = applicationArguments(argv[0], options);
    int qtArgc = static_cast<int>(qtArguments.size()) - 1;
    if (platform::reportMissingDisplay(qtArgc, qtArguments.data(), QStringLiteral("tallowick"),
                                       QStringLiteral("run with --headless to work without one")))
        return platform::kNoDisplayStatus;
    QApplication application(qtArgc, qtArguments.data());
    QCoreApplication::setApplicationName(QStringLiteral("tallowick"));
    return runHost(options);
}
