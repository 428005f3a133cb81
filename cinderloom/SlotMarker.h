#pragma once

#include <QWidget>

namespace cinderloom {

// A frame drawn over one slot of the film view, on top of its picture and
// without touching it: the slot the playback shows. It lets every mouse
// event through to the view below.
class SlotMarker : public QWidget {
    Q_OBJECT

public:
    explicit SlotMarker(QWidget* view);

    // Marks `span` of the view, or nothing when it is empty.
    void mark(const QRect& span);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace cinderloom
