// The stand-in host: serves its automation object on the session bus, shows
// its window (or runs headless), starts the plug-in named on its command line
// and saves its documents when it ends.
#include "platform/Memory.h"
#include "tallowick/service/HostRun.h"

int main(int argc, char** argv) {
    platform::keepFreedMemoryForReuse();
    return tallowick::HostRun(argc, argv).run();
}
