// A program's window exported on its connection, called by the host without
// waiting: the calls run on the program's GUI thread, and every failure
// reaches the host's failure handler.
#include "link/DBusAsyncCall.h"
#include "link/DBusExport.h"
#include "tests/support/FakeHost.h"
#include "tests/support/PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

namespace {

using host::Variant;

// Runs this thread's events until `done` holds. The guard only keeps a
// broken link from hanging the run; the test then fails on `done`.
template <typename Done> bool runEventsUntil(Done done) {
    QTimer guard;
    guard.setSingleShot(true);
    guard.start(60'000);
    while (!done() && guard.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// Waits until the bus daemon has seen `service` leave: a dropped connection
// closes in QtDBus's own thread, a little later.
bool waitUntilGone(QDBusConnection observer, const QString& service) {
    for (int attempt = 0; attempt < 6000; ++attempt) {
        if (!observer.interface()->isServiceRegistered(service))
            return true;
        QThread::msleep(10);
    }
    return false;
}

// Collects the failures of the host's calls.
struct Failures {
    QStringList reasons;
    host::CallFailureHandler handler() {
        return [this](const QString& reason) { reasons.append(reason); };
    }
};

class WindowExport : public ::testing::Test {
protected:
    tests::PrivateBus bus;
    QDBusConnection program = bus.connect("program");
    QDBusConnection hostSide = bus.connect("host");
    tests::FakeHost window;
    Failures failures;
};

TEST_F(WindowExport, HostCallsRunOnTheGuiThreadAndFailuresComeBackWithTheirText) {
    QThread* ranOn = nullptr;
    window.setHandler("PrefsCallback", [&](const std::vector<Variant>&) -> Variant {
        ranOn = QThread::currentThread();
        return host::Empty{};
    });
    window.failCalls("DoColorPick", "no picture to pick from");
    const host::ObjectExport exported = host::exportWindow(program, window, 1);
    const host::ObjectRef target = exported.reference();
    EXPECT_EQ(target.service, program.baseService());
    EXPECT_TRUE(target.path.startsWith("/windows/"));

    host::invokeAsync(hostSide, target, "prefsCALLBACK", {target}, failures.handler());
    host::invokeAsync(hostSide, target, "DoColorPick", {}, failures.handler());
    // Answers come back in order, so once the second has failed the first
    // has been answered too.
    ASSERT_TRUE(runEventsUntil([&] { return !failures.reasons.isEmpty(); }));
    EXPECT_EQ(failures.reasons, QStringList{"no picture to pick from"});
    EXPECT_EQ(window.callNames(), (QStringList{"prefsCALLBACK", "DoColorPick"}));
    EXPECT_EQ(window.calls().front().args, std::vector<Variant>{target});
    EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
}

TEST_F(WindowExport, AByteArraySentToAWindowIsRefusedUnread) {
    window.setHandler("PrefsCallback", [](const std::vector<Variant>&) { return host::Empty{}; });
    const host::ObjectExport exported = host::exportWindow(program, window, 1);
    host::invokeAsync(hostSide, exported.reference(), "PrefsCallback",
                      {host::ByteArray::plane(2, 2)}, failures.handler());
    ASSERT_TRUE(runEventsUntil([&] { return !failures.reasons.isEmpty(); }));
    EXPECT_TRUE(failures.reasons[0].contains("4 bytes, more than the 0 this call takes"))
        << failures.reasons[0].toStdString();
    EXPECT_TRUE(window.calls().empty());
}

TEST_F(WindowExport, AWindowWithoutTheOperationFailsOnlyWhenTheCallerCares) {
    window.setHandler("PrefsCallback", [](const std::vector<Variant>&) -> Variant {
        throw host::UnknownOperationError("PrefsCallback",
                                          "the options dialog has no operation of that name");
    });
    window.failCalls("DoColorPick", "no picture to pick from");
    const host::ObjectExport exported = host::exportWindow(program, window, 1);
    const host::ObjectRef target = exported.reference();

    const auto ignoring = host::MissingOperation::IsIgnored;
    host::invokeAsync(hostSide, target, "PrefsCallback", {target}, failures.handler(), ignoring);
    host::invokeAsync(hostSide, target, "PrefsCallback", {target}, failures.handler());
    // Only a missing operation is passed over; other failures still come.
    host::invokeAsync(hostSide, target, "DoColorPick", {}, failures.handler(), ignoring);
    ASSERT_TRUE(runEventsUntil([&] { return failures.reasons.size() == 2; }));
    EXPECT_EQ(failures.reasons, (QStringList{"the options dialog has no operation of that name",
                                             "no picture to pick from"}));
    EXPECT_EQ(window.countOf("PrefsCallback"), 2);
}

TEST_F(WindowExport, CallsToAGoneWindowOrProgramReportFailure) {
    std::optional<host::ObjectExport> exported(host::exportWindow(program, window, 1));
    const host::ObjectRef target = exported->reference();
    // Two windows cannot share a path.
    EXPECT_THROW(host::exportObject(program, window, target.path), host::ExportError);

    exported.reset();
    host::invokeAsync(hostSide, target, "Picture1_Paint", {}, failures.handler());
    ASSERT_TRUE(runEventsUntil([&] { return failures.reasons.size() == 1; }));
    EXPECT_TRUE(failures.reasons[0].contains("has no object at " + target.path))
        << failures.reasons[0].toStdString();

    // The program leaves the bus.
    program = QDBusConnection(QString());
    bus.disconnect("program");
    ASSERT_TRUE(waitUntilGone(hostSide, target.service));
    host::invokeAsync(hostSide, target, "Picture1_Paint", {}, failures.handler());
    ASSERT_TRUE(runEventsUntil([&] { return failures.reasons.size() == 2; }));
    EXPECT_TRUE(failures.reasons[1].contains("is gone")) << failures.reasons[1].toStdString();

    // An argument that cannot cross fails the same way, later.
    host::invokeAsync(hostSide, target, "Picture1_Paint", {host::ObjectRef{{}, {}, &window}},
                      failures.handler());
    EXPECT_EQ(failures.reasons.size(), 2);
    ASSERT_TRUE(runEventsUntil([&] { return failures.reasons.size() == 3; }));
    EXPECT_TRUE(failures.reasons[2].startsWith("argument 1:")) << failures.reasons[2].toStdString();
    EXPECT_EQ(window.countOf("Picture1_Paint"), 0);
}

} // namespace
