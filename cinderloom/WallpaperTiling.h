#pragma once

#include <QPoint>
#include <QSize>
#include <cstdint>
#include <vector>

class QPainter;
class QPixmap;

namespace cinderloom {

// Where the tiles of a tileWidth × tileHeight wallpaper go over an area of
// areaWidth × areaHeight pixels: row by row from the top-left corner, at
// every multiple of the tile size up to and including the area's width and
// height. The last row and column may run past the edges. Empty for a tile
// without area, which would never advance.
std::vector<QPoint> wallpaperTileOrigins(int32_t tileWidth, int32_t tileHeight, int32_t areaWidth,
                                         int32_t areaHeight);

// Repeats `tile` at its own size over an area of `area` pixels from the
// painter's origin, at the places wallpaperTileOrigins gives; the painter
// clips what runs past its device. A null tile draws nothing.
void tileWallpaper(QPainter& painter, const QPixmap& tile, QSize area);

} // namespace cinderloom
