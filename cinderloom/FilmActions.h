#pragma once

#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace cinderloom {

// What the film's actions do; each runs as an event of the window under the
// action's name.
struct FilmActionHandlers {
    std::function<void()> undo;
    std::function<void()> redo;
    std::function<void()> open;
    std::function<void()> save;
    std::function<void()> play;
    // The Menu key and Shift+F10.
    std::function<void()> showMenu;
};

// What decides which actions can run.
struct FilmActionState {
    bool canUndo = false;
    bool canRedo = false;
    int32_t filmLength = 0;
    bool hasCells = false;
    bool playing = false;
};

// The film's actions with their keys, taken anywhere in `window`, and the
// menu that lists them: Undo, Redo, Open film..., Save film as..., Play.
// All are children of the window.
class FilmActions {
public:
    FilmActions(QWidget& window, const FilmActionHandlers& handlers);

    // Disables what cannot run: Undo and Redo with nothing to take back or
    // re-apply, Save for a film no time sheet holds (saying so), Play without
    // cells unless it plays; Play is checked while it plays.
    void update(const FilmActionState& state);

    QAction* Undo = nullptr;
    QAction* Redo = nullptr;
    QAction* Open = nullptr;
    QAction* Save = nullptr;
    QAction* Play = nullptr;
    QMenu* Menu = nullptr;
};

} // namespace cinderloom
