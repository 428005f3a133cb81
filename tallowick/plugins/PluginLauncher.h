#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace tallowick {

// Starts plug-ins from the host's application directory as child processes
// that share the host's terminal, and reports when one ends.
class PluginLauncher : public QObject {
    Q_OBJECT

public:
    explicit PluginLauncher(QString appDir, QObject* parent = nullptr);
    ~PluginLauncher() override;

    // Starts `name` with its optional argument text. PluginError when the
    // program is not a plug-in beside the host or cannot be started.
    void launch(const QString& name, const std::optional<QString>& argument);

signals:
    // A plug-in ended, by itself with an exit status, or by a crash.
    void pluginFinished(const QString& name, bool crashed, int exitStatus);

private:
    QString appDir_;
    std::vector<std::unique_ptr<QProcess>> running_;
};

} // namespace tallowick
