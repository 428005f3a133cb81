#pragma once

#include "automation/ServedObject.h"
#include "cinderloom/StripRendering.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QCheckBox;
class QFrame;
class QLabel;
class QStatusBar;

namespace maker {
class HPropScroller;
class VxButton;
class VxDropSlider;
} // namespace maker

namespace platform {
class PictureBox;
}

namespace cinderloom {

class Film;
class FilmActions;
class FilmHistory;
class FilmPlayback;
class RetrievedCells;
class SlotMarker;
class ViewEventRouter;
struct FilmRestoration;
struct ViewState;

// The main window: the cell strip and the film with their rulers and
// scrollers, the wiggle controls and the action buttons, and the film's
// actions with their keys and their menu. It shows and changes the
// program's cells, film, film history and view state, which outlive it. The
// controls are children of the window (or of their containers), named as in
// the window's design.
class Cinderloom : public QWidget {
    Q_OBJECT

public:
    Cinderloom(host::AutomationObject& hostObject, RetrievedCells& cells, Film& film,
               FilmHistory& history, ViewState& view, QWidget* parent = nullptr);
    ~Cinderloom() override;

    // What the host may call, matched without regard to case: PrefsCallback
    // (target), Picture1_Paint, Picture2_Paint. An unknown operation or a
    // wrong argument count is the table's host::HostCallError; a failure
    // inside PrefsCallback goes back to the caller the same way, a failure
    // inside the paints ends the program (CinderloomOperations.cpp).
    host::AutomationObject& automation() { return automation_; }

    // The load step: wallpaper, the height at load, the scroller ranges and
    // the first drawing of both views.
    void Form_Load();
    // The main window's outer height in twips when it loaded; 0 before.
    int32_t formHeightAtLoad() const { return formHeightAtLoad_; }
    void Picture1_Paint();
    // The whole film, as the host's operation of that name draws it.
    void Picture2_Paint();

    // The views' rulers, scrollers and size changes (CinderloomViews.cpp).
    void Picture7_Paint();
    void Picture4_Paint();
    void HProp1_Scroll();
    void HProp2_Scroll();
    void Picture2_Resize();
    void Picture3_Resize();
    void Picture5_Resize();
    // Choosing a cell and painting it onto the film (CinderloomPainting.cpp).
    // button is a bit set: 1 left, 2 right, 4 middle; x, y in the view's
    // pixels.
    void Picture1_MouseDown(int16_t button, int16_t shift, float x, float y);
    void Picture2_MouseDown(int16_t button, int16_t shift, float x, float y);
    void Picture2_MouseMove(int16_t button, int16_t shift, float x, float y);
    // The last button let go ends the stroke: one undoable step.
    void Picture2_MouseUp(int16_t button, int16_t shift, float x, float y);

    // The film's steps (CinderloomFilmSteps.cpp). Undo and redo redraw only
    // the slots they changed, or the whole film when its length changed.
    void undoFilmStep();
    void redoFilmStep();
    // The time sheet at `path` as the film, one undoable step; a file it
    // cannot take changes nothing, and a message names it and the reason.
    void openFilm(const QString& path);
    void saveFilmAs(const QString& path);

    // Playing the film in a window of its own, its slot marked in the film
    // view.
    FilmPlayback& playback() { return *playback_; }
    // The film's actions and their menu (CinderloomActions.cpp).
    const FilmActions& filmActions() const { return *filmActions_; }
    // Recolours target, a reference to this main window, with the host's
    // theme read afresh from the settings store (CinderloomTheme.cpp). A bad
    // theme value or a target that is not such a window throws before any
    // colour changes; after that each failing setting is skipped.
    void PrefsCallback(const host::ObjectRef& target);

    // Keeps the height at load and lets the strip groups follow the width
    // (CinderloomLayout.cpp).
    void Form_Resize();
    // The backdrop: the wallpaper tiled over the window (CinderloomBackdrop.cpp).
    void Form_Paint();
    // Tiles Image1's picture over target's drawing area; paints on target, so
    // it runs only inside target's paint event. Nothing without a picture.
    void Draw_Pattern(QWidget& target);
    // The controls in their design order, the window's Controls collection.
    std::vector<QWidget*> Controls() const;

    void vx_button1_Click();
    // "Shoot it": a new animation in the host, one frame per film slot, each
    // wiggled when "Wiggle hold" is checked (CinderloomShooting.cpp).
    void vx_button2_Click();
    void vx_button3_Click();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    maker::VxButton* vx_button1 = nullptr;
    maker::VxButton* vx_button2 = nullptr;
    maker::VxButton* vx_button3 = nullptr;
    QFrame* Picture3 = nullptr;
    QFrame* Picture5 = nullptr;
    platform::PictureBox* Picture1 = nullptr;
    platform::PictureBox* Picture2 = nullptr;
    platform::PictureBox* Picture4 = nullptr;
    platform::PictureBox* Picture7 = nullptr;
    maker::HPropScroller* HProp1 = nullptr;
    maker::HPropScroller* HProp2 = nullptr;
    QWidget* Line1 = nullptr;
    QWidget* Line2 = nullptr;
    QCheckBox* Check1 = nullptr;
    maker::VxDropSlider* VX_DropSlider1 = nullptr;
    maker::VxDropSlider* VX_DropSlider2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* Image1 = nullptr;

    // Over the film view: the slot the playback shows.
    SlotMarker* PlayedSlotMarker = nullptr;

protected:
    // The unload question, whatever the cause of the closing.
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // The film menu, for a right-click on the window's backdrop.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    static const host::ServedObject<Cinderloom>::Table& operations();

    // Creates and places every control (CinderloomLayout.cpp).
    void createControls();
    void createStripGroup();
    void createFilmGroup();
    void createBottomRow();
    void loadWallpaper();
    void createActions();
    // Which actions can run now.
    void updateActionStates();
    void showFilmMenu(const QPoint& globalPosition);
    // Whether a right-click at `position` falls on the window itself or its
    // labels and lines, rather than on a view or a control.
    bool isBackdropAt(const QPoint& position) const;
    // The scroller ranges and both views, after the cells or the film were
    // made anew.
    void showCellsAndFilm();
    // Routes the views' mouse, size and ruler paint events and the scrollers
    // to their handlers (CinderloomViews.cpp).
    void connectViews();
    // How cells lie in `view`, from the sizes the host reported last.
    CellGeometry geometryOf(const platform::PictureBox& view) const;
    // Draw the rulers into their images without refreshing them.
    void drawStripRuler();
    void drawFilmRuler();
    // Whether the film canvas has the film view's size.
    bool filmCanvasFits() const;
    // How slots lie on the film canvas; none while the canvas is out of
    // date or slots have no width.
    std::optional<CellGeometry> filmCanvasGeometry() const;
    // Redraws `onlySlot` over the film canvas, or without it the whole film.
    void paintFilm(std::optional<int32_t> onlySlot);
    // Redraws only the `chosen` slots over the film canvas.
    void paintFilmSlots(std::span<const int32_t> chosen);
    // The scroller's range, the film view and its ruler, after the film's
    // length may have changed.
    void showWholeFilm();
    void showRestoration(const FilmRestoration& restoration);
    // The film view's columns of `slot`; empty out of sight.
    QRect slotRect(int32_t slot) const;
    void SetFilmSlot(int32_t slot, int32_t cell);
    void shootFilm();
    // Displaces one frame of W × H pixels by the filter library's noise, with
    // two fresh depths from the program's random generator.
    void WiggleWarp(int32_t amount, int32_t size, const host::ByteArray& sourceRed,
                    const host::ByteArray& sourceGreen, const host::ByteArray& sourceBlue,
                    host::ByteArray& red, host::ByteArray& green, host::ByteArray& blue);

    host::AutomationObject& host_;
    RetrievedCells& cells_;
    Film& film_;
    FilmHistory& history_;
    ViewState& view_;
    host::ServedObject<Cinderloom> automation_;
    int32_t formHeightAtLoad_ = 0;
    // The film view's picture, kept between redraws so that one slot can be
    // redrawn alone; its size is the view's at the last Picture2_Resize.
    ViewPlanes filmCanvas_;
    // The container widths the strip groups were last fitted to.
    int laidOutStripWidth_ = 0;
    int laidOutFilmWidth_ = 0;
    // Owned here rather than as a child, so that it is gone before the
    // window's controls, whose last events would otherwise reach a window
    // already half destroyed.
    std::unique_ptr<ViewEventRouter> viewEvents_;
    bool centredOnce_ = false;
    std::unique_ptr<FilmActions> filmActions_;
    std::unique_ptr<FilmPlayback> playback_;
};

} // namespace cinderloom
