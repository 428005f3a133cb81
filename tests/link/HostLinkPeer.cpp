// A host object in a process of its own, for the tests of the host link: it
// serves on the session bus its environment names, prints "serving" once the
// name is its own, and answers "Echo" with its first argument. "Vanish" ends
// the process in the middle of the call, without an answer, as a crashing
// host would; "Stall" (milliseconds, value) answers with the value only after
// that long, as a host busy or hung for a while would. A host that stops
// answering altogether is this one stopped with SIGSTOP.
#include "link/DBusExport.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <cstdlib>

namespace {

class PeerHost : public host::AutomationObject {
public:
    host::Variant Invoke(const QString& method, const std::vector<host::Variant>& args) override {
        if (method.compare(QLatin1StringView("Vanish"), Qt::CaseInsensitive) == 0)
            std::_Exit(0);
        if (method.compare(QLatin1StringView("Stall"), Qt::CaseInsensitive) == 0) {
            QThread::msleep(static_cast<unsigned long>(std::get<int32_t>(args.at(0))));
            return args.size() > 1 ? args[1] : host::Variant(host::Empty{});
        }
        if (method.compare(QLatin1StringView("Echo"), Qt::CaseInsensitive) == 0)
            return args.empty() ? host::Variant(host::Empty{}) : args.front();
        throw host::HostCallError(method, QStringLiteral("no such method"));
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    PeerHost peer;
    try {
        const host::ServedHostObject served(QDBusConnection::sessionBus(), peer,
                                            host::DirectCalls::Offered);
        std::puts("serving");
        std::fflush(stdout);
        return application.exec();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
