// Windows handed to the host on the program's connection: each has a path of
// its own for the life of the program, so a reference the host still holds
// never reaches another window.
#include "link/DBusExport.h"
#include "plugin/startup/DBusWindowHandover.h"
#include "tests/support/FakeHost.h"
#include "tests/support/PrivateBus.h"

#include <gtest/gtest.h>

namespace {

TEST(DBusWindowHandover, EachWindowKeepsOnePathAndNoPathIsGivenTwice) {
    tests::PrivateBus bus;
    const QDBusConnection program = bus.connect("program");
    plugin::DBusWindowHandover handover(program);
    tests::FakeHost dialog;
    tests::FakeHost mainWindow;

    const host::ObjectRef first = handover.handOver(dialog);
    EXPECT_EQ(first.service, program.baseService());
    EXPECT_EQ(handover.handOver(dialog), first);
    const host::ObjectRef second = handover.handOver(mainWindow);
    EXPECT_NE(second.path, first.path);

    // A window withdrawn and handed over again comes back somewhere new.
    handover.withdraw(dialog);
    const host::ObjectRef again = handover.handOver(dialog);
    EXPECT_NE(again.path, first.path);
    EXPECT_NE(again.path, second.path);
}

TEST(DBusWindowHandover, APathAlreadyTakenOnTheConnectionIsAnExportError) {
    tests::PrivateBus bus;
    const QDBusConnection program = bus.connect("program");
    tests::FakeHost other;
    const host::ObjectExport taken = host::exportWindow(program, other, 1);
    plugin::DBusWindowHandover handover(program);
    tests::FakeHost window;
    EXPECT_THROW(handover.handOver(window), host::ExportError);
}

} // namespace
