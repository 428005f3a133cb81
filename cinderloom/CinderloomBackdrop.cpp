// The main window's backdrop: the host's wallpaper repeated over the window,
// under the labels, lines and controls.
#include "cinderloom/Cinderloom.h"
#include "cinderloom/WallpaperTiling.h"
#include "platform/FatalError.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace cinderloom {

void Cinderloom::paintEvent(QPaintEvent*) {
    platform::runOrEnd(QStringLiteral("Form_Paint"), [this] { Form_Paint(); });
}

void Cinderloom::Form_Paint() {
    Draw_Pattern(*this);
}

void Cinderloom::Draw_Pattern(QWidget& target) {
    // Without a picture the window's own background colour shows; the
    // window system draws that before this paint.
    const QPixmap wallpaper = Image1->pixmap();
    if (wallpaper.isNull() || !target.isVisible())
        return;
    QPainter painter(&target);
    tileWallpaper(painter, wallpaper, target.size());
}

} // namespace cinderloom
