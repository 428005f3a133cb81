#pragma once

#include "platform/DisplayCheck.h"

#include <QLatin1StringView>

// The statuses the host ends with, as main returns them and the manual page
// lists them.
namespace tallowick {

// The host could not serve: no session bus, another host owns the name, the
// bus was lost, or the documents could not be saved at the end.
inline constexpr int kServiceFailure = 1;
// Start-up failures: a bad option, a picture that cannot be read, a plug-in
// that is not there, no display.
inline constexpr int kStartFailure = 2;
// A host without a display ends as any program of ours does without one.
static_assert(platform::kNoDisplayStatus == kStartFailure);

struct ExitStatusDescription {
    int status;
    QLatin1StringView meaning;
};

inline constexpr ExitStatusDescription kExitStatuses[] = {
    {0, QLatin1StringView("the host ended as asked: its window was closed, or it received "
                          "SIGTERM or SIGINT. A headless host started with --run ends with the "
                          "status of that plug-in instead")},
    {kServiceFailure,
     QLatin1StringView("the host could not serve: there is no session bus, another host owns "
                       "its name, it lost the bus, the documents could not be saved under "
                       "--save-dir at the end, or the plug-in of a headless host crashed")},
    {kStartFailure,
     QLatin1StringView("the host could not start: an option it cannot follow, a picture it "
                       "cannot read, a document larger than the memory budget, a --save-dir folder "
                       "it cannot write to, a --trace file it "
                       "cannot create, a plug-in that is not there, or no display without "
                       "--headless")},
};

} // namespace tallowick
