#include "tallowick/plugins/PluginPrograms.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace tallowick {

QStringList findPlugins(const QString& appDir) {
    QStringList names;
    const QFileInfoList entries = QDir(appDir).entryInfoList(
        {QStringLiteral("*_pm")}, QDir::Files | QDir::Executable, QDir::NoSort);
    for (const QFileInfo& entry : entries)
        names << entry.fileName();
    std::sort(names.begin(), names.end());
    return names;
}

QString resolvePluginProgram(const QString& appDir, const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')))
        throw PluginError(QStringLiteral("--run %1: a plug-in is named by its file name in %2, "
                                         "without a path")
                              .arg(name, appDir)
                              .toStdString());
    const QFileInfo program(QDir(appDir).filePath(name));
    if (!program.isFile() || !program.isExecutable())
        throw PluginError(QStringLiteral("--run %1: %2 is not an executable file")
                              .arg(name, program.absoluteFilePath())
                              .toStdString());
    return program.absoluteFilePath();
}

} // namespace tallowick
