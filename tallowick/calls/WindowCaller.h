#pragma once

#include "automation/Variant.h"

#include <QString>
#include <vector>

namespace tallowick {

class HeldWindows;

// Calls an operation of a window a plug-in handed over, without waiting for
// it: the plug-in may itself be waiting on the host. The implementation logs
// a failed call on standard error; the caller never learns of it.
class WindowCaller {
public:
    virtual ~WindowCaller() = default;
    virtual void callLater(const host::ObjectRef& window, const QString& method,
                           std::vector<host::Variant> args) = 0;
};

// Asks `window` to take the host's theme: PrefsCallback with the window
// itself as the target.
void applyTheme(WindowCaller& caller, const host::ObjectRef& window);
// The same for every window the host holds.
void applyThemeToHeldWindows(WindowCaller& caller, const HeldWindows& windows);

} // namespace tallowick
