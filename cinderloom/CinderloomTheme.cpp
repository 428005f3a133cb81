// The host's colour theme applied to the main window.
#include "cinderloom/Cinderloom.h"
#include "cinderloom/HostTheme.h"
#include "maker/widgets/ColorValue.h"

#include <stdexcept>

namespace cinderloom {
namespace {

// The window a target reference stands for. The host hands back a window
// it was given; a reference that came over the bus carries no local object,
// and the only window the host passes to this window's own operation is this
// window itself.
Cinderloom& targetWindow(const host::Variant& target, Cinderloom& self) {
    const auto* reference = std::get_if<host::ObjectRef>(&target);
    if (!reference)
        throw std::invalid_argument("the target is a " + host::typeName(target).toStdString() +
                                    ", not a window");
    if (!reference->local)
        return self;
    auto* window = dynamic_cast<Cinderloom*>(reference->local);
    if (!window)
        throw std::invalid_argument("the target is not a main window and has no BackColor");
    return *window;
}

} // namespace

void Cinderloom::PrefsCallback(const host::Variant& target) {
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
