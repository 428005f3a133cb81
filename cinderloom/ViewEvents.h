#pragma once

#include <QObject>

namespace cinderloom {

class Cinderloom;

// Hands the events of the main window's views to the window's handlers: the
// presses and drags in the cell strip and the film view, the size changes of
// the film view and of both containers, and the rulers' repaints. Every
// handler runs as an event of the window: a failure in it ends the program.
class ViewEventFilter : public QObject {
public:
    explicit ViewEventFilter(Cinderloom& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Cinderloom& window_;
};

} // namespace cinderloom
