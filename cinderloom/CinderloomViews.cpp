// The cell strip and the film view, their number rulers, their scrollers and
// what happens when their containers change width.
#include "cinderloom/Cinderloom.h"
#include "cinderloom/Film.h"
#include "cinderloom/FilmPlayback.h"
#include "cinderloom/RetrievedCells.h"
#include "cinderloom/RulerDrawing.h"
#include "cinderloom/ViewEvents.h"
#include "cinderloom/ViewState.h"
#include "imaging/DibRelated.h"
#include "maker/widgets/HPropScroller.h"
#include "platform/Conversions.h"
#include "platform/FatalError.h"
#include "platform/PictureBox.h"

#include <QFrame>

namespace cinderloom {
namespace {

int32_t viewWidth(const platform::PictureBox& view) {
    return platform::toInt32(view.ScaleWidth());
}

int32_t viewHeight(const platform::PictureBox& view) {
    return platform::toInt32(view.ScaleHeight());
}

void showPlanes(platform::PictureBox& view, const ViewPlanes& planes) {
    imaging::DisplayPlanes(view, planes.width, planes.height, planes.red, planes.green,
                           planes.blue);
    view.Refresh();
}

// Draws into the ruler's image without refreshing it. Filled here rather
// than with Cls, which asks for a repaint: this runs inside the ruler's own
// repaints too.
void drawRuler(platform::PictureBox& ruler, int32_t count, const ScrollOffset& offset,
               const CellGeometry& geometry) {
    drawNumberRuler(ruler.deviceContext(), ruler.font(), ruler.BackColor(),
                    ruler.palette().color(QPalette::WindowText), count, offset.pixels(), geometry);
}

// The containers give their children the container's width less its two
// borders of 2 pixels. A container narrower than its borders leaves them as
// they are rather than give them a negative width.
void fitToContainer(QWidget& child, int containerWidth) {
    const int width = containerWidth - 4;
    if (width >= 0)
        child.resize(width, child.height());
}

} // namespace

CellGeometry Cinderloom::geometryOf(const platform::PictureBox& view) const {
    return cells_.sizes().geometryIn(viewHeight(view));
}

bool Cinderloom::filmCanvasFits() const {
    return viewWidth(*Picture2) == filmCanvas_.width && viewHeight(*Picture2) == filmCanvas_.height;
}

void Cinderloom::Picture1_Paint() {
    const int32_t height = viewHeight(*Picture1);
    const CellGeometry geometry = cells_.sizes().geometryIn(height);
    const int32_t cellCount = cells_.sizes().count;
    if (cellCount < 1 || geometry.width == 0)
        return;
    ViewPlanes planes(viewWidth(*Picture1), height);
    renderCellStrip(planes, cells_.store(), cellCount, geometry, view_.strip.pixels(),
                    view_.selectedCell);
    showPlanes(*Picture1, planes);
}

void Cinderloom::Picture2_Paint() {
    paintFilm(std::nullopt);
}

std::optional<CellGeometry> Cinderloom::filmCanvasGeometry() const {
    // A canvas of another size than the view is out of date; the resize that
    // is on its way remakes it.
    if (!filmCanvasFits())
        return std::nullopt;
    const CellGeometry geometry = geometryOf(*Picture2);
    if (geometry.width == 0)
        return std::nullopt;
    return geometry;
}

void Cinderloom::paintFilm(std::optional<int32_t> onlySlot) {
    const std::optional<CellGeometry> geometry = filmCanvasGeometry();
    if (!geometry)
        return;
    renderFilmSlots(filmCanvas_, cells_.store(), film_.slotCells(), *geometry, view_.film.pixels(),
                    onlySlot);
    showPlanes(*Picture2, filmCanvas_);
}

void Cinderloom::paintFilmSlots(std::span<const int32_t> chosen) {
    const std::optional<CellGeometry> geometry = filmCanvasGeometry();
    if (!geometry)
        return;
    renderChosenFilmSlots(filmCanvas_, cells_.store(), film_.slotCells(), *geometry,
                          view_.film.pixels(), chosen);
    showPlanes(*Picture2, filmCanvas_);
}

QRect Cinderloom::slotRect(int32_t slot) const {
    const ColumnSpan span =
        viewColumnsOf(slot, view_.film.pixels(), geometryOf(*Picture2), viewWidth(*Picture2));
    return span.empty() ? QRect() : QRect(span.first, 0, span.end - span.first, Picture2->height());
}

void Cinderloom::drawStripRuler() {
    drawRuler(*Picture7, cells_.sizes().count, view_.strip, geometryOf(*Picture1));
}

void Cinderloom::drawFilmRuler() {
    drawRuler(*Picture4, film_.length(), view_.film, geometryOf(*Picture2));
}

void Cinderloom::Picture7_Paint() {
    drawStripRuler();
    Picture7->Refresh();
}

void Cinderloom::Picture4_Paint() {
    drawFilmRuler();
    Picture4->Refresh();
}

void Cinderloom::HProp1_Scroll() {
    view_.strip.scrollTo(HProp1->Position(), geometryOf(*Picture1));
    Picture1_Paint();
    Picture7_Paint();
}

void Cinderloom::HProp2_Scroll() {
    view_.film.scrollTo(HProp2->Position(), geometryOf(*Picture2));
    Picture2_Paint();
    Picture4_Paint();
    playback_->placeMarker();
}

void Cinderloom::Picture2_Resize() {
    filmCanvas_ = ViewPlanes(viewWidth(*Picture2), viewHeight(*Picture2));
}

void Cinderloom::Picture3_Resize() {
    laidOutStripWidth_ = Picture3->width();
    fitToContainer(*Picture1, laidOutStripWidth_);
    fitToContainer(*Picture7, laidOutStripWidth_);
    fitToContainer(*HProp1, laidOutStripWidth_);
    HProp1->Refresh();
    Picture1_Paint();
    Picture7_Paint();
}

void Cinderloom::Picture5_Resize() {
    laidOutFilmWidth_ = Picture5->width();
    fitToContainer(*Picture2, laidOutFilmWidth_);
    // A hidden view learns of its new size only when shown, yet the film
    // below must be drawn on a canvas of that size now.
    if (!filmCanvasFits())
        Picture2_Resize();
    fitToContainer(*Picture4, laidOutFilmWidth_);
    fitToContainer(*HProp2, laidOutFilmWidth_);
    HProp2->Refresh();
    Picture2_Paint();
    Picture4_Paint();
    playback_->placeMarker();
}

void Cinderloom::connectViews() {
    // The containers come fitted to their design widths.
    laidOutStripWidth_ = Picture3->width();
    laidOutFilmWidth_ = Picture5->width();
    viewEvents_ = std::make_unique<ViewEventRouter>();
    ViewEventRouter& events = *viewEvents_;
    events.onPress(
        *Picture1, QStringLiteral("Picture1_MouseDown"),
        [this](int16_t b, int16_t s, float x, float y) { Picture1_MouseDown(b, s, x, y); });
    events.onPress(
        *Picture2, QStringLiteral("Picture2_MouseDown"),
        [this](int16_t b, int16_t s, float x, float y) { Picture2_MouseDown(b, s, x, y); });
    events.onMove(
        *Picture2, QStringLiteral("Picture2_MouseMove"),
        [this](int16_t b, int16_t s, float x, float y) { Picture2_MouseMove(b, s, x, y); });
    events.onRelease(
        *Picture2, QStringLiteral("Picture2_MouseUp"),
        [this](int16_t b, int16_t s, float x, float y) { Picture2_MouseUp(b, s, x, y); });
    events.onResize(
        *Picture2, QStringLiteral("Picture2_Resize"), [this] { return !filmCanvasFits(); },
        [this] { Picture2_Resize(); });
    events.onResize(
        *Picture3, QStringLiteral("Picture3_Resize"),
        [this] { return Picture3->width() != laidOutStripWidth_; }, [this] { Picture3_Resize(); });
    events.onResize(
        *Picture5, QStringLiteral("Picture5_Resize"),
        [this] { return Picture5->width() != laidOutFilmWidth_; }, [this] { Picture5_Resize(); });
    // The rulers keep no picture of their own: each repaint draws them
    // afresh before the box shows its image. Refreshing here would ask for
    // yet another repaint.
    events.onPaint(*Picture7, QStringLiteral("Picture7_Paint"), [this] { drawStripRuler(); });
    events.onPaint(*Picture4, QStringLiteral("Picture4_Paint"), [this] { drawFilmRuler(); });
    connect(HProp1, &maker::HPropScroller::Scroll, this, [this] {
        platform::runOrEnd(QStringLiteral("HProp1_Scroll"), [this] { HProp1_Scroll(); });
    });
    connect(HProp2, &maker::HPropScroller::Scroll, this, [this] {
        platform::runOrEnd(QStringLiteral("HProp2_Scroll"), [this] { HProp2_Scroll(); });
    });
}

} // namespace cinderloom
