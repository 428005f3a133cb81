#pragma once

#include <QObject>
#include <QString>

namespace tallowick {

struct ProgressState {
    bool open = false;
    QString caption;
    double percent = 0.0;
    bool operator==(const ProgressState&) const = default;
};

// The host's progress display: closed, or open with a caption and how far
// the work has come.
class ProgressDisplay : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    const ProgressState& state() const { return state_; }
    // Opens the display, or gives an open one a new caption.
    void open(const QString& caption);
    // ModelError for a value that is not a number from 0 to 100.
    void setPercent(double percent);
    void close();

signals:
    void progressChanged();

private:
    ProgressState state_;
};

} // namespace tallowick
