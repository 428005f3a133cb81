// Marrowset_pm: holds a copy of the host's brush, or of the picture named on
// its command line, shows it, picks colours from it and applies it to the
// host's image. The host starts it with an optional argument: "CLIPBOARD"
// or the path of a picture file.
#include "link/DBusAutomationObject.h"
#include "marrowset/Program.h"
#include "plugin/startup/PluginProgram.h"

int main(int argc, char** argv) {
    plugin::PluginProgram plugin(argc, argv, QStringLiteral("Marrowset"));
    marrowset::Program marrowset(plugin.handover(), plugin::PluginProgram::commandLine());
    return plugin.run(
        [&marrowset] { return marrowset.startUp([] { return host::connectToHost(); }); },
        [&marrowset] { marrowset.closeMainWindow(); });
}
