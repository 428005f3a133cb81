#include "plugin/startup/UnansweredHost.h"

#include "platform/MessageBox.h"

#include <QObject>

namespace plugin {

QString notRespondingText(const host::UnansweredCall& call) {
    const auto seconds = (call.waited().count() + 500) / 1000;
    return QStringLiteral("Tallowick is not responding: it has not answered %1 for %2 seconds.\n\n"
                          "Retry to wait for it, or Cancel to give up on it.")
        .arg(call.method())
        .arg(seconds);
}

bool askWhetherToWaitForHost(host::UnansweredCall& call) {
    if (call.answered())
        return true;
    platform::MessageBoxCloser closer;
    QObject::connect(&call, &host::UnansweredCall::answeredNow, &closer,
                     &platform::MessageBoxCloser::close);
    const platform::MessageBoxAnswer answer = platform::showMessageBox(
        notRespondingText(call), platform::MessageBoxButtons::RetryCancel,
        platform::MessageBoxIcon::Warning, platform::MessageBoxAnswer::Retry, &closer);
    return call.answered() || answer == platform::MessageBoxAnswer::Retry;
}

} // namespace plugin
