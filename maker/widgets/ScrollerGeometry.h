#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace maker {

// Where the parts of a horizontal scroller lie: an arrow button at each end,
// as wide as the scroller is high (at most half the width each), the track
// between them, and the thumb inside the track. The four rects are never
// negative in size, whatever the widget's size.
struct ScrollerGeometry {
    QRect leftArrow;
    QRect rightArrow;
    QRect track;
    QRect thumb;
};

// The thumb is never narrower than this, unless the track itself is.
constexpr int kMinimumThumbWidth = 8;

// The highest position of a scroller of `range` steps: range - 1, or 0 for a
// range of 0 or 1.
int lastScrollerPosition(int range);

// The layout for a scroller of `size` showing `position` of `range` steps.
// The thumb's width is the track's share of one step (at least
// kMinimumThumbWidth); with nothing to scroll it fills the track. A negative
// size, range or position counts as 0, a position past the end as the last.
ScrollerGeometry scrollerGeometry(const QSize& size, int range, int position);

// The position whose thumb lies nearest to a thumb dragged to `thumbLeft`.
int scrollerPositionForThumbLeft(const ScrollerGeometry& geometry, int range, int thumbLeft);

enum class ScrollerPart { None, LeftArrow, RightArrow, PageLeft, PageRight, Thumb };

// The part under `point`: the track left and right of the thumb pages.
ScrollerPart scrollerPartAt(const ScrollerGeometry& geometry, const QPoint& point);

} // namespace maker
