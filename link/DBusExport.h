#pragma once

#include "automation/AutomationObject.h"

#include <QDBusConnection>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

namespace host {

namespace dbus {
class InvokeAdaptor;
class DirectServer;
} // namespace dbus

// An object could not be exported or its name could not be claimed.
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An automation object of this process made callable over D-Bus: its Invoke
// runs for each Invoke call that arrives at the path, on the thread that
// created the export, between that thread's events. The method name reaches
// Invoke exactly as the caller spelled it; anything Invoke throws goes back to
// the caller as the failure's text. The export is removed when this handle is
// destroyed, which must happen on the same thread; the object must outlive
// the handle.
class ObjectExport {
public:
    ObjectExport(ObjectExport&& other) noexcept;
    ObjectExport& operator=(ObjectExport&& other) noexcept;
    ObjectExport(const ObjectExport&) = delete;
    ObjectExport& operator=(const ObjectExport&) = delete;
    ~ObjectExport();

    // What to hand to another process: this connection's unique bus name and
    // the path.
    const ObjectRef& reference() const { return reference_; }

private:
    friend class ServedHostObject;
    friend ObjectExport exportObject(const QDBusConnection&, AutomationObject&, const QString&,
                                     std::size_t);
    ObjectExport(QDBusConnection connection, std::unique_ptr<dbus::InvokeAdaptor> adaptor,
                 ObjectRef reference);
    void remove() noexcept;

    QDBusConnection connection_;
    std::unique_ptr<dbus::InvokeAdaptor> adaptor_;
    ObjectRef reference_;
};

// Exports `object` at `path` on `connection`; no byte array argument larger
// than `maxByteArrayBytes` is read, whatever the object admits. ExportError
// when the connection is not connected, the path is invalid or already in
// use.
ObjectExport exportObject(const QDBusConnection& connection, AutomationObject& object,
                          const QString& path, std::size_t maxByteArrayBytes = SIZE_MAX);
// Exports a window of this program at "/windows/<number>"; whoever hands
// the program's windows over numbers them, never reusing a number, so that
// a reference the host still holds never reaches another window. The host
// calls windows with numbers, text and objects only, so a byte array sent to
// one is refused unread.
ObjectExport exportWindow(const QDBusConnection& connection, AutomationObject& window, int number);

// Whether the host's callers are offered direct connections beside the bus
// (DirectServer.h).
enum class DirectCalls { NotOffered, Offered };

// The host's side: its automation object exported at "/Tallowick_Class" and
// the well-known name "Tallowick.Tallowick_Class" claimed on the connection,
// both given up when this handle is destroyed (on the creating thread).
class ServedHostObject {
public:
    // ExportError when the object cannot be exported or another process
    // already owns the name. A server for direct connections that cannot
    // listen is reported on standard error and left out.
    ServedHostObject(const QDBusConnection& connection, AutomationObject& host,
                     DirectCalls direct = DirectCalls::NotOffered);
    ServedHostObject(const ServedHostObject&) = delete;
    ServedHostObject& operator=(const ServedHostObject&) = delete;
    ~ServedHostObject();

    const ObjectRef& reference() const { return export_.reference(); }
    // The server of the direct connections; null when none is offered.
    dbus::DirectServer* directServer() const { return direct_.get(); }

private:
    void offerDirectCalls();

    QDBusConnection connection_;
    ObjectExport export_;
    // Declared last: closed before the export it calls into.
    std::unique_ptr<dbus::DirectServer> direct_;
};

} // namespace host
