// Cinderloom_pm: builds a new roll of film from the frames of the host's
// current animation. The host starts it; it reads no command line.
#include "cinderloom/DBusWindowHandover.h"
#include "cinderloom/Module1.h"
#include "host/DBusAutomationObject.h"
#include "platform/FatalError.h"
#include "platform/Memory.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QDBusConnection>

int main(int argc, char** argv) {
    platform::keepFreedMemoryForReuse();
    QApplication app(argc, argv);
    platform::setProgramTitle(QStringLiteral("Cinderloom"));

    cinderloom::DBusWindowHandover handover(QDBusConnection::sessionBus());
    cinderloom::Module1 module(handover);
    platform::runOrEnd(QStringLiteral("Start-up"),
                       [&module] { module.startUp([] { return host::connectToHost(); }); });
    return app.exec();
}
