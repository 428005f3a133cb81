#include "tallowick/service/HostRun.h"

#include "link/BusDepartures.h"
#include "link/BusLossWatch.h"
#include "link/DBusExport.h"
#include "link/DBusWire.h"
#include "link/DirectServer.h"
#include "platform/DisplayCheck.h"
#include "platform/TerminationSignals.h"
#include "tallowick/calls/HostObject.h"
#include "tallowick/calls/TracingObject.h"
#include "tallowick/documents/DocumentSaving.h"
#include "tallowick/model/HostModel.h"
#include "tallowick/plugins/PluginLauncher.h"
#include "tallowick/plugins/PluginPrograms.h"
#include "tallowick/recovery/AbandonedWork.h"
#include "tallowick/recovery/Autosave.h"
#include "tallowick/recovery/RecoveryFolders.h"
#include "tallowick/service/DBusWindowCaller.h"
#include "tallowick/service/FailedStep.h"
#include "tallowick/startup/HostStartup.h"
#include "tallowick/startup/TerminalProgress.h"
#include "tallowick/window/HostWindow.h"
#include "version/Version.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <optional>

namespace tallowick {

namespace {

// What QApplication is given: the program's name alone, since the host has
// read its own options and Qt must not take a plug-in's argument text (say
// "-reverse") for one of its own. A headless host needs no display at all,
// so it asks for the offscreen platform here rather than in the
// environment: the plug-ins it starts inherit the caller's environment and
// show their windows on the caller's display. A platform the caller chose
// holds for the host and the plug-ins alike. Ends with the null entry
// QApplication expects.
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

} // namespace

HostRun::HostRun(int argc, char** argv) : argc_(argc), argv_(argv) {}

HostRun::~HostRun() = default;

int HostRun::run() {
    try {
        return runSteps();
    } catch (const FailedStep& failure) {
        // The one place a failed step becomes what the host says and its
        // status; what the earlier steps made goes only after.
        report(failure.message());
        return failure.status();
    }
}

int HostRun::runSteps() {
    readCommandLine();
    if (options_.help) {
        std::fputs(qPrintable(usageText()), stdout);
        return 0;
    }
    if (options_.version) {
        std::fputs(qPrintable(versionText()), stdout);
        return 0;
    }
    if (!startApplication())
        return platform::kNoDisplayStatus;
    // First, so that a host asked to stop once it serves ends through its
    // normal end, saving as it does there; a request that comes before the
    // event loop runs is acted on when it starts.
    endOnTerminationSignals();
    openDocuments();
    findAbandonedWork();
    reachSessionBus();
    startTrace();
    followDepartures();
    serve();
    watchBusLoss();
    showWindowOrProgress();
    startAutosave();
    offerAbandonedWorkLater();
    reactToBusLossLater();
    prepareLauncher();
    startRequestedPlugin();
    return finish(QCoreApplication::exec());
}

void HostRun::readCommandLine() {
    QStringList arguments;
    for (int i = 1; i < argc_; ++i)
        arguments.append(QString::fromLocal8Bit(argv_[i]));
    options_ =
        failsWith<CommandLineError>(kStartFailure, [&] { return parseCommandLine(arguments); });
}

bool HostRun::startApplication() {
    qtArguments_ = applicationArguments(argv_[0], options_);
    qtArgc_ = static_cast<int>(qtArguments_.size()) - 1;
    if (platform::reportMissingDisplay(qtArgc_, qtArguments_.data(), QStringLiteral("tallowick"),
                                       QStringLiteral("run with --headless to work without one")))
        return false;
    application_ = std::make_unique<QApplication>(qtArgc_, qtArguments_.data());
    QCoreApplication::setApplicationName(QStringLiteral("tallowick"));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(version::kDesktopId));
    return true;
}

void HostRun::openDocuments() {
    appDir_ = QCoreApplication::applicationDirPath();
    model_ = failsWith<std::exception>(kStartFailure, [this] {
        probeSaveFolder();
        return createHostModel(options_, appDir_);
    });
}

void HostRun::probeSaveFolder() {
    // Found now, not after the work of the session is done.
    if (!options_.saveDir.isEmpty())
        failsWith<SaveError>(
            kStartFailure, [this] { prepareSaveFolder(options_.saveDir); },
            QStringLiteral("--save-dir "));
}

void HostRun::reachSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        throw FailedStep(kServiceFailure, QStringLiteral("cannot reach the session bus: ") +
                                              bus.lastError().message());
    bus_ = std::make_unique<QDBusConnection>(bus);
    windows_ = std::make_unique<DBusWindowCaller>(bus);
    hostObject_ = std::make_unique<HostObject>(*model_, *windows_);
}

void HostRun::startTrace() {
    if (options_.tracePath.isEmpty())
        return;
    tracing_ = failsWith<TraceError>(
        kStartFailure, [this] { return TracingObject::toFile(*hostObject_, options_.tracePath); });
}

void HostRun::followDepartures() {
    // Followed before the name is claimed, so that no caller can leave unseen.
    departures_ = failsWith<host::BusWatchError>(
        kServiceFailure, [this] { return std::make_unique<host::BusDepartures>(*bus_); });
    QObject::connect(departures_.get(), &host::BusDepartures::departed, qApp,
                     [this](const QString& name) { hostObject_->programLeft(name); });
}

void HostRun::serve() {
    host::AutomationObject& served = tracing_ ? static_cast<host::AutomationObject&>(*tracing_)
                                              : static_cast<host::AutomationObject&>(*hostObject_);
    service_ = failsWith<host::ExportError>(kServiceFailure, [&] {
        return std::make_unique<host::ServedHostObject>(*bus_, served,
                                                        host::DirectCalls::Offered);
    });
    // A program whose direct connections all closed has left, as far as the
    // host is concerned, even before its bus name goes.
    if (host::dbus::DirectServer* direct = service_->directServer())
        QObject::connect(direct, &host::dbus::DirectServer::callerGone, qApp,
                         [this](const QString& name) { hostObject_->programLeft(name); });
}

void HostRun::watchBusLoss() {
    // Made after the service, so that the name given up at the end is not
    // taken for a loss.
    busWatch_ = std::make_unique<host::BusLossWatch>(*bus_, QString(host::dbus::kHostService));
}

void HostRun::endOnTerminationSignals() {
    termination_ = std::make_unique<platform::TerminationSignals>();
    QObject::connect(termination_.get(), &platform::TerminationSignals::terminationRequested, qApp,
                     [] { QCoreApplication::exit(0); });
}

void HostRun::showWindowOrProgress() {
    if (options_.headless) {
        if (TerminalProgress::isTerminal(stderr))
            progress_ = std::make_unique<TerminalProgress>(model_->progress(), stderr);
    } else {
        window_ = std::make_unique<HostWindow>(*model_, *windows_);
        window_->show();
    }
}

void HostRun::reactToBusLossLater() {
    // Queued: a window's question waits in an event loop of its own, which
    // must not run inside the bus's delivery. Tied to the window, when there
    // is one, so that a late report never reaches a window that is gone.
    QObject* context = window_ ? static_cast<QObject*>(window_.get()) : qApp;
    QObject::connect(
        busWatch_.get(), &host::BusLossWatch::lost, context,
        [this, window = window_.get()](const QString& reason) {
            busLost_ = true;
            reactToBusLoss(reason, options_, window);
        },
        Qt::QueuedConnection);
}

void HostRun::prepareLauncher() {
    launcher_ = std::make_unique<PluginLauncher>(appDir_);
    QObject::connect(launcher_.get(), &PluginLauncher::pluginFinished, qApp,
                     [headless = options_.headless](const QString& name, bool crashed, int status) {
                         if (crashed)
                             report(QStringLiteral("plug-in %1 crashed").arg(name));
                         if (headless)
                             QCoreApplication::exit(crashed ? kServiceFailure : status);
                     });
    if (!window_)
        return;
    QObject::connect(window_.get(), &HostWindow::pluginLaunchRequested, launcher_.get(),
                     [launcher = launcher_.get()](const QString& program,
                                                  const std::optional<QString>& argument) {
                         try {
                             launcher->launch(program, argument);
                         } catch (const PluginError& error) {
                             report(QString::fromLocal8Bit(error.what()));
                         }
                     });
}

void HostRun::startRequestedPlugin() {
    if (options_.runProgram)
        failsWith<PluginError>(kStartFailure, [this] {
            launcher_->launch(*options_.runProgram, options_.runArgument);
        });
}

void HostRun::findAbandonedWork() {
    const QString root = recoveryRoot();
    recoveryFolder_ = std::make_unique<OwnRecoveryFolder>(root);
    abandoned_ = claimAbandonedFolders(root);
    if (!options_.headless)
        return;
    // Nobody can be asked here: the work waits for a host with a window.
    for (const AbandonedFolder& folder : abandoned_)
        report(keptWorkLine(folder));
    abandoned_.clear();
}

void HostRun::startAutosave() {
    if (options_.autosaveSeconds == 0)
        return;
    autosave_ = std::make_unique<Autosave>(model_->documents(), *recoveryFolder_,
                                           std::chrono::seconds(options_.autosaveSeconds));
    QObject::connect(autosave_.get(), &Autosave::failed, qApp,
                     [window = window_.get()](const QString& text) {
                         report(text);
                         if (window)
                             window->showAutosaveFailure(text);
                     });
}

void HostRun::offerAbandonedWorkLater() {
    // Once the window shows, behind the question.
    if (window_ && !abandoned_.empty())
        QTimer::singleShot(0, window_.get(), [this] {
            window_->offerRecovery(abandoned_, *recoveryFolder_);
            abandoned_.clear();
        });
}

void HostRun::endRecoveryFolder(int status) {
    if (status != 0) {
        if (!recoveryFolder_->path().isEmpty())
            report(QStringLiteral("the recovery folder %1 is kept, as the host did not end "
                                  "cleanly; the next host with a window offers to reopen it")
                       .arg(recoveryFolder_->path()));
        return;
    }
    try {
        recoveryFolder_->remove();
    } catch (const RecoveryFolderError& error) {
        report(QString::fromLocal8Bit(error.what()));
    }
}

int HostRun::finish(int status) {
    if (autosave_)
        autosave_->stop();
    if (busLost_)
        status = kServiceFailure;
    // A failure to save turns a clean exit into a failing one, since the
    // documents the user asked for are missing.
    if (!options_.saveDir.isEmpty())
        failsWith<SaveError>(status == 0 ? kServiceFailure : status, [this] {
            saveDocuments(model_->documents().all(), options_.saveDir);
        });
    endRecoveryFolder(status);
    return status;
}

} // namespace tallowick
