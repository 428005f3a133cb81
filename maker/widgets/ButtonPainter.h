#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QFontMetrics;
class QPainter;

namespace maker {

// Everything that decides how a button looks at one moment.
struct ButtonFace {
    QString caption;
    QImage picture;
    QColor backColor;
    // How much lighter the top of the face is than the bottom; 0 and 1 are
    // flat.
    double gradientShading = 0.0;
    bool down = false;
    bool enabled = true;
    bool focused = false;
    QFont font;
    QColor textColor;
};

struct FaceGradient {
    QColor top;
    QColor bottom;
};

// The bottom of the face is the back colour; the top has each channel
// multiplied by the shading factor, at most 255. A factor of 0 or 1 gives a
// flat face; a factor below 1 makes the top darker.
FaceGradient faceGradient(const QColor& back, double shading);

// Where the picture and the caption go on a face: the picture alone or the
// caption alone is centred; with both, the picture sits at the left and the
// caption is centred in the room to its right. Empty rects for absent parts.
struct ButtonContent {
    QRect picture;
    QRect caption;
};
ButtonContent layOutButtonContent(const QRect& face, const QSize& picture, const QSize& caption);

// Room for the caption in `metrics` and the picture, with the bevel and a
// little padding around them.
QSize buttonSizeHint(const QFontMetrics& metrics, const QString& caption, const QSize& picture);

// Paints the whole button into `rect`: the shaded face, picture, caption, the
// bevel (sunken when down) and a focus mark.
void paintButton(QPainter& painter, const QRect& rect, const ButtonFace& face);

} // namespace maker
