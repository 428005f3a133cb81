#include "fuzz/support/LocalLoop.h"

#include "fuzz/support/FuzzedMessages.h"
#include "link/DBusWire.h"
#include "tests/support/PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzz {

namespace {

const QString kPath = QStringLiteral("/fuzz");

class AnsweringObject final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        connection.send(message.createReply(answer ? answer(message) : QList<QVariant>{}));
        return true;
    }
    Answer answer;
};

struct Loop {
    tests::PrivateBus bus;
    QDBusConnection connection = bus.connect(QStringLiteral("fuzz"));
    AnsweringObject object;
};

Loop* g_loop = nullptr;

void endLoop() {
    // Dropped before the exit goes on, so that the daemon and its folder go.
    delete g_loop;
    g_loop = nullptr;
}

} // namespace

void startLocalLoop(int& argc, char** argv) {
    static QCoreApplication application(argc, argv);
    registerFuzzedTypes();
    try {
        g_loop = new Loop;
    } catch (const tests::PrivateBusError& error) {
        std::fprintf(stderr, "fuzz: %s\n", error.what());
        std::exit(1);
    }
    if (!g_loop->connection.registerVirtualObject(kPath, &g_loop->object)) {
        std::fprintf(stderr, "fuzz: the object cannot be exported on the private bus\n");
        std::exit(1);
    }
    std::atexit(endLoop);
}

QDBusMessage callThroughLocalLoop(const QList<QVariant>& arguments, const Answer& answer) {
    g_loop->object.answer = answer;
    QDBusMessage call = QDBusMessage::createMethodCall(g_loop->connection.baseService(), kPath,
                                                       host::dbus::kInterface, host::dbus::kMethod);
    call.setArguments(arguments);
    QDBusMessage reply = g_loop->connection.call(call, QDBus::Block, 10000);
    g_loop->object.answer = nullptr;
    return reply;
}

} // namespace fuzz
