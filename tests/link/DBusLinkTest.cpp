// Blocking calls over a private bus to objects served from a worker thread:
// every value crosses both ways, names and failures reach the other side
// intact, and a missing host is named.
#include "link/DBusAsyncCall.h"
#include "link/DBusAutomationObject.h"
#include "link/DBusExport.h"
#include "tests/support/BusServerThread.h"
#include "tests/support/FakeHost.h"
#include "tests/support/PrivateBus.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace {

using host::ByteArray;
using host::DBusAutomationObject;
using host::HostCallError;
using host::Variant;

ByteArray patterned(std::vector<host::Dimension> bounds) {
    ByteArray array(std::move(bounds));
    for (std::size_t i = 0; i < array.size(); ++i)
        array.data()[i] = static_cast<uint8_t>(i * 37 + 11);
    return array;
}

// A position-sensitive sum, so that swapped or shifted bytes change it.
int32_t checksumOf(const ByteArray& array) {
    uint32_t sum = 0;
    for (std::size_t i = 0; i < array.size(); ++i)
        sum += array.data()[i] * static_cast<uint32_t>(i % 251 + 1);
    return static_cast<int32_t>(sum);
}

int openDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files).size());
}

HostCallError callError(DBusAutomationObject& object, const QString& method,
                        const std::vector<Variant>& args = {}) {
    try {
        object.Invoke(method, args);
    } catch (const HostCallError& error) {
        return error;
    }
    throw std::logic_error(method.toStdString() + " did not fail");
}

class HostLinkOverBus : public ::testing::Test {
protected:
    void SetUp() override {
        served.setHandler("Echo", [](const std::vector<Variant>& args) {
            return args.empty() ? Variant(host::Empty{}) : args.front();
        });
        reference = server.serve(served, QStringLiteral("/echo"));
        client = std::make_unique<DBusAutomationObject>(bus.connect("client"), reference);
    }

    tests::PrivateBus bus;
    tests::FakeHost served;
    tests::BusServerThread server{bus, "server"};
    host::ObjectRef reference;
    std::unique_ptr<DBusAutomationObject> client;
};

TEST_F(HostLinkOverBus, EveryTypeCrossesAsArgumentAndAsResult) {
    const std::vector<Variant> values = {
        host::Empty{},
        int16_t{-32768},
        int32_t{-2000000000},
        0.1,
        QStringLiteral("Grüße, 𝄞 und \"quotes\""),
        true,
        false,
        patterned({{5, 4}}),
        patterned({{1, 2}, {-1, 3}, {2, 2}}),
        ByteArray({{0, 0}}),
        ByteArray(),
        host::ObjectRef{QStringLiteral(":1.42"), QStringLiteral("/windows/7"), nullptr},
    };
    // All at once as arguments: order and types survive.
    client->Invoke("Echo", values);
    ASSERT_EQ(served.calls().size(), 1u);
    EXPECT_EQ(served.calls().back().args, values);
    // Each as the result, typed as it was sent (a 16-bit integer stays one).
    for (const Variant& value : values) {
        const Variant back = client->Invoke("Echo", {value});
        EXPECT_EQ(back, value) << host::typeName(value).toStdString();
    }
}

TEST_F(HostLinkOverBus, WholePlaneCrossesBothWays) {
    const ByteArray plane = patterned({{0, 1921}, {0, 1081}});
    served.setResult("tal_GetRBuffer", plane);
    served.setHandler("Tal_SetRBuffer", [](const std::vector<Variant>& args) -> Variant {
        return checksumOf(std::get<ByteArray>(args.at(0)));
    });

    const Variant fetched = client->Invoke("tal_GetRBuffer");
    ASSERT_TRUE(std::holds_alternative<ByteArray>(fetched));
    EXPECT_EQ(std::get<ByteArray>(fetched).dimensions(), plane.dimensions());
    EXPECT_EQ(checksumOf(std::get<ByteArray>(fetched)), checksumOf(plane));
    EXPECT_TRUE(std::get<ByteArray>(fetched) == plane);

    EXPECT_EQ(client->Invoke("Tal_SetRBuffer", {plane}), Variant(checksumOf(plane)));

    // Both ends are in this process: every memory file sent or received must
    // be closed again, or a long session runs out of descriptors. Ten
    // transfers that each left one open would show as ten more; QtDBus's own
    // thread may still hold the last message or two for a moment.
    server.run([] {});
    const int before = openDescriptors();
    for (int round = 0; round < 5; ++round) {
        client->Invoke("tal_GetRBuffer");
        client->Invoke("Tal_SetRBuffer", {plane});
    }
    server.run([] {});
    EXPECT_LE(openDescriptors(), before + 2);
}

TEST_F(HostLinkOverBus, BorrowedPlanesHoldTheSendersFileOnlyWhileTheyAreRead) {
    // The served side gets argument planes borrowed, for the call only: what
    // it keeps is a copy, and the caller's file is free again for the next
    // call's different plane.
    std::vector<ByteArray> kept;
    bool argumentBorrowed = false;
    served.setHandler("Keep", [&](const std::vector<Variant>& args) -> Variant {
        const auto& plane = std::get<ByteArray>(args.at(0));
        argumentBorrowed = plane.borrows();
        kept.push_back(plane);
        return host::Empty{};
    });
    const ByteArray first = patterned({{0, 640}, {0, 480}});
    ByteArray second = first;
    for (std::size_t i = 0; i < second.size(); ++i)
        second.data()[i] ^= 0x5A;
    client->Invoke("Keep", {first});
    client->Invoke("Keep", {second});
    server.run([&] {
        EXPECT_TRUE(argumentBorrowed);
        ASSERT_EQ(kept.size(), 2u);
        EXPECT_FALSE(kept[0].borrows());
        EXPECT_TRUE(kept[0] == first);
        EXPECT_TRUE(kept[1] == second);
    });

    // A result borrowed by the caller keeps its bytes while the server sends
    // another plane: that one goes in another file.
    server.run([&] { served.setResult("tal_GetRBuffer", first); });
    const Variant held = client->InvokeBorrowing("tal_GetRBuffer");
    ASSERT_TRUE(std::holds_alternative<ByteArray>(held));
    EXPECT_TRUE(std::get<ByteArray>(held).borrows());
    server.run([&] { served.setResult("tal_GetRBuffer", second); });
    const Variant next = client->InvokeBorrowing("tal_GetRBuffer");
    EXPECT_TRUE(std::get<ByteArray>(next) == second);
    EXPECT_TRUE(std::get<ByteArray>(held) == first);
}

TEST_F(HostLinkOverBus, SentCallsAreServedInTheOrderSentAndAnsweredInAnyOrder) {
    // Each plane differs from the one before, so an answer read from the
    // wrong file, or a file written again while its plane is borrowed, shows.
    const ByteArray base = patterned({{0, 640}, {0, 480}});
    int servedCount = 0;
    const auto planeNumber = [&](int number) {
        ByteArray plane = base;
        for (std::size_t i = 0; i < plane.size(); ++i)
            plane.data()[i] ^= static_cast<uint8_t>(number);
        return plane;
    };
    served.setHandler("NextPlane", [&](const std::vector<Variant>&) -> Variant {
        return planeNumber(++servedCount);
    });
    std::vector<std::unique_ptr<host::SentCall>> sent;
    for (int call = 0; call < 3; ++call)
        sent.push_back(client->Send("NextPlane", {}, host::ResultUse::CopiedOnce));
    sent.push_back(client->Send("Echo", {int32_t{4}}));

    EXPECT_EQ(sent[3]->answer(), Variant(int32_t{4}));
    const Variant third = sent[2]->answer();
    const Variant first = sent[0]->answer();
    const Variant second = sent[1]->answer();
    EXPECT_TRUE(std::get<ByteArray>(first).borrows());
    EXPECT_TRUE(std::get<ByteArray>(first) == planeNumber(1));
    EXPECT_TRUE(std::get<ByteArray>(second) == planeNumber(2));
    EXPECT_TRUE(std::get<ByteArray>(third) == planeNumber(3));

    // A failure comes from the answer, named, and spares the calls beside it.
    server.run([&] { served.failNthCall("Refuse", 1, "not now"); });
    const auto refused = client->Send("Refuse", {});
    const auto echoed = client->Send("Echo", {int32_t{5}});
    try {
        refused->answer();
        FAIL() << "the refused call answered";
    } catch (const HostCallError& error) {
        EXPECT_EQ(error.method(), "Refuse");
        EXPECT_TRUE(error.reason().contains("not now")) << error.what();
    }
    EXPECT_EQ(echoed->answer(), Variant(int32_t{5}));
}

TEST_F(HostLinkOverBus, MethodNameArrivesAsSpelled) {
    client->Invoke("tAl_gEtRbUfFeR");
    client->Invoke("Tal_GetBbuffer");
    EXPECT_EQ(served.callNames(), (QStringList{"tAl_gEtRbUfFeR", "Tal_GetBbuffer"}));
}

TEST_F(HostLinkOverBus, CallsDoNotRunTheCallersEventsWhileWaiting) {
    // A window operation for the caller's thread, sent while its call waits,
    // must wait until the call has returned, not run in its middle; so must
    // a timer of the caller's that comes due.
    tests::FakeHost window;
    const host::ObjectExport windowExport = host::exportWindow(bus.connect("client"), window, 1);
    const host::ObjectRef windowRef = windowExport.reference();
    const QDBusConnection serverConnection = server.connection();
    served.setHandler("CallBack", [&](const std::vector<Variant>&) {
        host::invokeAsync(serverConnection, windowRef, "Poke", {}, [](const QString&) {});
        // Answered only once the window's call has had time to arrive.
        QThread::msleep(200);
        return Variant(int32_t{1});
    });
    bool timerRan = false;
    QTimer due;
    due.setSingleShot(true);
    QObject::connect(&due, &QTimer::timeout, [&] { timerRan = true; });
    due.start(0);

    EXPECT_EQ(client->Invoke("CallBack"), Variant(int32_t{1}));
    EXPECT_FALSE(timerRan);
    EXPECT_TRUE(window.callNames().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.callNames().isEmpty(); }, 10000));
    EXPECT_EQ(window.callNames(), QStringList{"Poke"});
    EXPECT_TRUE(timerRan);
}

TEST_F(HostLinkOverBus, FailuresComeBackAsHostCallErrorWithMethodAndReason) {
    served.failCalls("Tal_SaveUndo", "no image is open");
    const HostCallError refused = callError(*client, "tal_saveundo");
    EXPECT_EQ(refused.method(), "tal_saveundo");
    EXPECT_EQ(refused.reason(), "no image is open");

    served.setHandler("Tal_NewBuffer", [](const std::vector<Variant>&) -> Variant {
        throw std::runtime_error("out of memory for 70000 x 70000");
    });
    EXPECT_EQ(callError(*client, "Tal_NewBuffer").reason(), "out of memory for 70000 x 70000");

    // A failure of another call inside the served method keeps that call's
    // name in the reason.
    served.setHandler("DoColorPick", [](const std::vector<Variant>&) -> Variant {
        throw HostCallError("tal_setPrimaryColor", "the host is gone");
    });
    EXPECT_EQ(callError(*client, "DoColorPick").reason(), "tal_setPrimaryColor: the host is gone");

    // A result that cannot cross is a failure of the call, not a lost value.
    served.setResult("Tal_GetObject", host::ObjectRef{{}, {}, &served});
    const HostCallError unsendable = callError(*client, "Tal_GetObject");
    EXPECT_TRUE(unsendable.reason().contains("the result could not be sent")) << unsendable.what();
}

// What `call` throws: "unknown operation" or "failure" by its type, then its
// text.
template <typename Call> std::string kindOfFailure(Call&& call) {
    try {
        call();
    } catch (const host::UnknownOperationError& error) {
        return std::string("unknown operation: ") + error.what();
    } catch (const HostCallError& error) {
        return std::string("failure: ") + error.what();
    }
    return "no failure";
}

TEST_F(HostLinkOverBus, AnObjectWithoutTheOperationSaysSoAcrossTheBus) {
    served.setHandler("PrefsCallback", [](const std::vector<Variant>&) -> Variant {
        throw host::UnknownOperationError("PrefsCallback",
                                          "the dialog has no operation of that name");
    });
    EXPECT_EQ(kindOfFailure([&] { client->Invoke("prefscallback"); }),
              "unknown operation: prefscallback: the dialog has no operation of that name");

    // An operation that is there but fails because another object lacks one
    // is a failure of its own.
    served.setHandler("DoColorPick", [](const std::vector<Variant>&) -> Variant {
        throw host::UnknownOperationError("Tal_PickColour", "unknown method");
    });
    EXPECT_EQ(kindOfFailure([&] { client->Invoke("DoColorPick"); }),
              "failure: DoColorPick: Tal_PickColour: unknown method");
}

TEST_F(HostLinkOverBus, CallsToAMissingObjectOrWithUnsendableArgumentsFail) {
    DBusAutomationObject nowhere(bus.connect("client"),
                                 {reference.service, QStringLiteral("/nowhere"), nullptr});
    const HostCallError missing = callError(nowhere, "tal_Refresh");
    EXPECT_TRUE(missing.reason().contains("has no object at /nowhere")) << missing.what();

    const HostCallError unsendable =
        callError(*client, "Echo", {1, QStringLiteral("a") + QChar(u'\0')});
    EXPECT_TRUE(unsendable.reason().startsWith("argument 2:")) << unsendable.what();
    EXPECT_EQ(served.countOf("Echo"), 0);
}

TEST_F(HostLinkOverBus, TheHostIsWhoeverOwnsTheWellKnownName) {
    try {
        host::connectToHost(bus.connect("client"));
        FAIL() << "connected without a host";
    } catch (const host::HostUnavailableError& error) {
        EXPECT_STREQ(
            error.what(),
            "No host is running: nobody owns Tallowick.Tallowick_Class on the session bus");
    }

    const host::ObjectRef served_as_host = server.serveAsHost(served);
    const auto hostObject = host::connectToHost(bus.connect("client"));
    EXPECT_EQ(hostObject->target(), served_as_host);
    EXPECT_EQ(hostObject->Invoke("Echo", {int32_t{7}}), Variant(int32_t{7}));

    // A second host cannot take the name over.
    tests::FakeHost other;
    tests::BusServerThread rival(bus, "rival");
    try {
        rival.serveAsHost(other);
        FAIL() << "a second host claimed the name";
    } catch (const host::ExportError& error) {
        EXPECT_NE(std::string(error.what()).find(served_as_host.service.toStdString()),
                  std::string::npos)
            << error.what();
    }
}

} // namespace
