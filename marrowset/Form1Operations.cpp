// The main window's operations as the host calls them: each reads its
// arguments, naming the method, the position and the role of what is wrong,
// then runs. A call of the wrong shape goes back to the host as a
// host::HostCallError; a failure inside an operation ends the program.
#include "automation/CallArguments.h"
#include "marrowset/Form1.h"
#include "platform/FatalError.h"

#include <utility>

namespace marrowset {
namespace {

using Args = host::ServedObject<Form1>::Args;

template <typename Work> host::Variant runToTheEnd(const QString& method, Work&& work) {
    platform::runOrEnd(method, std::forward<Work>(work));
    return host::Empty{};
}

} // namespace

const host::ServedObject<Form1>::Table& Form1::operations() {
    namespace arguments = host::arguments;
    static const host::ServedObject<Form1>::Table table{
        {"CommandLineProcess", 0,
         [](Form1& window, const QString& method, const Args&) {
             return runToTheEnd(method, [&window] { window.CommandLineProcess(); });
         }},
        {"DoColorPick", 3,
         [](Form1& window, const QString& method, const Args& args) {
             const int32_t x = arguments::wholeNumber(method, args, 0, QStringLiteral("x"));
             const int32_t y = arguments::wholeNumber(method, args, 1, QStringLiteral("y"));
             const int32_t button =
                 arguments::wholeNumber(method, args, 2, QStringLiteral("button"));
             return runToTheEnd(method, [&] { window.DoColorPick(x, y, button); });
         }},
        {"DisplayBrush", 0,
         [](Form1& window, const QString& method, const Args&) {
             return runToTheEnd(method, [&window] { window.DisplayBrush(); });
         }},
    };
    return table;
}

} // namespace marrowset
