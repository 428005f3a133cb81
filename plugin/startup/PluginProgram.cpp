#include "plugin/startup/PluginProgram.h"

#include "platform/DisplayCheck.h"
#include "platform/FatalError.h"
#include "platform/Memory.h"
#include "platform/ProgramTitle.h"
#include "platform/TerminationSignals.h"
#include "plugin/startup/UnansweredHost.h"

#include <QDBusConnection>
#include <QStringList>
#include <cstdlib>

namespace plugin {

PluginProgram::MemorySetting::MemorySetting() {
    platform::keepFreedMemoryForReuse();
}

PluginProgram::DisplayRequirement::DisplayRequirement(int argc, char** argv, const QString& title) {
    // Nothing but the memory setting exists yet, so the process may end here
    // as Qt's own check would, only with a message a user can act on.
    if (platform::reportMissingDisplay(
            argc, argv, title, QStringLiteral("set QT_QPA_PLATFORM=offscreen to run without one")))
        std::exit(platform::kNoDisplayStatus);
}

PluginProgram::PluginProgram(int& argc, char** argv, const QString& title)
    : display_(argc, argv, title), application_(argc, argv),
      handover_(QDBusConnection::sessionBus()), question_(&askWhetherToWaitForHost) {
    platform::setProgramTitle(title);
}

QString PluginProgram::commandLine() {
    return QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
}

int PluginProgram::run(const std::function<StartUpOutcome()>& startUp,
                       const std::function<void()>& onStopRequest) {
    platform::TerminationSignals stopRequests;
    QObject::connect(&stopRequests, &platform::TerminationSignals::terminationRequested,
                     &application_, [&onStopRequest] {
                         if (onStopRequest)
                             platform::runOrEnd(QStringLiteral("Stop request"), onStopRequest);
                         else
                             QCoreApplication::exit(0);
                     });
    StartUpOutcome outcome = StartUpOutcome::Ended;
    platform::runOrEnd(QStringLiteral("Start-up"), [&] { outcome = startUp(); });
    if (outcome == StartUpOutcome::Ended)
        return 0;
    return QApplication::exec();
}

} // namespace plugin
