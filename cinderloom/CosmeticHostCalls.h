#pragma once

#include "automation/AutomationObject.h"

namespace cinderloom {

// Runs host calls that only dress the work up (progress reports, the
// wallpaper, the starting folder): a host that cannot answer one must not
// stop the work. A failing host call (host::HostCallError) ends `calls`
// where it failed and is forgotten; any other failure goes on to the caller.
template <typename Calls> void ignoringHostCallFailure(Calls&& calls) {
    try {
        calls();
    } catch (const host::HostCallError&) {
        // Nothing to tell: the calls only decorated.
    }
}

} // namespace cinderloom
