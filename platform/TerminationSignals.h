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

// While one lives (on any thread; they nest), SIGTERM and SIGINT caught by
// TerminationSignals end the process at once, by the signal itself, instead
// of being told through the event loop: for a wait that runs none of the
// program's handlers, such as a call into a host that does not answer, so
// that `timeout`, a session's logout or the host stopping its plug-ins are
// not held up by it. Without TerminationSignals the signals end the process
// at once anyway.
class EndAtOnceOnTermination {
public:
    EndAtOnceOnTermination();
    ~EndAtOnceOnTermination();
    EndAtOnceOnTermination(const EndAtOnceOnTermination&) = delete;
    EndAtOnceOnTermination& operator=(const EndAtOnceOnTermination&) = delete;
};

} // namespace platform
