#include "cinderloom/WallpaperTiling.h"

#include <QPainter>
#include <QPixmap>

namespace cinderloom {

std::vector<QPoint> wallpaperTileOrigins(int32_t tileWidth, int32_t tileHeight, int32_t areaWidth,
                                         int32_t areaHeight) {
    std::vector<QPoint> origins;
    if (tileWidth <= 0 || tileHeight <= 0 || areaWidth < 0 || areaHeight < 0)
        return origins;
    // 64-bit steps, so that the last step past an area near the 32-bit limit
    // cannot wrap around.
    for (int64_t y = 0; y <= areaHeight; y += tileHeight)
        for (int64_t x = 0; x <= areaWidth; x += tileWidth)
            origins.emplace_back(static_cast<int>(x), static_cast<int>(y));
    return origins;
}

void tileWallpaper(QPainter& painter, const QPixmap& tile, QSize area) {
    if (tile.isNull())
        return;
    for (const QPoint& origin :
         wallpaperTileOrigins(tile.width(), tile.height(), area.width(), area.height()))
        painter.drawPixmap(origin, tile);
}

} // namespace cinderloom
