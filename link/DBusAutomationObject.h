#pragma once

#include "automation/AutomationObject.h"
#include "link/PeerMemory.h"

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
// blocks the calling thread until the reply comes, without processing its
// events, so nothing else runs in the middle of a call. A call that fails
// (a refused method, a peer that is gone or never answers) throws
// HostCallError naming the method and the reason.
//
// Byte arrays cross in memory files kept for the target's owner (see
// DBusWire.h), so an object used for many transfers is worth keeping.
//
// A blocking call into an object that the calling thread itself serves on the
// same bus would wait for the call timeout; such calls must be made with
// invokeAsync.
class DBusAutomationObject final : public AutomationObject {
public:
    DBusAutomationObject(QDBusConnection connection, ObjectRef target);

    Variant Invoke(const QString& method, const std::vector<Variant>& args = {}) override;

    const ObjectRef& target() const { return target_; }

private:
    QDBusConnection connection_;
    ObjectRef target_;
    PeerMemory memory_;
};

// The running host's automation object: the object at "/Tallowick_Class" of
// whoever owns "Tallowick.Tallowick_Class" on the session bus (or on `bus`),
// bound to that owner, so that the object keeps speaking for the host that was
// running when it was created. HostUnavailableError when nobody owns the name
// or the bus cannot be reached.
std::unique_ptr<DBusAutomationObject> connectToHost();
std::unique_ptr<DBusAutomationObject> connectToHost(const QDBusConnection& bus);

} // namespace host
