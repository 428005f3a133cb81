#include "tallowick/calls/WindowCaller.h"

#include "tallowick/model/HostModel.h"

namespace tallowick {

void applyTheme(WindowCaller& caller, const host::ObjectRef& window) {
    caller.callLater(window, QStringLiteral("PrefsCallback"), {host::Variant(window)});
}

void applyThemeToHeldWindows(WindowCaller& caller, const HostModel& model) {
    for (const host::ObjectRef& window : model.heldWindows())
        applyTheme(caller, window);
}

} // namespace tallowick
