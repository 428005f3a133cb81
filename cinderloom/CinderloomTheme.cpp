// The host's colour theme applied to the main window.
#include "automation/ServedObject.h"
#include "cinderloom/Cinderloom.h"
#include "cinderloom/HostTheme.h"
#include "maker/widgets/ColorValue.h"

#include <stdexcept>

namespace cinderloom {
namespace {

// The window a target reference stands for. The host hands back a window
// it was given, which in this process is the window's automation face; a
// reference that came over the bus carries no local object, and the only
// window the host passes to this window's own operation is this window
// itself.
Cinderloom& targetWindow(const host::ObjectRef& target, Cinderloom& self) {
    if (!target.local)
        return self;
    auto* served = dynamic_cast<host::ServedObject<Cinderloom>*>(target.local);
    if (!served)
        throw std::invalid_argument("the target is not a main window and has no BackColor");
    return served->target();
}

} // namespace

void Cinderloom::PrefsCallback(const host::ObjectRef& target) {
    const HostTheme theme = readHostTheme();
    Cinderloom& window = targetWindow(target, *this);

    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, maker::colorFromValue(kThemeBackdropColor));
    window.setPalette(palette);
    window.setAutoFillBackground(true);

    recolourControls(theme, window.Controls());
    window.update();
}

} // namespace cinderloom
