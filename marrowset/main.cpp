// Marrowset_pm: holds a copy of the host's brush, or of the picture named on
// its command line, shows it, picks colours from it and applies it to the
// host's image. The host starts it with an optional argument: "CLIPBOARD"
// or the path of a picture file.
#include "link/DBusAutomationObject.h"
#include "marrowset/Module1.h"
#include "plugin/startup/PluginProgram.h"

int main(int argc, char** argv) {
    plugin::PluginProgram program(argc, argv, QStringLiteral("Marrowset"));
    marrowset::Module1 module(program.handover(), plugin::PluginProgram::commandLine());
    return program.run([&module] { return module.startUp([] { return host::connectToHost(); }); },
                       [&module] { module.closeMainWindow(); });
}
