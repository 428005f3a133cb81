#include "tallowick/plugins/PluginLauncher.h"

#include "tallowick/plugins/PluginPrograms.h"

namespace tallowick {

PluginLauncher::PluginLauncher(QString appDir, QObject* parent)
    : QObject(parent), appDir_(std::move(appDir)) {}

PluginLauncher::~PluginLauncher() {
    // Plug-ins still running when the host ends lose their host: ask them
    // to go rather than leave them waiting on a dead bus name.
    for (const auto& process : running_) {
        process->disconnect(this);
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            process->waitForFinished(3000);
        }
    }
}

void PluginLauncher::launch(const QString& name, const std::optional<QString>& argument) {
    const QString program = resolvePluginProgram(appDir_, name);
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);
    process->setProgram(program);
    process->setArguments(argument ? QStringList{*argument} : QStringList{});
    process->setWorkingDirectory(appDir_);

    QProcess* started = process.get();
    connect(started, &QProcess::finished, this,
            [this, name, started](int exitCode, QProcess::ExitStatus exitStatus) {
                emit pluginFinished(name, exitStatus == QProcess::CrashExit, exitCode);
            });
    process->start();
    if (!process->waitForStarted())
        throw PluginError(QStringLiteral("Cannot start plug-in %1: %2")
                              .arg(program, process->errorString())
                              .toStdString());
    running_.push_back(std::move(process));
}

} // namespace tallowick
