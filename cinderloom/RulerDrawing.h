#pragma once

#include "cinderloom/StripRendering.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <cstdint>

namespace cinderloom {

// A number ruler under a view of cells: `image` filled with `background`,
// then " k " in `ink` from the left edge of each cell k of 0..count − 1 that
// can reach the image, cell 0 starting at `offset`. Cells of width 0 leave
// the ruler blank.
void drawNumberRuler(QImage& image, const QFont& font, const QColor& background, const QColor& ink,
                     int32_t count, int32_t offset, const CellGeometry& geometry);

} // namespace cinderloom
