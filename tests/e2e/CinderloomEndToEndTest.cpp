// Cinderloom's code in this process against a real `tallowick --headless` on
// a private bus: the start-up, the dialog's "Ok" and "Done" answered Yes, as
// the host's trace records them.
#include "cinderloom/CLOptions.h"
#include "cinderloom/Cinderloom.h"
#include "cinderloom/DBusWindowHandover.h"
#include "cinderloom/Module1.h"
#include "host/ResultConversions.h"
#include "maker/widgets/VxButton.h"
#include "platform/MessageBox.h"
#include "tests/support/RunningHost.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct TraceLine {
    QString method;
    QJsonArray args;
};

std::vector<TraceLine> readTrace(const QString& path) {
    QFile trace(path);
    if (!trace.open(QIODevice::ReadOnly))
        return {};
    std::vector<TraceLine> lines;
    for (const QByteArray& line : trace.readAll().trimmed().split('\n')) {
        const QJsonObject call = QJsonDocument::fromJson(line).object();
        lines.push_back({call["method"].toString(), call["args"].toArray()});
    }
    return lines;
}

// The demo animation's 12 frames, retrieved one after the other.
QStringList expectedStartUpCalls() {
    QStringList calls{"Tal_GetAppDir",      "tal_BufferWidth", "tal_BufferHeight",
                      "tal_GetTotalFrames", "tal_StatusOpen",  "tal_Status"};
    for (int frame = 0; frame < 12; ++frame)
        calls << "Tal_GotoFrameAdv"
              << "tal_GetRbuffer"
              << "tal_GetGbuffer"
              << "Tal_GetBbuffer"
              << "tal_Status";
    calls << "Tal_GotoFrame"
          << "tal_StatusClose"
          << "Tal_SendFormObject";
    return calls;
}

TEST(CinderloomEndToEnd, StartsUpRetrievesTheDemoAndHandsOverBothWindows) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString tracePath = folder.filePath("trace.jsonl");
    const QString startDirectory = QDir::currentPath();
    tests::PrivateBus bus;
    tests::RunningHost host(bus, {"--trace", tracePath});
    platform::ScopedMessageBoxResponder answerYes([](const platform::MessageBoxRequest& request) {
        return request.buttons == platform::MessageBoxButtons::YesNo
                   ? platform::MessageBoxAnswer::Yes
                   : platform::MessageBoxAnswer::Ok;
    });

    {
        cinderloom::DBusWindowHandover handover(host.pluginConnection());
        cinderloom::Module1 module(handover);
        module.startUp([&] { return host::connectToHost(host.pluginConnection()); });
        QTest::mouseClick(module.optionsDialog()->Command1, Qt::LeftButton);
        ASSERT_NE(module.mainWindow(), nullptr);

        // Cell 11 holds frame 11 of the host, sample for sample.
        auto& hostObject = host.object();
        hostObject.Invoke("Tal_GotoFrameAdv", {int32_t{11}, int16_t{3}});
        const host::ByteArray red =
            host::resultToPlane("tal_GetRbuffer", hostObject.Invoke("tal_GetRbuffer"));
        ASSERT_EQ(module.cells.columns() * module.cells.rows(), static_cast<int64_t>(red.size()));
        EXPECT_TRUE(std::equal(red.data(), red.data() + red.size(),
                               module.cells.cell(cinderloom::Channel::Red, 11)));
        EXPECT_EQ(module.width, 320);
        EXPECT_EQ(module.height, 240);

        QTest::mouseClick(module.mainWindow()->vx_button3, Qt::LeftButton);
        EXPECT_FALSE(module.mainWindow()->isVisible());
    }
    QDir::setCurrent(startDirectory);

    const std::vector<TraceLine> trace = readTrace(tracePath);
    QStringList methods;
    for (const TraceLine& line : trace)
        methods << line.method;
    const qsizetype first = methods.indexOf("Tal_GetAppDir");
    ASSERT_GE(first, 0) << methods.join(' ').toStdString();
    const QStringList startUp = expectedStartUpCalls();
    EXPECT_EQ(methods.mid(first, startUp.size()), startUp);
    EXPECT_EQ(methods.mid(first + startUp.size(), 2),
              (QStringList{"Tal_WallpaperFilename", "Tal_SendFormObject"}));

    // Both windows travel as references to this process's objects, with 0.
    const QString ownName = host.pluginConnection().baseService();
    for (const TraceLine& line : trace) {
        if (line.method != "Tal_SendFormObject")
            continue;
        EXPECT_EQ(line.args[0].toObject()["service"].toString(), ownName);
        EXPECT_EQ(line.args[1].toInt(-1), 0);
    }
    EXPECT_EQ(host.stop(), 0);
}

} // namespace
