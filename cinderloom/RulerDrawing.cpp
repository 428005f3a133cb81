#include "cinderloom/RulerDrawing.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace cinderloom {

void drawNumberRuler(QImage& image, const QFont& font, const QColor& background, const QColor& ink,
                     int32_t count, int32_t offset, const CellGeometry& geometry) {
    image.fill(background);
    if (geometry.width == 0)
        return;
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(ink);
    const int baseline = 2 + QFontMetrics(font).ascent();
    // Only the numbers that can reach the ruler are printed: the one whose
    // cell starts left of it, for its digits may still show, and those to its
    // right edge.
    const int64_t first = std::max<int64_t>(0, -int64_t{offset} / geometry.width - 1);
    for (int64_t index = first; index < count; ++index) {
        const int64_t x = int64_t{offset} + index * geometry.width;
        if (x >= image.width())
            break;
        painter.drawText(static_cast<int>(x), baseline,
                         QStringLiteral(" %1 ").arg(static_cast<qlonglong>(index)));
    }
}

} // namespace cinderloom
