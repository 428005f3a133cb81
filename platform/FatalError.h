#pragma once

#include "platform/ScopedOverride.h"

#include <QString>
#include <exception>
#include <functional>
#include <utility>

namespace platform {

// Ends the program after a failure it cannot go on from: writes `text` on
// standard error, shows it in a message box with the program's title and the
// critical icon, and calls the exit handler with a non-zero status. Returns
// only when a test has installed an exit handler that returns.
void endWithError(const QString& text);

// The text endWithError shows for an error that escaped `where` (an event
// handler, the start-up): the place, then the error's own message, which
// names the failing call and the reason.
QString fatalErrorText(const QString& where, const std::exception& error);

// Receives the exit status once the failure has been reported. The default
// ends the process at once; tests install one that records the status.
using ExitHandler = std::function<void(int status)>;
// An empty handler puts the default back. Returns the handler installed before.
ExitHandler setExitHandler(ExitHandler handler);
using ScopedExitHandler = ScopedOverride<ExitHandler, &setExitHandler>;

// Runs `work`, a handler that traps nothing. Qt event handlers must not let
// an exception pass into the event loop, so whatever escapes `work` ends the
// program through endWithError, naming `where`.
template <typename Work> void runOrEnd(const QString& where, Work&& work) noexcept {
    try {
        std::forward<Work>(work)();
    } catch (const std::exception& error) {
        endWithError(fatalErrorText(where, error));
    } catch (...) {
        endWithError(where + QStringLiteral(": an error of unknown kind"));
    }
}

} // namespace platform
