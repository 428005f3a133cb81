#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace platform {

// Turns SIGTERM and SIGINT into a Qt signal on the GUI thread, so that a
// program asked to stop (by a user, a session ending, the host that started
// it, a test) ends through its normal path.
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

} // namespace platform
