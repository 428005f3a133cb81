#pragma once

#include <QString>
#include <stdexcept>

namespace platform {

// The per-user settings store could not be read.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text stored under `key` in section "Startup" of the per-user settings
// of application "tallowick" (on Linux $XDG_CONFIG_HOME/tallowick.conf, by
// default ~/.config/tallowick.conf), or `defaultValue` when the key is
// missing. Reads the store afresh on every call. Throws SettingsError when
// the store exists but cannot be read or parsed.
QString readStartupSetting(const QString& key, const QString& defaultValue);

} // namespace platform
