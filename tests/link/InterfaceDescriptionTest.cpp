// The automation interface's description: the one the package installs for
// callers, and what a served object answers to Introspect.
#include "link/AutomationInterface.h"
#include "link/DBusWire.h"
#include "tests/support/BusServerThread.h"
#include "tests/support/FakeHost.h"
#include "tests/support/PrivateBus.h"

#include <QDBusMessage>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

struct DescribedMethod {
    QString name;
    QString inSignature;
    QString outSignature;
};

struct DescribedInterface {
    QStringList names;
    std::vector<DescribedMethod> methods;
    QString error;
};

// The interfaces and methods an introspection document describes, or the
// XML error that stopped reading it.
DescribedInterface readDescription(const QString& xml) {
    DescribedInterface described;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto attribute = [&](const char* name) {
            return reader.attributes().value(QLatin1StringView(name)).toString();
        };
        if (reader.name() == QLatin1StringView("interface")) {
            described.names.append(attribute("name"));
        } else if (reader.name() == QLatin1StringView("method")) {
            described.methods.push_back({attribute("name"), {}, {}});
        } else if (reader.name() == QLatin1StringView("arg") && !described.methods.empty()) {
            DescribedMethod& method = described.methods.back();
            (attribute("direction") == QLatin1StringView("out") ? method.outSignature
                                                                : method.inSignature) +=
                attribute("type");
        }
    }
    if (reader.hasError())
        described.error = reader.errorString();
    return described;
}

TEST(InterfaceDescription, DeclaresTheInterfaceTheLinkSpeaks) {
    const DescribedInterface described =
        readDescription(QString::fromUtf8(host::dbus::kInterfaceDescription));
    ASSERT_TRUE(described.error.isEmpty()) << described.error.toStdString();
    EXPECT_EQ(described.names, QStringList{QString(host::dbus::kInterface)});
    ASSERT_EQ(described.methods.size(), 1u);
    EXPECT_EQ(described.methods[0].name, host::dbus::kMethod);
    EXPECT_EQ(described.methods[0].inSignature, host::dbus::kCallSignature);
    EXPECT_EQ(described.methods[0].outSignature, host::dbus::kReplySignature);
}

TEST(InterfaceDescription, IsWhatAServedObjectAnswersToIntrospect) {
    tests::PrivateBus bus;
    tests::FakeHost hostObject;
    tests::BusServerThread server(bus, "host");
    const host::ObjectRef served = server.serveAsHost(hostObject);

    const QDBusMessage reply = bus.connect("caller").call(QDBusMessage::createMethodCall(
        served.service, served.path, "org.freedesktop.DBus.Introspectable", "Introspect"));
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    const QString document = reply.arguments().value(0).toString();
    // Word for word, comments and annotations included, and only once.
    const QString expected = QString::fromUtf8(host::dbus::kInterfaceDescription);
    EXPECT_EQ(document.count(expected), 1) << document.toStdString();
    // Beside the introspection interfaces QtDBus adds, still one document.
    const DescribedInterface described = readDescription(document);
    EXPECT_TRUE(described.error.isEmpty()) << described.error.toStdString();
    EXPECT_TRUE(described.names.contains(QString(host::dbus::kInterface)));
    server.withdrawAll();
}

} // namespace
