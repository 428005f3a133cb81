#pragma once

#include "automation/AutomationObject.h"
#include "link/DBusWire.h"
#include "link/DirectConnection.h"
#include "link/PeerMemory.h"
#include "link/ReplyWait.h"

#include <QDBusConnection>
#include <memory>
#include <stdexcept>

namespace host {

// Creating the host object failed: no host is running, or the bus cannot be
// reached.
class HostUnavailableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An automation object in another process, called over D-Bus. Each call
// waits until the reply comes without running any handler of the calling
// program (ReplyWait.h): its windows repaint, its input is held, and after
// `patience` the installed question is put (the plug-ins ask the user
// whether to wait on). A call that fails (a refused method, a peer that is
// gone, a wait given up) throws HostCallError naming the method and the
// reason; a wait given up says that "the host did not answer". Until the
// call given up is answered after all, every later call fails at once the
// same way, so that giving up on a host costs one wait, not one per call.
//
// Byte arrays cross in memory files kept for the target's owner (see
// DBusWire.h), so an object used for many transfers is worth keeping.
//
// A blocking call into an object that the calling thread itself serves on the
// same bus would wait for the call timeout; such calls must be made with
// invokeAsync.
class DBusAutomationObject final : public AutomationObject {
public:
    DBusAutomationObject(QDBusConnection connection, ObjectRef target, CallPatience patience = {});
    // Calls go over `direct` when it holds a connection, else over the bus.
    DBusAutomationObject(QDBusConnection connection, ObjectRef target, CallPatience patience,
                         dbus::DirectAttempt direct);

    Variant Invoke(const QString& method, const std::vector<Variant>& args = {}) override;
    // A byte array of the result borrows the file the target lent it in,
    // when this side keeps that file mapped (ByteArray::borrowing).
    Variant InvokeBorrowing(const QString& method, const std::vector<Variant>& args = {}) override;

    // Sent at once over the connection calls take; the answer is read, and
    // waited for as Invoke waits, by answer(). While a call given up is
    // unanswered, Send fails at once, and so does the answer() of a call
    // sent earlier and not yet answered.
    std::unique_ptr<SentCall> Send(const QString& method, const std::vector<Variant>& args,
                                   ResultUse use = ResultUse::Kept) override;

    const ObjectRef& target() const { return target_; }
    // Whether calls go over a direct connection to the host; why not, when
    // one was tried and they go through the bus.
    bool callsDirect() const { return direct_ != nullptr; }
    const QString& directFallbackReason() const { return directFallbackReason_; }

private:
    class PendingAnswer;

    Variant invokeReading(const QString& method, const std::vector<Variant>& args,
                          dbus::ByteArrayReading reading);
    // The parts of a call: refused at once after a call given up; the
    // message; the connection it goes on; its outcome read.
    void refuseWhileAbandoned(const QString& method) const;
    QDBusMessage callMessage(const QString& method, const std::vector<Variant>& args);
    const QDBusConnection& callConnection() const;
    Variant readOutcome(const dbus::WaitOutcome& outcome, const QString& method,
                        dbus::ByteArrayReading reading);

    QDBusConnection connection_;
    std::unique_ptr<dbus::DirectConnection> direct_;
    QString directFallbackReason_;
    ObjectRef target_;
    CallPatience patience_;
    PeerMemory memory_;
    // The last call given up, and its method, while it is unanswered.
    QDBusPendingCall abandoned_ = QDBusPendingCall::fromCompletedCall(QDBusMessage());
    QString abandonedMethod_;
    qint64 abandonedAfterMs_ = 0;
};

// The running host's automation object: the object at "/Tallowick_Class" of
// whoever owns "Tallowick.Tallowick_Class" on the session bus (or on `bus`),
// bound to that owner, so that the object keeps speaking for the host that was
// running when it was created. HostUnavailableError when nobody owns the name
// or the bus cannot be reached. Its calls wait on the host with `patience`,
// and go over a direct connection to the host when the host offers one
// (DBusWire.h), else through the bus.
std::unique_ptr<DBusAutomationObject> connectToHost(CallPatience patience = {});
std::unique_ptr<DBusAutomationObject> connectToHost(const QDBusConnection& bus,
                                                    CallPatience patience = {});

} // namespace host
