#pragma once

#include "marrowset/Module1.h"
#include "plugin/StartUpOutcome.h"

#include <QString>
#include <memory>

namespace plugin {
class WindowHandover;
}

namespace marrowset {

class Form1;

// Marrowset as the host starts it: the module's state, and the main window,
// which the start-up hands to the host and the end of the program withdraws.
class Program {
public:
    // `commandLine`: the argument text the program was started with.
    Program(plugin::WindowHandover& handover, QString commandLine);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The start-up routine: the host object, the brush's size, and either
    // "no custom brush" (Ended) or the main window handed to the host and
    // loaded (WindowsOpen). Throws what a failing host call throws.
    plugin::StartUpOutcome startUp(const HostObjectFactory& createHostObject);

    Module1& module() { return module_; }
    Form1* mainWindow() const { return mainWindow_.get(); }
    // Ends the program as the window's close box does; without a window, the
    // event loop ends.
    void closeMainWindow();

private:
    plugin::WindowHandover& handover_;
    Module1 module_;
    std::unique_ptr<Form1> mainWindow_;
};

} // namespace marrowset
