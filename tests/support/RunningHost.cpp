#include "tests/support/RunningHost.h"

#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>

namespace tests {

namespace {

constexpr int kStartLimitMs = 20000;

[[noreturn]] void fail(const QString& reason) {
    throw RunningHostError(reason.toStdString());
}

} // namespace

QString applicationFolder() {
    return QStringLiteral(TALLOWICK_APP_DIR);
}

RunningHost::RunningHost(PrivateBus& bus, const QStringList& arguments)
    : pluginConnection_(bus.connect(QStringLiteral("plugin"))) {
    process_.setProcessEnvironment(bus.environment());
    process_.setProgram(applicationFolder() + QStringLiteral("/tallowick"));
    process_.setArguments(QStringList{QStringLiteral("--headless")} + arguments);
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_.start();
    if (!process_.waitForStarted())
        fail(QStringLiteral("tallowick did not start: ") + process_.errorString());

    // The host owns its name once it serves; until then poll the bus, and
    // give up early when the host has already ended.
    QDBusConnectionInterface* busInterface = pluginConnection_.interface();
    QElapsedTimer clock;
    clock.start();
    while (!busInterface->isServiceRegistered(QStringLiteral("Tallowick.Tallowick_Class"))) {
        if (process_.state() == QProcess::NotRunning || process_.waitForFinished(20))
            fail(QStringLiteral("tallowick ended before serving (status %1): %2")
                     .arg(process_.exitCode())
                     .arg(standardError()));
        if (clock.elapsed() > kStartLimitMs)
            fail(QStringLiteral("tallowick did not serve within %1 ms: %2")
                     .arg(kStartLimitMs)
                     .arg(standardError()));
    }
    object_ = host::connectToHost(pluginConnection_);
}

RunningHost::~RunningHost() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished();
    }
}

int RunningHost::stop() {
    if (process_.state() != QProcess::NotRunning)
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
    return waitForExit(30000);
}

void RunningHost::kill() {
    if (process_.state() == QProcess::NotRunning)
        return;
    ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
    if (!process_.waitForFinished(30000))
        fail(QStringLiteral("tallowick did not end on SIGKILL"));
}

int RunningHost::waitForExit(int milliseconds) {
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(milliseconds))
        fail(QStringLiteral("tallowick did not end within %1 ms").arg(milliseconds));
    if (process_.exitStatus() != QProcess::NormalExit)
        fail(QStringLiteral("tallowick crashed: ") + standardError());
    return process_.exitCode();
}

QString RunningHost::standardError() {
    return QString::fromLocal8Bit(process_.readAllStandardError());
}

std::string failureOf(host::AutomationObject& hostObject, const QString& method,
                      const std::vector<host::Variant>& args) {
    try {
        hostObject.Invoke(method, args);
    } catch (const host::HostCallError& error) {
        return error.what();
    }
    return "no failure";
}

} // namespace tests
