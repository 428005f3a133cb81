// A peer that sends more than a call can use: sparse memory files that cost
// it nothing, a million dimensions, a hundred thousand values. The receiver
// refuses such a call before building anything that grows with what was
// sent, so its memory stays where it was.
#include "automation/AutomationObject.h"
#include "tests/support/BusServerThread.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/RawCalls.h"

#include <QDBusError>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>

namespace {

using host::dbus::WireDimension;
using host::dbus::WireValue;
using host::dbus::WireValues;

constexpr std::size_t kGiB = std::size_t{1} << 30;
// What the tests allow the process to grow by; reading any one of the
// memory files sent would cost a whole GiB.
constexpr std::size_t kGrowthBound = 64u << 20;

// Takes one method, "Take", with one argument, and byte arrays of at most
// 4096 bytes.
class Guarded : public host::AutomationObject {
public:
    host::Variant Invoke(const QString&, const std::vector<host::Variant>& args) override {
        ++invoked;
        const auto* array = std::get_if<host::ByteArray>(&args.front());
        return array ? host::Variant(static_cast<int32_t>(array->size())) : host::Empty{};
    }
    host::CallAdmission admit(const QString& caller, const QString& method,
                              std::size_t argumentCount) override {
        {
            const std::lock_guard lock(mutex);
            lastCaller = caller;
        }
        if (method != QLatin1StringView("Take"))
            throw host::HostCallError(method, QStringLiteral("unknown method"));
        if (argumentCount != 1)
            throw host::HostCallError(method, QStringLiteral("expected 1 argument"));
        return host::CallAdmission{4096};
    }

    std::atomic<int> invoked{0};
    std::mutex mutex;
    QString lastCaller;
};

class HostileCalls : public ::testing::Test {
protected:
    void SetUp() override { target = server.serve(guarded, QStringLiteral("/guarded")); }

    QDBusMessage send(const QString& method, const WireValues& values) {
        return tests::rawInvoke(client, target, method, values);
    }
    static WireValue sparseGiB() {
        // 32768 x 32768 bytes: exactly one GiB.
        return tests::rawByteArray({{0, 32768}, {0, 32768}}, tests::sparseSealedMemory(kGiB));
    }

    tests::PrivateBus bus;
    Guarded guarded;
    tests::BusServerThread server{bus, "server"};
    host::ObjectRef target;
    QDBusConnection client = bus.connect("client");
};

TEST_F(HostileCalls, ACallRefusedByNameOrCountLeavesItsMemoryFilesUnread) {
    const std::size_t before = tests::residentBytes();
    const QDBusMessage unknown = send(QStringLiteral("Grab"), {sparseGiB()});
    EXPECT_EQ(unknown.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(unknown.errorMessage(), "unknown method");
    const QDBusMessage miscounted =
        send(QStringLiteral("Take"), {sparseGiB(), sparseGiB(), sparseGiB(), sparseGiB()});
    EXPECT_EQ(miscounted.errorMessage(), "expected 1 argument");
    EXPECT_LT(tests::residentBytes(), before + kGrowthBound);
    EXPECT_EQ(guarded.invoked, 0);
}

TEST_F(HostileCalls, AByteArrayLargerThanTheCallTakesIsRefusedBeforeItIsRead) {
    const std::size_t before = tests::residentBytes();
    const QDBusMessage refused = send(QStringLiteral("Take"), {sparseGiB()});
    EXPECT_EQ(refused.errorName(), QDBusError::errorString(QDBusError::InvalidArgs));
    EXPECT_EQ(refused.errorMessage(), "argument 1: Byte array (0 To 32767, 0 To 32767): "
                                      "1073741824 bytes, more than the 4096 this call takes");
    EXPECT_LT(tests::residentBytes(), before + kGrowthBound);
    EXPECT_EQ(guarded.invoked, 0);

    // One of the size it takes arrives, and the object learns who sent it.
    const std::vector<uint8_t> bytes(4096, 7);
    const QDBusMessage taken = send(
        QStringLiteral("Take"),
        {tests::rawByteArray({{0, 4096}}, host::createSealedMemory(bytes.data(), bytes.size()))});
    ASSERT_EQ(taken.type(), QDBusMessage::ReplyMessage) << taken.errorMessage().toStdString();
    EXPECT_EQ(guarded.invoked, 1);
    const std::lock_guard lock(guarded.mutex);
    EXPECT_EQ(guarded.lastCaller, client.baseService());
}

// What the receiver builds for these is measured on the real host, a process
// of its own; here the sender's copies would swamp it.
TEST_F(HostileCalls, AMillionDimensionsOrValuesAreRefusedWithAShortAnswer) {
    const std::vector<WireDimension> million(1'000'000, WireDimension{0, 1});
    const QDBusMessage dimensions =
        send(QStringLiteral("Take"), {tests::rawByteArray(million, tests::sparseSealedMemory(1))});
    EXPECT_EQ(dimensions.errorMessage(),
              "argument 1: A byte array has at most 3 dimensions; this one has more");

    const WireValues manyValues(100'000, WireValue{0, QVariant::fromValue(uchar{0})});
    const QDBusMessage values = send(QStringLiteral("Take"), manyValues);
    EXPECT_EQ(values.errorMessage(), "a call carries at most 16 values; this one carries more");
    EXPECT_EQ(guarded.invoked, 0);
}

} // namespace
