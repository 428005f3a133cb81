#include "tallowick/calls/WindowCaller.h"

#include "tallowick/model/HeldWindows.h"

namespace tallowick {

void applyTheme(WindowCaller& caller, const host::ObjectRef& window) {
    caller.callLater(window, QStringLiteral("PrefsCallback"), {host::Variant(window)});
}

void applyThemeToHeldWindows(WindowCaller& caller, const HeldWindows& windows) {
    for (const host::ObjectRef& window : windows.all())
        applyTheme(caller, window);
}

} // namespace tallowick
