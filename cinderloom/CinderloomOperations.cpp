// The main window's operations the host may call.
#include "cinderloom/Cinderloom.h"
#include "platform/FatalError.h"

#include <exception>

namespace cinderloom {
namespace {

using Args = host::ServedObject<Cinderloom>::Args;

// The host themes every window it holds and must hear why one refused.
host::Variant prefsCallback(Cinderloom& window, const QString& method, const Args& args) {
    const host::ObjectRef& target =
        host::arguments::object(method, args, 0, QStringLiteral("target"));
    try {
        window.PrefsCallback(target);
    } catch (const std::exception& error) {
        throw host::HostCallError(method, QString::fromUtf8(error.what()));
    }
    return host::Empty{};
}

// A failed redraw is the program's own fault, not the caller's: it ends the
// program as any other event of the window would.
host::Variant picture1Paint(Cinderloom& window, const QString& method, const Args&) {
    platform::runOrEnd(method, [&window] { window.Picture1_Paint(); });
    return host::Empty{};
}

host::Variant picture2Paint(Cinderloom& window, const QString& method, const Args&) {
    platform::runOrEnd(method, [&window] { window.Picture2_Paint(); });
    return host::Empty{};
}

} // namespace

const host::ServedObject<Cinderloom>::Table& Cinderloom::operations() {
    static const host::ServedObject<Cinderloom>::Table table{
        {"PrefsCallback", 1, prefsCallback},
        {"Picture1_Paint", 0, picture1Paint},
        {"Picture2_Paint", 0, picture2Paint},
    };
    return table;
}

} // namespace cinderloom
