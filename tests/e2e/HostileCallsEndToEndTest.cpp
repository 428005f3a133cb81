// The real host under calls a hostile program would make: the host refuses
// them before reading what they carry, its memory stays where it was, and it
// goes on serving.
#include "automation/ResultConversions.h"
#include "link/DBusWire.h"
#include "tests/support/RawCalls.h"
#include "tests/support/RunningHost.h"

#include <gtest/gtest.h>

namespace {

using host::dbus::WireValues;

constexpr std::size_t kGiB = std::size_t{1} << 30;
constexpr std::size_t kGrowthBound = 64u << 20;

host::dbus::WireValue sparseGiB() {
    return tests::rawByteArray({{0, 32768}, {0, 32768}}, tests::sparseSealedMemory(kGiB));
}

TEST(HostileCallsToTheHost, AreRefusedUnreadAndTheHostGoesOn) {
    tests::PrivateBus bus;
    tests::RunningHost host(bus, {});
    const QDBusConnection connection = host.pluginConnection();
    const host::ObjectRef target = host.object().target();
    const auto send = [&](const QString& method, const WireValues& values) {
        return tests::rawInvoke(connection, target, method, values);
    };
    const int32_t width =
        host::resultToInt32("Tal_BufferWidth", host.object().Invoke("Tal_BufferWidth"));
    const int32_t height =
        host::resultToInt32("Tal_BufferHeight", host.object().Invoke("Tal_BufferHeight"));
    const std::size_t before = tests::residentBytes(host.processId());

    EXPECT_EQ(send("Tal_DrawCircle", {sparseGiB()}).errorMessage(), "unknown method");
    EXPECT_EQ(send("Tal_BufferWidth", {sparseGiB(), sparseGiB(), sparseGiB(), sparseGiB()})
                  .errorMessage(),
              "expected 0 arguments, got 4");
    // A plane may hold no more than the current frame's (W + 1) x (H + 1).
    const QString plane = send("Tal_SetRBuffer", {sparseGiB()}).errorMessage();
    const std::size_t largest = std::size_t(width + 1) * std::size_t(height + 1);
    EXPECT_TRUE(plane.contains(
        QStringLiteral("1073741824 bytes, more than the %1 this call takes").arg(largest)))
        << plane.toStdString();
    // And nothing but a plane may be a byte array at all.
    EXPECT_TRUE(send("Tal_NewBuffer", {sparseGiB(), sparseGiB()})
                    .errorMessage()
                    .contains("more than the 0 this call takes"));

    // Bounds and value lists stop being read where the call is refused, so
    // neither they nor the answer grow with what was sent.
    const std::vector<host::dbus::WireDimension> million(1'000'000, {0, 1});
    EXPECT_EQ(send("Tal_SetRBuffer", {tests::rawByteArray(million, tests::sparseSealedMemory(1))})
                  .errorMessage(),
              "argument 1: A byte array has at most 3 dimensions; this one has more");
    const WireValues manyValues(100'000, {0, QVariant::fromValue(uchar{0})});
    EXPECT_EQ(send("tal_Refresh", manyValues).errorMessage(),
              "a call carries at most 16 values; this one carries more");

    EXPECT_LT(tests::residentBytes(host.processId()), before + kGrowthBound);
    EXPECT_EQ(host.object().Invoke("Tal_BufferWidth"), host::Variant(width));
    EXPECT_EQ(host.stop(), 0);
}

} // namespace
