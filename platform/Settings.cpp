#include "platform/Settings.h"

#include <QSettings>
#include <QStringList>

namespace platform {

QString readStartupSetting(const QString& key, const QString& defaultValue) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tallowick"));
    if (settings.status() != QSettings::NoError)
        throw SettingsError(
            QStringLiteral("Settings: cannot read %1").arg(settings.fileName()).toStdString());
    settings.beginGroup(QStringLiteral("Startup"));
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return defaultValue;
    // The file format splits a value at unquoted commas into a list; the
    // stored text is the list joined again.
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

} // namespace platform
