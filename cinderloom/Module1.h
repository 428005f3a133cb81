#pragma once

#include "automation/AutomationObject.h"
#include "cinderloom/Film.h"
#include "cinderloom/FilmHistory.h"
#include "cinderloom/RetrievedCells.h"
#include "cinderloom/ViewState.h"

#include <functional>
#include <memory>

namespace plugin {
class WindowHandover;
}

namespace cinderloom {

class CLOptions;
class Cinderloom;

// Start-up step 1: creates the host object (the D-Bus connection in the
// program, a fake in tests).
using HostObjectFactory = std::function<std::unique_ptr<host::AutomationObject>()>;

// The program: its state for the life of the process (the host object, the
// cells, the film and its history, and where the views stand), the start-up, and the two
// windows, which it creates, hands to the host and withdraws again.
class Module1 {
public:
    explicit Module1(plugin::WindowHandover& handover);
    ~Module1();
    Module1(const Module1&) = delete;
    Module1& operator=(const Module1&) = delete;

    // The start-up routine: host object, the host's application directory as
    // the current one, the filter library's first call, the retrieval, and the
    // options dialog handed to the host and shown.
    void startUp(const HostObjectFactory& createHostObject);

    // The retrieval of the host's frames into the cells (see retrieveFrames).
    void RetrieveFrames();

    // Creates the main window if it does not exist yet, runs its load step,
    // hands it to the host and shows it.
    void showMainWindow();

    // The options dialog has done its work: the host can no longer reach it
    // and it stays hidden.
    void retireOptionsDialog();

    // Throws std::logic_error before the start-up created it.
    host::AutomationObject& hostObject() const;
    CLOptions* optionsDialog() const { return optionsDialog_.get(); }
    Cinderloom* mainWindow() const { return mainWindow_.get(); }

    RetrievedCells& cells() { return cells_; }
    const RetrievedCells& cells() const { return cells_; }
    Film& film() { return film_; }
    const Film& film() const { return film_; }
    FilmHistory& history() { return history_; }
    const FilmHistory& history() const { return history_; }
    ViewState& view() { return view_; }
    const ViewState& view() const { return view_; }

private:
    void enterHostApplicationDirectory();
    // Tal_SendFormObject with the window's reference and the 16-bit 0.
    void sendFormObject(host::AutomationObject& window);

    plugin::WindowHandover& handover_;
    std::unique_ptr<host::AutomationObject> hostObject_;
    RetrievedCells cells_;
    Film film_;
    FilmHistory history_;
    ViewState view_;
    // After the state they show, so that they go first.
    std::unique_ptr<CLOptions> optionsDialog_;
    std::unique_ptr<Cinderloom> mainWindow_;
};

} // namespace cinderloom
