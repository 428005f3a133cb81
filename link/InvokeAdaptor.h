#pragma once

#include "automation/AutomationObject.h"
#include "link/BusDepartures.h"
#include "link/PeerMemory.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QString>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>

namespace host::dbus {

// Receives the Invoke calls of one exported object. QtDBus delivers each call
// to the thread this QObject lives on, which is the thread that exported it.
// It keeps the memory files of each caller, by the caller's unique bus name,
// until the caller leaves the bus or is forgotten. A call that arrives while
// that thread waits for the answer to a call of its own is answered once the
// wait is over, in the order calls came, so that the object's handlers never
// run in the middle of another.
//
// Calls that cross the bus name their caller themselves; calls that come over
// a direct connection (DirectServer.h) are answered through answer() with the
// bus name that connection proved to speak for.
class InvokeAdaptor final : public QDBusVirtualObject {
public:
    // Answers a call of the interface kDirectInterface that came over the bus.
    using DirectOpening = std::function<QDBusMessage(const QDBusMessage& call)>;

    // BusWatchError when the bus will not tell of callers leaving.
    InvokeAdaptor(AutomationObject& object, std::size_t maxByteArrayBytes,
                  const QDBusConnection& connection);
    ~InvokeAdaptor() override;

    // Word for word the description installed for callers, so that the two
    // cannot differ.
    QString introspect(const QString&) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

    // Whether `message` is a call of the automation interface.
    static bool isInvoke(const QDBusMessage& message);
    // Answers the automation call `message` from `caller` on `connection`,
    // now or, while this thread waits, once the wait is over.
    void answer(const QString& caller, const QDBusMessage& message,
                const QDBusConnection& connection);
    // Drops what is kept for `caller`.
    void forget(const QString& caller) { peers_.erase(caller); }

    // Who leaves the bus, as this adaptor follows it.
    BusDepartures& departures() { return departures_; }
    void offerDirectConnections(DirectOpening opening) { opening_ = std::move(opening); }

private:
    struct HeldCall {
        QString caller;
        QDBusMessage message;
        QDBusConnection connection;
    };

    void hold(HeldCall call);
    void answerHeld();
    void respond(const QString& caller, const QDBusMessage& message,
                 const QDBusConnection& connection);
    QDBusMessage answerTo(const QString& caller, const QDBusMessage& message);

    AutomationObject& object_;
    std::size_t maxByteArrayBytes_;
    BusDepartures departures_;
    std::map<QString, PeerMemory> peers_;
    std::deque<HeldCall> held_;
    bool answerHeldLater_ = false;
    DirectOpening opening_;
};

} // namespace host::dbus
