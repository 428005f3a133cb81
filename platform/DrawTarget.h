#pragma once

class QImage;

namespace platform {

// What the preview blitter needs of a window: the size of its drawing area
// in pixels (fractional values are possible) and its device context, the
// persistent image it draws into.
class DrawTarget {
public:
    virtual ~DrawTarget() = default;
    virtual double ScaleWidth() const = 0;
    virtual double ScaleHeight() const = 0;
    virtual QImage& deviceContext() = 0;
};

} // namespace platform
