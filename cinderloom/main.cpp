// Cinderloom_pm: builds a new roll of film from the frames of the host's
// current animation. The host starts it; it reads no command line.
#include "cinderloom/Module1.h"
#include "link/DBusAutomationObject.h"
#include "plugin/startup/PluginProgram.h"

int main(int argc, char** argv) {
    plugin::PluginProgram program(argc, argv, QStringLiteral("Cinderloom"));
    cinderloom::Module1 module(program.handover());
    return program.run([&module] {
        module.startUp([] { return host::connectToHost(); });
        return plugin::StartUpOutcome::WindowsOpen;
    });
}
