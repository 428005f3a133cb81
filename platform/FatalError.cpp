#include "platform/FatalError.h"

#include "platform/MessageBox.h"
#include "platform/ProgramTitle.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace platform {
namespace {

// The failure may surface deep inside the event loop, with the application
// object still alive on main's stack; running the static destructors from
// there is not safe, so the process ends without them once the output is out.
void endProcess(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

ExitHandler& installedExitHandler() {
    static ExitHandler handler;
    return handler;
}

} // namespace

QString fatalErrorText(const QString& where, const std::exception& error) {
    // The library's own text for exhausted memory names no reason a user
    // could read.
    const QString reason = dynamic_cast<const std::bad_alloc*>(&error)
                               ? QStringLiteral("out of memory")
                               : QString::fromLocal8Bit(error.what());
    return where + QStringLiteral(": ") + reason;
}

void endWithError(const QString& text) {
    constexpr int failureStatus = 1;
    std::fprintf(stderr, "%s: %s\n", qPrintable(programTitle()), qPrintable(text));
    std::fflush(stderr);
    try {
        showMessageBox(text, MessageBoxButtons::Ok, MessageBoxIcon::Critical);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: the message box could not be shown: %s\n",
                     qPrintable(programTitle()), error.what());
    }
    const ExitHandler& handler = installedExitHandler();
    if (handler)
        handler(failureStatus);
    else
        endProcess(failureStatus);
}

ExitHandler setExitHandler(ExitHandler handler) {
    ExitHandler previous = std::move(installedExitHandler());
    installedExitHandler() = std::move(handler);
    return previous;
}

} // namespace platform
