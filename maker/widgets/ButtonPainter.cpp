#include "maker/widgets/ButtonPainter.h"

#include "maker/widgets/Bevel.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace maker {

namespace {

const QColor kBevelLight(255, 255, 255);
const QColor kBevelDark(64, 64, 64);
constexpr int kPadding = 6;
constexpr int kPictureGap = 2;

int scaledChannel(int channel, double factor) {
    return static_cast<int>(std::lround(std::clamp(channel * factor, 0.0, 255.0)));
}

QSize captionSize(const QFontMetrics& metrics, const QString& caption) {
    if (caption.isEmpty())
        return {};
    return {metrics.horizontalAdvance(caption), metrics.height()};
}

} // namespace

FaceGradient faceGradient(const QColor& back, double shading) {
    if (shading == 0.0 || shading == 1.0)
        return {back, back};
    const QColor top(scaledChannel(back.red(), shading), scaledChannel(back.green(), shading),
                     scaledChannel(back.blue(), shading));
    return {top, back};
}

ButtonContent layOutButtonContent(const QRect& face, const QSize& picture, const QSize& caption) {
    const auto centredIn = [](const QRect& room, const QSize& size) {
        return QRect(room.left() + (room.width() - size.width()) / 2,
                     room.top() + (room.height() - size.height()) / 2, size.width(), size.height());
    };
    const bool hasPicture = !picture.isEmpty();
    const bool hasCaption = !caption.isEmpty();
    if (hasPicture && !hasCaption)
        return {centredIn(face, picture), {}};
    if (!hasPicture && hasCaption)
        return {{}, centredIn(face, caption)};
    if (!hasPicture)
        return {};
    const QRect pictureRect(face.left() + kPictureGap,
                            face.top() + (face.height() - picture.height()) / 2, picture.width(),
                            picture.height());
    const QRect rest(pictureRect.right() + 1, face.top(),
                     std::max(0, face.right() - pictureRect.right()), face.height());
    return {pictureRect, centredIn(rest, caption)};
}

QSize buttonSizeHint(const QFontMetrics& metrics, const QString& caption, const QSize& picture) {
    const QSize text = captionSize(metrics, caption);
    // A picture-only button fits its picture exactly; the bevel is drawn
    // over the picture's edge so that the down state still shows.
    if (text.isEmpty())
        return picture.isEmpty() ? QSize(2 * kPadding, 2 * kPadding) : picture;
    const int gap = picture.isEmpty() ? 0 : kPictureGap;
    return {picture.width() + gap + text.width() + 2 * kPadding,
            std::max(picture.height(), text.height()) + kPadding};
}

void paintButton(QPainter& painter, const QRect& rect, const ButtonFace& face) {
    if (rect.isEmpty())
        return;
    painter.save();
    painter.setClipRect(rect);

    // A pressed face shows the gradient the other way up, like light falling
    // from above onto a hollow.
    const FaceGradient shades = faceGradient(face.backColor, face.gradientShading);
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0.0, face.down ? shades.bottom : shades.top);
    gradient.setColorAt(1.0, face.down ? shades.top : shades.bottom);
    painter.fillRect(rect, gradient);

    // Content moves one pixel down and right while pressed.
    const QRect contentRoom = face.down ? rect.translated(1, 1) : rect;
    painter.setFont(face.font);
    const QFontMetrics metrics(face.font);
    const ButtonContent content =
        layOutButtonContent(contentRoom, face.picture.size(), captionSize(metrics, face.caption));
    if (!face.picture.isNull()) {
        painter.setOpacity(face.enabled ? 1.0 : 0.4);
        painter.drawImage(content.picture.topLeft(), face.picture);
        painter.setOpacity(1.0);
    }
    if (!face.caption.isEmpty()) {
        painter.setPen(face.textColor);
        painter.drawText(content.caption, Qt::AlignCenter | Qt::TextSingleLine, face.caption);
    }

    if (face.down)
        drawBevel(painter, rect, kBevelDark, kBevelLight);
    else
        drawBevel(painter, rect, kBevelLight, kBevelDark);

    const QRect focusMark = rect.adjusted(3, 3, -3, -3);
    if (face.focused && focusMark.width() > 2 && focusMark.height() > 2) {
        painter.setPen(QPen(face.textColor, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(focusMark.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

} // namespace maker
