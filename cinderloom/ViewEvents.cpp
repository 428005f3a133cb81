#include "cinderloom/ViewEvents.h"

#include "cinderloom/Cinderloom.h"
#include "cinderloom/Module1.h"
#include "maker/widgets/HPropScroller.h"
#include "platform/Conversions.h"
#include "platform/FatalError.h"
#include "platform/PictureBox.h"
#include "plugin/MouseEvents.h"

#include <QEvent>
#include <QFrame>
#include <QMouseEvent>

namespace cinderloom {

ViewEventFilter::ViewEventFilter(Cinderloom& window) : window_(window) {}

bool ViewEventFilter::eventFilter(QObject* watched, QEvent* event) {
    Cinderloom& w = window_;
    const auto mouse = [event](auto handler) {
        const auto& press = static_cast<const QMouseEvent&>(*event);
        const QPointF at = press.position();
        handler(plugin::buttonBits(press.buttons()), plugin::shiftBits(press.modifiers()),
                static_cast<float>(at.x()), static_cast<float>(at.y()));
    };
    if (watched == w.Picture1 && plugin::isPress(*event)) {
        platform::runOrEnd(QStringLiteral("Picture1_MouseDown"), [&] {
            mouse(
                [&](int16_t b, int16_t s, float x, float y) { w.Picture1_MouseDown(b, s, x, y); });
        });
    } else if (watched == w.Picture2 && plugin::isPress(*event)) {
        platform::runOrEnd(QStringLiteral("Picture2_MouseDown"), [&] {
            mouse(
                [&](int16_t b, int16_t s, float x, float y) { w.Picture2_MouseDown(b, s, x, y); });
        });
    } else if (watched == w.Picture2 && event->type() == QEvent::MouseMove) {
        platform::runOrEnd(QStringLiteral("Picture2_MouseMove"), [&] {
            mouse(
                [&](int16_t b, int16_t s, float x, float y) { w.Picture2_MouseMove(b, s, x, y); });
        });
    } else if (event->type() == QEvent::Resize) {
        // Only real changes count: a hidden widget reports its size again
        // when it is first shown.
        if (watched == w.Picture2 && (w.Picture2->width() != w.filmCanvas_.width ||
                                      w.Picture2->height() != w.filmCanvas_.height))
            platform::runOrEnd(QStringLiteral("Picture2_Resize"), [&] { w.Picture2_Resize(); });
        else if (watched == w.Picture3 && w.Picture3->width() != w.laidOutStripWidth_)
            platform::runOrEnd(QStringLiteral("Picture3_Resize"), [&] { w.Picture3_Resize(); });
        else if (watched == w.Picture5 && w.Picture5->width() != w.laidOutFilmWidth_)
            platform::runOrEnd(QStringLiteral("Picture5_Resize"), [&] { w.Picture5_Resize(); });
    } else if (event->type() == QEvent::Paint) {
        // The rulers keep no picture of their own: each repaint draws them
        // afresh before the box shows its image. Refreshing here would ask
        // for yet another repaint.
        Module1& module = w.module_;
        if (watched == w.Picture7)
            platform::runOrEnd(QStringLiteral("Picture7_Paint"), [&] {
                w.drawRuler(*w.Picture7, module.cellCount, module.stripOffset,
                            platform::toInt32(w.Picture1->ScaleHeight()));
            });
        else if (watched == w.Picture4)
            platform::runOrEnd(QStringLiteral("Picture4_Paint"), [&] {
                w.drawRuler(*w.Picture4, module.filmLength, module.filmOffset,
                            platform::toInt32(w.Picture2->ScaleHeight()));
            });
    }
    return false;
}

void Cinderloom::connectViews() {
    // The containers come fitted to their design widths.
    laidOutStripWidth_ = Picture3->width();
    laidOutFilmWidth_ = Picture5->width();
    viewEvents_ = std::make_unique<ViewEventFilter>(*this);
    ViewEventFilter* filter = viewEvents_.get();
    for (QWidget* watched : {static_cast<QWidget*>(Picture1), static_cast<QWidget*>(Picture2),
                             static_cast<QWidget*>(Picture3), static_cast<QWidget*>(Picture5),
                             static_cast<QWidget*>(Picture4), static_cast<QWidget*>(Picture7)})
        watched->installEventFilter(filter);
    connect(HProp1, &maker::HPropScroller::Scroll, this, [this] {
        platform::runOrEnd(QStringLiteral("HProp1_Scroll"), [this] { HProp1_Scroll(); });
    });
    connect(HProp2, &maker::HPropScroller::Scroll, this, [this] {
        platform::runOrEnd(QStringLiteral("HProp2_Scroll"), [this] { HProp2_Scroll(); });
    });
}

} // namespace cinderloom
