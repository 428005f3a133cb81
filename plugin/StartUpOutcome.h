#pragma once

namespace plugin {

// What a plug-in's start-up leaves behind.
enum class StartUpOutcome {
    // Windows are open; the program lives until the last one closes.
    WindowsOpen,
    // The start-up refused to go on (after telling the user why).
    Ended,
};

} // namespace plugin
