// A minimal plug-in for the host's lifetime tests: it connects to the host
// that started it, makes a 2-frame animation, prints the display platform it
// inherited on standard output and ends with the status given as its
// argument.
#include "link/DBusAutomationObject.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        const auto hostObject = host::connectToHost();
        hostObject->Invoke("tal_CreateAnimAdv", {int32_t{2}, int16_t{2}});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "e2e_probe: %s\n", error.what());
        return 1;
    }
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        std::printf("e2e_probe: QT_QPA_PLATFORM=%s\n", qgetenv("QT_QPA_PLATFORM").constData());
    else
        std::printf("e2e_probe: QT_QPA_PLATFORM unset\n");
    return app.arguments().size() > 1 ? app.arguments()[1].toInt() : 0;
}
