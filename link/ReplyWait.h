#pragma once

#include "platform/ScopedOverride.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>

// How a caller waits for the answer to a synchronous call: without running
// any handler of its own program in the middle (the synchronous call
// model), yet without freezing. While a call waits on a thread with an
// event loop, that thread processes what the window system sends, so its
// windows repaint, and nothing else of the program: the user's input is
// held (the loop's ExcludeUserInputEvents, and platform::InputHold for
// input that comes another way), no timer and no socket notifier fires,
// calls that arrive for the objects it serves wait until the call is over
// (DBusExport.cpp), and SIGTERM and SIGINT end the process at once
// (platform::EndAtOnceOnTermination). Events already posted to the thread
// before the call (Qt's own layout and repaint requests, queued
// invocations) are delivered: Qt offers no way to keep them back, and the
// programs post none of their own before a call.
//
// A call that has waited long enough is put to a question (the plug-ins
// ask the user in a message box, see plugin/startup): wait on, or give up.
namespace host {

// When a call still unanswered is put to the question: first after
// `firstQuestion`, then again `nextQuestion` after each answer to wait on.
struct CallPatience {
    std::chrono::milliseconds firstQuestion{5000};
    std::chrono::milliseconds nextQuestion{30000};
};

// A call that has not been answered yet, as the question sees it.
class UnansweredCall : public QObject {
    Q_OBJECT

public:
    UnansweredCall(QString method, QString peer);

    // The method as the caller spelled it, and who is called ("the host").
    const QString& method() const { return method_; }
    const QString& peer() const { return peer_; }
    // How long it has waited when the question was put.
    std::chrono::milliseconds waited() const { return waited_; }
    // Whether the answer has come, while the question was being asked or
    // before.
    bool answered() const { return answered_; }

    void setWaited(std::chrono::milliseconds waited) { waited_ = waited; }
    void markAnswered();

signals:
    // The answer came while the question was being asked: whoever asks
    // stops asking (a message box closes by itself).
    void answeredNow();

private:
    QString method_;
    QString peer_;
    std::chrono::milliseconds waited_{0};
    bool answered_ = false;
};

// Asked on the waiting thread, in the middle of the wait: true to wait on,
// false to give up. Its answer does not count once the call was answered.
using UnansweredCallQuestion = std::function<bool(UnansweredCall& call)>;
// Process-wide, like the message box responder: the plug-ins install theirs
// at start-up. Without one, a call waits as long as the call timeout
// (kCallTimeoutMs) allows. Returns the question installed before.
UnansweredCallQuestion setUnansweredCallQuestion(UnansweredCallQuestion question);
using ScopedUnansweredCallQuestion =
    platform::ScopedOverride<UnansweredCallQuestion, &setUnansweredCallQuestion>;

// True while this thread waits for an answer (of any depth).
bool waitingForAnswer();

namespace dbus {

struct WaitOutcome {
    // The answer; none when the wait was given up.
    QDBusMessage reply;
    bool givenUp = false;
    qint64 waitedMs = 0;
    // The call given up, which may still be answered late.
    QDBusPendingCall abandoned = QDBusPendingCall::fromCompletedCall(QDBusMessage());
};

// Sends `call` on `connection` and waits for its answer as described above.
// On a thread without an event loop (or before the application exists) it
// blocks as a plain blocking call does. `method` and `peer` are for the
// question.
WaitOutcome callAndWait(const QDBusConnection& connection, const QDBusMessage& call,
                        const QString& method, const QString& peer, const CallPatience& patience);

// The two halves of callAndWait, for a caller that sends calls ahead of
// reading their answers: sendCall sends `call` at once; waitForAnswer waits
// for `pending` as callAndWait does, counting the time since `sentAt`.
QDBusPendingCall sendCall(const QDBusConnection& connection, const QDBusMessage& call);
WaitOutcome waitForAnswer(QDBusPendingCall pending, const QElapsedTimer& sentAt,
                          const QString& method, const QString& peer, const CallPatience& patience);

// Runs `task` on this thread once no wait is in progress on it: queued at
// once when none is, else queued when the outermost wait ends. Dropped if
// `context` is destroyed first.
void afterWaits(QObject* context, std::function<void()> task);

} // namespace dbus
} // namespace host
