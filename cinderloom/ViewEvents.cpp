#include "cinderloom/ViewEvents.h"

#include "platform/FatalError.h"
#include "plugin/MouseEvents.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>
#include <utility>

namespace cinderloom {

void ViewEventRouter::onPress(QWidget& view, const QString& name, MouseHandler handler) {
    add(view, {&view, Kind::Press, name, std::move(handler), {}, {}});
}

void ViewEventRouter::onMove(QWidget& view, const QString& name, MouseHandler handler) {
    add(view, {&view, Kind::Move, name, std::move(handler), {}, {}});
}

void ViewEventRouter::onRelease(QWidget& view, const QString& name, MouseHandler handler) {
    add(view, {&view, Kind::Release, name, std::move(handler), {}, {}});
}

void ViewEventRouter::onResize(QWidget& view, const QString& name, Condition changed,
                               Handler handler) {
    add(view, {&view, Kind::Resize, name, {}, std::move(changed), std::move(handler)});
}

void ViewEventRouter::onPaint(QWidget& view, const QString& name, Handler handler) {
    add(view, {&view, Kind::Paint, name, {}, {}, std::move(handler)});
}

void ViewEventRouter::add(QWidget& view, Route route) {
    routes_.push_back(std::move(route));
    // A filter installed again on the same view is still called once.
    view.installEventFilter(this);
}

bool ViewEventRouter::matches(const Route& route, const QObject* watched, const QEvent& event) {
    if (route.view != watched)
        return false;
    switch (route.kind) {
    case Kind::Press:
        return plugin::isPress(event);
    case Kind::Move:
        return event.type() == QEvent::MouseMove;
    case Kind::Release:
        return event.type() == QEvent::MouseButtonRelease;
    case Kind::Resize:
        return event.type() == QEvent::Resize && route.changed();
    case Kind::Paint:
        return event.type() == QEvent::Paint;
    }
    return false;
}

void ViewEventRouter::run(const Route& route, const QEvent& event) {
    platform::runOrEnd(route.name, [&] {
        if (!route.mouse) {
            route.handler();
            return;
        }
        const auto& mouse = static_cast<const QMouseEvent&>(event);
        const QPointF at = mouse.position();
        route.mouse(plugin::buttonBits(mouse.buttons()), plugin::shiftBits(mouse.modifiers()),
                    static_cast<float>(at.x()), static_cast<float>(at.y()));
    });
}

bool ViewEventRouter::eventFilter(QObject* watched, QEvent* event) {
    for (const Route& route : routes_)
        if (matches(route, watched, *event)) {
            run(route, *event);
            break;
        }
    return false;
}

} // namespace cinderloom
