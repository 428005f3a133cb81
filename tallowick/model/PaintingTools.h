#pragma once

#include "tallowick/documents/RgbaFrame.h"

#include <QObject>
#include <cstdint>
#include <optional>

namespace tallowick {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// What the host paints with: the custom brush, if there is one, and the
// primary and secondary colours (black and white until a plug-in sets them).
class PaintingTools : public QObject {
    Q_OBJECT

public:
    explicit PaintingTools(std::optional<RgbaFrame> brush, QObject* parent = nullptr);

    const std::optional<RgbaFrame>& brush() const { return brush_; }
    void setBrush(std::optional<RgbaFrame> brush);

    Rgb primaryColour() const { return primary_; }
    Rgb secondaryColour() const { return secondary_; }
    void setPrimaryColour(Rgb colour);
    void setSecondaryColour(Rgb colour);

signals:
    void brushChanged();
    void coloursChanged();

private:
    std::optional<RgbaFrame> brush_;
    Rgb primary_{0, 0, 0};
    Rgb secondary_{255, 255, 255};
};

} // namespace tallowick
