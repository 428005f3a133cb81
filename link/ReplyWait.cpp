#include "link/ReplyWait.h"

#include "link/DBusWire.h"
#include "platform/InputHold.h"
#include "platform/TerminationSignals.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QPointer>
#include <algorithm>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace host {

namespace {

using Clock = std::chrono::steady_clock;

// What a wait lets its thread do: what the window system sends but the
// user's input, and posted events; no timer, no socket notifier.
constexpr QEventLoop::ProcessEventsFlags kWaitFlags =
    QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers |
    QEventLoop::X11ExcludeTimers | QEventLoop::WaitForMoreEvents;

// libdbus's "no timeout": with a question to put, the question decides how
// long a call waits.
constexpr int kWaitForEver = INT_MAX;

UnansweredCallQuestion& installedQuestion() {
    static UnansweredCallQuestion question;
    return question;
}

// The waits in progress on one thread, and what is to run after them.
struct ThreadWaits {
    int depth = 0;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> after;
};
thread_local ThreadWaits t_waits;

void queue(QObject* context, std::function<void()> task) {
    QMetaObject::invokeMethod(context, std::move(task), Qt::QueuedConnection);
}

// One wait on this thread, from the call's sending to its answer.
class WaitScope {
public:
    WaitScope() { ++t_waits.depth; }
    ~WaitScope() {
        if (--t_waits.depth > 0)
            return;
        auto after = std::move(t_waits.after);
        t_waits.after.clear();
        for (auto& [context, task] : after)
            if (context)
                queue(context, std::move(task));
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    platform::EndAtOnceOnTermination endAtOnce_;
    platform::InputHold input_;
};

// Wakes a waiting thread's event loop when its question is due: the wait
// runs no timer of its thread, so the wake comes from a thread of its own,
// started on first use. A thread that is already asleep until an earlier
// moment is not woken to be told of a later one, so a stream of calls that
// are answered in time costs it one wake per question interval.
class WakeAlarm {
public:
    static WakeAlarm& instance() {
        static WakeAlarm alarm;
        return alarm;
    }

    uint64_t arm(Clock::time_point when, QAbstractEventDispatcher* dispatcher) {
        const std::lock_guard lock(mutex_);
        const uint64_t id = ++lastId_;
        entries_.push_back(Entry{id, when, dispatcher});
        if (when < sleepsUntil_) {
            sleepsUntil_ = when;
            changed_.notify_one();
        }
        return id;
    }

    // After this returns, the entry's dispatcher is never touched.
    void cancel(uint64_t id) {
        const std::lock_guard lock(mutex_);
        std::erase_if(entries_, [id](const Entry& entry) { return entry.id == id; });
    }

    ~WakeAlarm() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
            changed_.notify_one();
        }
        thread_.join();
    }

private:
    struct Entry {
        uint64_t id;
        Clock::time_point when;
        QAbstractEventDispatcher* dispatcher;
    };

    WakeAlarm() : thread_([this] { run(); }) {}

    void run() {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            const Clock::time_point now = Clock::now();
            std::erase_if(entries_, [now](const Entry& entry) {
                if (entry.when > now)
                    return false;
                entry.dispatcher->wakeUp();
                return true;
            });
            sleepsUntil_ = Clock::time_point::max();
            for (const Entry& entry : entries_)
                sleepsUntil_ = std::min(sleepsUntil_, entry.when);
            if (sleepsUntil_ == Clock::time_point::max())
                changed_.wait(lock);
            else
                changed_.wait_until(lock, sleepsUntil_);
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> entries_;
    uint64_t lastId_ = 0;
    Clock::time_point sleepsUntil_ = Clock::time_point::max();
    bool stopping_ = false;
    std::thread thread_;
};

// An alarm armed for one wait, cancelled when the wait is done with it.
class AlarmTicket {
public:
    ~AlarmTicket() { cancel(); }
    bool armed() const { return id_ != 0; }
    void arm(Clock::time_point when, QAbstractEventDispatcher* dispatcher) {
        id_ = WakeAlarm::instance().arm(when, dispatcher);
    }
    void cancel() {
        if (id_ != 0)
            WakeAlarm::instance().cancel(std::exchange(id_, 0));
    }

private:
    uint64_t id_ = 0;
};

std::chrono::milliseconds millisecondsOf(const QElapsedTimer& clock) {
    return std::chrono::milliseconds(clock.elapsed());
}

} // namespace

UnansweredCall::UnansweredCall(QString method, QString peer)
    : method_(std::move(method)), peer_(std::move(peer)) {}

void UnansweredCall::markAnswered() {
    if (answered_)
        return;
    answered_ = true;
    emit answeredNow();
}

UnansweredCallQuestion setUnansweredCallQuestion(UnansweredCallQuestion question) {
    return std::exchange(installedQuestion(), std::move(question));
}

bool waitingForAnswer() {
    return t_waits.depth > 0;
}

namespace dbus {

QDBusPendingCall sendCall(const QDBusConnection& connection, const QDBusMessage& call) {
    QDBusConnection bus(connection);
    return bus.asyncCall(call, installedQuestion() ? kWaitForEver : kCallTimeoutMs);
}

WaitOutcome waitForAnswer(QDBusPendingCall pending, const QElapsedTimer& sentAt,
                          const QString& method, const QString& peer,
                          const CallPatience& patience) {
    QAbstractEventDispatcher* dispatcher =
        QCoreApplication::instance() ? QAbstractEventDispatcher::instance() : nullptr;
    if (!dispatcher) {
        pending.waitForFinished();
        return WaitOutcome{pending.reply(), false, sentAt.elapsed()};
    }
    // A copy: the question may replace itself while it is asked.
    const UnansweredCallQuestion question = installedQuestion();
    const WaitScope scope;
    UnansweredCall unanswered(method, peer);
    QDBusPendingCallWatcher watcher(pending);
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &unanswered,
                     &UnansweredCall::markAnswered);
    std::chrono::milliseconds nextQuestion = patience.firstQuestion;
    AlarmTicket alarm;
    while (!pending.isFinished()) {
        if (question) {
            const std::chrono::milliseconds waited = millisecondsOf(sentAt);
            if (waited >= nextQuestion) {
                alarm.cancel();
                unanswered.setWaited(waited);
                const bool waitOn = question(unanswered);
                if (pending.isFinished())
                    break;
                if (!waitOn)
                    return WaitOutcome{QDBusMessage(), true, sentAt.elapsed(), pending};
                nextQuestion = millisecondsOf(sentAt) + patience.nextQuestion;
                continue;
            }
            if (!alarm.armed())
                alarm.arm(Clock::now() + (nextQuestion - waited), dispatcher);
        }
        dispatcher->processEvents(kWaitFlags);
    }
    return WaitOutcome{pending.reply(), false, sentAt.elapsed()};
}

WaitOutcome callAndWait(const QDBusConnection& connection, const QDBusMessage& call,
                        const QString& method, const QString& peer, const CallPatience& patience) {
    QElapsedTimer clock;
    clock.start();
    if (!QCoreApplication::instance() || !QAbstractEventDispatcher::instance()) {
        QDBusConnection bus(connection);
        const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
        return WaitOutcome{reply, false, clock.elapsed()};
    }
    return waitForAnswer(sendCall(connection, call), clock, method, peer, patience);
}

void afterWaits(QObject* context, std::function<void()> task) {
    if (t_waits.depth == 0)
        queue(context, std::move(task));
    else
        t_waits.after.emplace_back(QPointer<QObject>(context), std::move(task));
}

} // namespace dbus
} // namespace host
