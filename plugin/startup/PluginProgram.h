#pragma once

#include "link/ReplyWait.h"
#include "plugin/StartUpOutcome.h"
#include "plugin/startup/DBusWindowHandover.h"

#include <QApplication>
#include <QString>
#include <functional>

namespace plugin {

// The life of a plug-in program: the application with the program's title,
// the hand-over of its windows on the session bus, the start-up and the
// event loop. Without a display it ends at once, with status 2 and a
// one-line message. Whatever escapes the start-up ends the program through the
// fatal-error path, naming "Start-up". A call the host leaves unanswered for
// a while puts askWhetherToWaitForHost to the user (UnansweredHost.h), and
// SIGTERM and SIGINT end the program at once while a call waits.
class PluginProgram {
public:
    PluginProgram(int& argc, char** argv, const QString& title);
    PluginProgram(const PluginProgram&) = delete;
    PluginProgram& operator=(const PluginProgram&) = delete;

    WindowHandover& handover() { return handover_; }

    // The argument text the program was started with: everything after its
    // own name (Qt's own options taken out), joined by single spaces.
    static QString commandLine();

    // Runs `startUp`, then the event loop while windows are open. Returns the
    // program's exit status. A request to stop (SIGTERM, SIGINT) runs
    // `onStopRequest`, which ends the program its own way (say, by closing
    // its window as the close box would); without one the loop ends at once.
    int run(const std::function<StartUpOutcome()>& startUp,
            const std::function<void()>& onStopRequest = {});

private:
    // Set before anything else is allocated.
    struct MemorySetting {
        MemorySetting();
    };
    // Ends the process with a message when there is no display, before the
    // application object would end it with an abort.
    struct DisplayRequirement {
        DisplayRequirement(int argc, char** argv, const QString& title);
    };

    MemorySetting memory_;
    DisplayRequirement display_;
    QApplication application_;
    DBusWindowHandover handover_;
    host::ScopedUnansweredCallQuestion question_;
};

} // namespace plugin
