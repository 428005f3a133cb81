#pragma once

#include "automation/ServedObject.h"
#include "cinderloom/StripRendering.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
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
class RetrievedCells;
class ViewEventRouter;
struct ViewState;

// The main window: the cell strip and the film with their rulers and
// scrollers, the wiggle controls and the action buttons. It shows and
// changes the program's cells, film and view state, which outlive it. The
// controls are children of the window (or of their containers), named as in
// the window's design.
class Cinderloom : public QWidget {
    Q_OBJECT

public:
    Cinderloom(host::AutomationObject& hostObject, RetrievedCells& cells, Film& film,
               ViewState& view, QWidget* parent = nullptr);
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

protected:
    // The unload question, whatever the cause of the closing.
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    static const host::ServedObject<Cinderloom>::Table& operations();

    // Creates and places every control (CinderloomLayout.cpp).
    void createControls();
    void createStripGroup();
    void createFilmGroup();
    void createBottomRow();
    void loadWallpaper();
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
    // Redraws `onlySlot` over the film canvas, or without it the whole film.
    void paintFilm(std::optional<int32_t> onlySlot);
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
};

} // namespace cinderloom
