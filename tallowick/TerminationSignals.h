#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace tallowick {

// Turns SIGTERM and SIGINT into a Qt signal on the GUI thread, so that the
// host ends through its normal path (and saves its documents) when a user or
// a test asks it to stop.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    // Installs the handlers; only one instance may exist at a time.
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace tallowick
