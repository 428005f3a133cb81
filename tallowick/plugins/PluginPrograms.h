#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace tallowick {

// A plug-in that cannot be started from the host's application directory.
class PluginError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The names of the executables in `appDir` that are named like plug-ins
// ("*_pm"), in name order.
QStringList findPlugins(const QString& appDir);

// The full path of plug-in `name` in `appDir`. PluginError for an empty name,
// one with a path separator or naming "." or "..", or one that is not an
// executable file there.
QString resolvePluginProgram(const QString& appDir, const QString& name);

} // namespace tallowick
