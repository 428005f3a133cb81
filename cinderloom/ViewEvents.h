#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace cinderloom {

// Hands the events of a window's views to the window's handlers: presses
// and drags, size changes and repaints. Every handler runs as an event of the
// window, under its own name: a failure in it ends the program. Events reach
// the views as usual afterwards.
class ViewEventRouter : public QObject {
public:
    // The pressed buttons (1 left, 2 right, 4 middle), the shift keys
    // (1 shift, 2 control, 4 alt) and the pointer in the view's pixels.
    using MouseHandler = std::function<void(int16_t button, int16_t shift, float x, float y)>;
    using Handler = std::function<void()>;
    using Condition = std::function<bool()>;

    // Presses, double clicks included.
    void onPress(QWidget& view, const QString& name, MouseHandler handler);
    void onMove(QWidget& view, const QString& name, MouseHandler handler);
    // Releases; the buttons are those still held.
    void onRelease(QWidget& view, const QString& name, MouseHandler handler);
    // Size changes after which `changed` holds: a hidden widget reports its
    // size again when it is first shown, which is no change.
    void onResize(QWidget& view, const QString& name, Condition changed, Handler handler);
    // Repaints, before the view paints itself.
    void onPaint(QWidget& view, const QString& name, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Kind { Press, Move, Release, Resize, Paint };
    struct Route {
        const QObject* view;
        Kind kind;
        QString name;
        MouseHandler mouse;
        Condition changed;
        Handler handler;
    };

    void add(QWidget& view, Route route);
    static bool matches(const Route& route, const QObject* watched, const QEvent& event);
    static void run(const Route& route, const QEvent& event);

    std::vector<Route> routes_;
};

} // namespace cinderloom
