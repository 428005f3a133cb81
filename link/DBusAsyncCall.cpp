#include "link/DBusAsyncCall.h"

#include "link/DBusMessages.h"
#include "link/DBusWire.h"

#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <utility>

namespace host {

void invokeAsync(const QDBusConnection& connection, const ObjectRef& target, const QString& method,
                 const std::vector<Variant>& args, CallFailureHandler onFailure,
                 MissingOperation missing) {
    QDBusMessage call;
    try {
        call = dbus::invokeCall(target, method, args);
    } catch (const dbus::WireError& error) {
        // Reported like every other failure: later, from the event loop.
        QTimer::singleShot(0, [onFailure = std::move(onFailure),
                               reason = QString::fromUtf8(error.what())] { onFailure(reason); });
        return;
    }
    QElapsedTimer clock;
    clock.start();
    auto watcher =
        std::make_unique<QDBusPendingCallWatcher>(connection.asyncCall(call, dbus::kCallTimeoutMs));
    QObject::connect(watcher.get(), &QDBusPendingCallWatcher::finished, watcher.get(),
                     [onFailure = std::move(onFailure), target, clock,
                      missing](QDBusPendingCallWatcher* finished) {
                         const QDBusMessage reply = finished->reply();
                         const bool ignored = missing == MissingOperation::IsIgnored &&
                                              reply.errorName() == dbus::kUnknownOperationError;
                         if (finished->isError() && !ignored)
                             onFailure(dbus::failureReason(reply, target, clock.elapsed()));
                         finished->deleteLater();
                     });
    // The watcher lives until its call ends and then deletes itself.
    watcher.release();
}

} // namespace host
