// The cell strip and the film view, their number rulers, their scrollers and
// what happens when their containers change width.
#include "cinderloom/Cinderloom.h"
#include "cinderloom/Module1.h"
#include "imaging/DibRelated.h"
#include "maker/widgets/HPropScroller.h"
#include "platform/Conversions.h"
#include "platform/PictureBox.h"

#include <QFontMetrics>
#include <QFrame>
#include <QPainter>
#include <algorithm>

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

// The containers give their children the container's width less its two
// borders of 2 pixels. A container narrower than its borders leaves them as
// they are rather than give them a negative width.
void fitToContainer(QWidget& child, int containerWidth) {
    const int width = containerWidth - 4;
    if (width >= 0)
        child.resize(width, child.height());
}

} // namespace

void Cinderloom::Picture1_Paint() {
    const int32_t height = viewHeight(*Picture1);
    const CellGeometry geometry = cellGeometry(module_.width, module_.height, height);
    if (module_.cellCount < 1 || geometry.width == 0)
        return;
    ViewPlanes planes(viewWidth(*Picture1), height);
    renderCellStrip(planes, module_.cells, module_.cellCount, geometry, module_.stripOffset,
                    module_.selectedCell);
    showPlanes(*Picture1, planes);
}

void Cinderloom::Picture2_Paint() {
    const int32_t width = viewWidth(*Picture2);
    const int32_t height = viewHeight(*Picture2);
    // A canvas of another size than the view is out of date; the resize that
    // is on its way remakes it.
    if (width != filmCanvas_.width || height != filmCanvas_.height)
        return;
    const CellGeometry geometry = cellGeometry(module_.width, module_.height, height);
    if (geometry.width == 0)
        return;
    const std::size_t length =
        std::min(module_.film.size(), static_cast<std::size_t>(std::max(module_.filmLength, 0)));
    renderFilmSlots(filmCanvas_, module_.cells, std::span(module_.film.data(), length), geometry,
                    module_.filmOffset, module_.redrawSlot);
    showPlanes(*Picture2, filmCanvas_);
}

void Cinderloom::drawRuler(platform::PictureBox& ruler, int32_t count, int32_t offset,
                           int32_t stripHeight) {
    // Filled here rather than with Cls, which asks for a repaint: this runs
    // inside the ruler's own repaints too.
    ruler.deviceContext().fill(ruler.BackColor());
    const CellGeometry geometry = cellGeometry(module_.width, module_.height, stripHeight);
    if (geometry.width == 0)
        return;
    QPainter painter(&ruler.deviceContext());
    painter.setFont(ruler.font());
    painter.setPen(ruler.palette().color(QPalette::WindowText));
    const int baseline = 2 + QFontMetrics(ruler.font()).ascent();
    // Only the numbers that can reach the ruler are printed: the one whose
    // cell starts left of it, for its digits may still show, and those to its
    // right edge.
    const int64_t first = std::max<int64_t>(0, -int64_t{offset} / geometry.width - 1);
    for (int64_t index = first; index < count; ++index) {
        const int64_t x = int64_t{offset} + index * geometry.width;
        if (x >= ruler.width())
            break;
        painter.drawText(static_cast<int>(x), baseline,
                         QStringLiteral(" %1 ").arg(static_cast<qlonglong>(index)));
    }
}

void Cinderloom::Picture7_Paint() {
    drawRuler(*Picture7, module_.cellCount, module_.stripOffset, viewHeight(*Picture1));
    Picture7->Refresh();
}

void Cinderloom::Picture4_Paint() {
    drawRuler(*Picture4, module_.filmLength, module_.filmOffset, viewHeight(*Picture2));
    Picture4->Refresh();
}

void Cinderloom::HProp1_Scroll() {
    const double exact =
        cellGeometry(module_.width, module_.height, viewHeight(*Picture1)).exactWidth;
    module_.stripOffset = platform::toInt32(0 - exact * HProp1->Position());
    Picture1_Paint();
    Picture7_Paint();
}

void Cinderloom::HProp2_Scroll() {
    const double exact =
        cellGeometry(module_.width, module_.height, viewHeight(*Picture2)).exactWidth;
    module_.filmOffset = platform::toInt32(0 - exact * HProp2->Position());
    module_.redrawSlot = -1;
    Picture2_Paint();
    Picture4_Paint();
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
    if (viewWidth(*Picture2) != filmCanvas_.width || viewHeight(*Picture2) != filmCanvas_.height)
        Picture2_Resize();
    fitToContainer(*Picture4, laidOutFilmWidth_);
    fitToContainer(*HProp2, laidOutFilmWidth_);
    HProp2->Refresh();
    Picture2_Paint();
    Picture4_Paint();
}

} // namespace cinderloom
