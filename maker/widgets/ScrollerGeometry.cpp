#include "maker/widgets/ScrollerGeometry.h"

#include <algorithm>
#include <cstdint>

namespace maker {

namespace {

// a * b / c rounded to the nearest, for a, b >= 0 and c > 0, without
// overflow for any int operands.
int64_t roundedScale(int64_t a, int64_t b, int64_t c) {
    return (2 * a * b + c) / (2 * c);
}

} // namespace

int lastScrollerPosition(int range) {
    return std::max(range - 1, 0);
}

ScrollerGeometry scrollerGeometry(const QSize& size, int range, int position) {
    const int width = std::max(size.width(), 0);
    const int height = std::max(size.height(), 0);
    range = std::max(range, 0);
    position = std::clamp(position, 0, lastScrollerPosition(range));

    const int arrowWidth = std::min(height, width / 2);
    const int trackWidth = width - 2 * arrowWidth;
    ScrollerGeometry geometry;
    geometry.leftArrow = QRect(0, 0, arrowWidth, height);
    geometry.rightArrow = QRect(width - arrowWidth, 0, arrowWidth, height);
    geometry.track = QRect(arrowWidth, 0, trackWidth, height);

    if (range <= 1) {
        geometry.thumb = geometry.track;
        return geometry;
    }
    const int thumbWidth = std::max(std::min(kMinimumThumbWidth, trackWidth), trackWidth / range);
    const int travel = trackWidth - thumbWidth;
    const auto offset = static_cast<int>(roundedScale(travel, position, range - 1));
    geometry.thumb = QRect(arrowWidth + offset, 0, thumbWidth, height);
    return geometry;
}

int scrollerPositionForThumbLeft(const ScrollerGeometry& geometry, int range, int thumbLeft) {
    const int travel = geometry.track.width() - geometry.thumb.width();
    if (range <= 1 || travel <= 0)
        return 0;
    const int64_t offset =
        std::clamp<int64_t>(int64_t{thumbLeft} - geometry.track.left(), 0, travel);
    return static_cast<int>(roundedScale(offset, range - 1, travel));
}

ScrollerPart scrollerPartAt(const ScrollerGeometry& geometry, const QPoint& point) {
    if (geometry.leftArrow.contains(point))
        return ScrollerPart::LeftArrow;
    if (geometry.rightArrow.contains(point))
        return ScrollerPart::RightArrow;
    if (geometry.thumb.contains(point))
        return ScrollerPart::Thumb;
    if (!geometry.track.contains(point))
        return ScrollerPart::None;
    return point.x() < geometry.thumb.left() ? ScrollerPart::PageLeft : ScrollerPart::PageRight;
}

} // namespace maker
