#pragma once

#include "automation/AutomationObject.h"
#include "cinderloom/CellStore.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace plugin {
class WindowHandover;
}

namespace cinderloom {

class CLOptions;
class Cinderloom;

// Start-up step 1: creates the host object (the D-Bus connection in the
// program, a fake in tests).
using HostObjectFactory = std::function<std::unique_ptr<host::AutomationObject>()>;

// The module-wide state of the program and the routines tied to no window:
// the start-up, the frame retrieval, the film's creation and the hand-over of
// the two windows.
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

    // Fills the cell store from every frame of the host's current animation
    // under the host's progress display. Fewer than 2 frames: "No animation",
    // the sizes read are kept and the store is left as it was. A plane that
    // does not cover its frame is a host::PlaneShapeError naming the method.
    void RetrieveFrames();

    // A film of `length` empty slots in place of the old one.
    // std::bad_alloc or std::length_error when it cannot be allocated.
    void createFilm(int32_t length);

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

    // W, H and N: the host's buffer width and height and its frame count as
    // last read. The store keeps its own extents.
    int32_t width = 0;
    int32_t height = 0;
    int32_t cellCount = 0;
    CellStore cells;
    // L and the film: the cell shown by each slot of the new roll, -1 for an
    // empty slot.
    int32_t filmLength = 0;
    std::vector<int16_t> film;
    int32_t selectedCell = 0;
    // Pixel positions of cell 0 and slot 0 in their views, 0 or negative.
    int32_t stripOffset = 0;
    int32_t filmOffset = 0;
    // The one film slot to redraw, or -1 for the whole film.
    int32_t redrawSlot = 0;
    // The main window's outer height in twips when it loaded.
    int32_t formHeightAtLoad = 0;

private:
    void enterHostApplicationDirectory();
    // Tal_SendFormObject with the window's reference and the 16-bit 0.
    void sendFormObject(host::AutomationObject& window);
    void copyFrame(int32_t frame);
    // The store for `frames` cells of the given extents; CellStoreError
    // naming the host calls the sizes came from when it cannot be held.
    CellStore storeFor(int64_t columns, int64_t rows, int32_t frames) const;

    plugin::WindowHandover& handover_;
    std::unique_ptr<host::AutomationObject> hostObject_;
    std::unique_ptr<CLOptions> optionsDialog_;
    std::unique_ptr<Cinderloom> mainWindow_;
};

} // namespace cinderloom
