// A real `tallowick --headless` on a private bus, driven through the D-Bus
// host object exactly as a plug-in drives it.
#include "automation/ResultConversions.h"
#include "link/DBusExport.h"
#include "tests/support/RunningHost.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using tests::failureOf;

using host::ByteArray;
using host::HostCallError;
using host::Variant;

// Two frames of 3 x 2 pixels. Frame f, pixel (x, y) has red 10x + y + 100f,
// green 50 + x, blue 60 + y and alpha 255 - x.
QRgb samplePixel(int frame, int x, int y) {
    return qRgba(10 * x + y + 100 * frame, 50 + x, 60 + y, 255 - x);
}

void writeAnimation(const QString& folder) {
    for (int frame = 0; frame < 2; ++frame) {
        QImage image(3, 2, QImage::Format_ARGB32);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                image.setPixel(x, y, samplePixel(frame, x, y));
        ASSERT_TRUE(image.save(QStringLiteral("%1/f%2.png").arg(folder).arg(frame)));
    }
}

ByteArray plane(host::AutomationObject& hostObject, const char* method) {
    return host::resultToPlane(method, hostObject.Invoke(method));
}

int32_t number(host::AutomationObject& hostObject, const char* method) {
    return host::resultToInt32(method, hostObject.Invoke(method));
}

// Every sample of a 4 x 3 plane handed out for the 3 x 2 frame: the extra
// column and row repeat the last real ones.
void expectFramePlane(const ByteArray& got, int frame, int (*channel)(QRgb)) {
    ASSERT_EQ(got.dimensions(), (std::vector<host::Dimension>{{0, 4}, {0, 3}}));
    for (int y = 0; y <= 2; ++y)
        for (int x = 0; x <= 3; ++x)
            EXPECT_EQ(got.at(x, y), channel(samplePixel(frame, std::min(x, 2), std::min(y, 1))))
                << "sample (" << x << ", " << y << ") of frame " << frame;
}

class HostEndToEnd : public ::testing::Test {
protected:
    void startHost(QStringList extra = {}) {
        ASSERT_TRUE(folder.isValid());
        QDir().mkpath(folder.filePath("anim"));
        writeAnimation(folder.filePath("anim"));
        host = std::make_unique<tests::RunningHost>(
            bus, QStringList{"--anim", folder.filePath("anim"), "--trace", tracePath(),
                             "--save-dir", folder.filePath("saved")} +
                     extra);
    }
    QString tracePath() const { return folder.filePath("trace.jsonl"); }

    QTemporaryDir folder;
    tests::PrivateBus bus;
    std::unique_ptr<tests::RunningHost> host;
};

TEST_F(HostEndToEnd, HandsOutFramesAsPlanesWithTheExtraColumnAndRow) {
    startHost();
    auto& h = host->object();
    EXPECT_EQ(number(h, "tal_BufferWidth"), 3);
    EXPECT_EQ(number(h, "Tal_BufferHeight"), 2);
    EXPECT_EQ(number(h, "tal_GetTotalFrames"), 2);

    for (int frame : {1, 0}) {
        h.Invoke("Tal_GotoFrameAdv", {int32_t{frame}, int16_t{3}});
        expectFramePlane(plane(h, "tal_GetRbuffer"), frame, qRed);
        expectFramePlane(plane(h, "tal_GetGBuffer"), frame, qGreen);
        expectFramePlane(plane(h, "Tal_GetBbuffer"), frame, qBlue);
        expectFramePlane(plane(h, "Tal_GetABuffer"), frame, qAlpha);
    }
    h.Invoke("Tal_GotoFrameAdv", {int32_t{1}, int16_t{3}});
    h.Invoke("Tal_GotoFrame", {int16_t{0}});
    expectFramePlane(plane(h, "TAL_GETRBUFFER"), 0, qRed);
}

TEST_F(HostEndToEnd, StoresPlanesAndCreatesDocuments) {
    startHost();
    auto& h = host->object();
    h.Invoke("Tal_SaveUndo");

    // A wider plane within the host's own 4 x 3 layout is fine; only columns
    // 0..2 land, and the extra column and row follow the new last ones.
    ByteArray red = ByteArray::plane(5, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            red.at(x, y) = static_cast<uint8_t>(7 * x + 3 * y);
    h.Invoke("Tal_SetRBuffer", {red});
    const ByteArray stored = plane(h, "tal_GetRBuffer");
    for (int y = 0; y <= 2; ++y)
        for (int x = 0; x <= 3; ++x)
            EXPECT_EQ(stored.at(x, y), 7 * std::min(x, 2) + 3 * std::min(y, 1));

    // A larger one is refused before it is read, naming both sizes.
    const std::string tooLarge = failureOf(h, "Tal_SetGBuffer", {ByteArray::plane(6, 5)});
    EXPECT_NE(tooLarge.find("30 bytes, more than the 12 this call takes"), std::string::npos)
        << tooLarge;

    // A plane too small is refused whole, naming the size it needs.
    const std::string refusal = failureOf(h, "Tal_SetGBuffer", {ByteArray::plane(2, 2)});
    EXPECT_NE(refusal.find("3"), std::string::npos) << refusal;
    expectFramePlane(plane(h, "tal_GetGBuffer"), 0, qGreen);

    int32_t frames = 4;
    h.Invoke("tal_CreateAnimAdv", {frames, int16_t{2}});
    EXPECT_EQ(number(h, "tal_GetTotalFrames"), 4);
    EXPECT_EQ(number(h, "tal_BufferWidth"), 3);
    h.Invoke("Tal_GotoFrameAdv", {int32_t{3}, int16_t{3}});
    const ByteArray white = plane(h, "tal_GetGbuffer");
    EXPECT_TRUE(
        std::all_of(white.data(), white.data() + white.size(), [](uint8_t v) { return v == 255; }));

    h.Invoke("Tal_NewBuffer", {int16_t{5}, int16_t{4}});
    EXPECT_EQ(number(h, "Tal_BufferWidth"), 5);
    EXPECT_EQ(number(h, "Tal_BufferHeight"), 4);
    EXPECT_EQ(number(h, "tal_GetTotalFrames"), 1);
    EXPECT_EQ(plane(h, "Tal_GetABuffer").dimensions(),
              (std::vector<host::Dimension>{{0, 6}, {0, 5}}));
}

TEST_F(HostEndToEnd, RefusesWhatItCannotServeAndNamesWhy) {
    startHost();
    auto& h = host->object();
    EXPECT_NE(failureOf(h, "Tal_NoSuchMethod").find("Tal_NoSuchMethod"), std::string::npos);
    EXPECT_NE(failureOf(h, "Tal_GotoFrameAdv", {QString("two"), int16_t{3}}), "no failure");
    EXPECT_NE(failureOf(h, "Tal_GotoFrameAdv", {int32_t{2}, int16_t{3}}), "no failure");
    EXPECT_NE(failureOf(h, "Tal_SetRBuffer", {int32_t{1}}), "no failure");
    // The host keeps serving after refusals.
    EXPECT_EQ(number(h, "tal_GetTotalFrames"), 2);
}

TEST_F(HostEndToEnd, HandsOverTheCombineTable) {
    startHost();
    const ByteArray table =
        host::ByteArray(std::get<ByteArray>(host->object().Invoke("tal_initluts")));
    ASSERT_EQ(table.dimensions(), (std::vector<host::Dimension>{{0, 256}, {0, 256}, {0, 10}}));
    auto entry = [&](int s, int d, int m) { return table.at(s, d, m); };
    EXPECT_EQ(entry(200, 100, 0), 255); // Add: min(300, 255)
    EXPECT_EQ(entry(100, 40, 1), 0);    // Subtract: max(40 - 100, 0)
    EXPECT_EQ(entry(128, 128, 2), 64);  // Multiply: 16384 / 255 = 64.25
    EXPECT_EQ(entry(0, 5, 3), 255);     // divide by 0
    EXPECT_EQ(entry(100, 200, 4), 222); // Screen: 255 - 155 * 55 / 255 = 221.57
    EXPECT_EQ(entry(3, 9, 5), 9);
    EXPECT_EQ(entry(3, 9, 6), 3);
    EXPECT_EQ(entry(0b1100, 0b1010, 7), 0b1000);
    EXPECT_EQ(entry(0b1100, 0b1010, 8), 0b1110);
    EXPECT_EQ(entry(0b1100, 0b1010, 9), 0b0110);
}

// A plug-in window: records the host's calls of its operations.
class RecordingWindow : public host::AutomationObject {
public:
    Variant Invoke(const QString& method, const std::vector<Variant>& args) override {
        calls.emplace_back(method, args);
        return host::Empty{};
    }
    std::vector<std::pair<QString, std::vector<Variant>>> calls;
};

TEST_F(HostEndToEnd, CallsPrefsCallbackOnAWindowHandedOver) {
    startHost();
    RecordingWindow window;
    const host::ObjectExport exported = host::exportWindow(host->pluginConnection(), window, 1);
    host->object().Invoke("Tal_SendFormObject", {exported.reference(), int16_t{0}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.calls.empty(); }, 10000));
    ASSERT_EQ(window.calls.size(), 1u);
    EXPECT_EQ(window.calls[0].first.toLower(), "prefscallback");
    ASSERT_EQ(window.calls[0].second.size(), 1u);
    const auto& target = std::get<host::ObjectRef>(window.calls[0].second[0]);
    EXPECT_EQ(target.service, exported.reference().service);
    EXPECT_EQ(target.path, exported.reference().path);
}

// A window whose every operation fails: without the operation, as an
// options dialog answers PrefsCallback, or broken.
class RefusingWindow : public host::AutomationObject {
public:
    explicit RefusingWindow(bool hasOperations) : hasOperations_(hasOperations) {}
    Variant Invoke(const QString& method, const std::vector<Variant>&) override {
        ++calls;
        if (hasOperations_)
            throw HostCallError(method, QStringLiteral("the theme is broken"));
        throw host::UnknownOperationError(
            method, QStringLiteral("the options dialog has no operation of that name"));
    }
    int calls = 0;

private:
    bool hasOperations_;
};

TEST_F(HostEndToEnd, AWindowWithoutPrefsCallbackIsNoFailureButABrokenOneIsLogged) {
    startHost();
    RefusingWindow dialog(false);
    RefusingWindow broken(true);
    const host::ObjectExport dialogExport = host::exportWindow(host->pluginConnection(), dialog, 1);
    const host::ObjectExport brokenExport = host::exportWindow(host->pluginConnection(), broken, 2);
    host->object().Invoke("Tal_SendFormObject", {dialogExport.reference(), int16_t{0}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.calls == 1; }, 10000));
    // The dialog's answer went out before this call on the same connection,
    // so the host has it before the broken window's.
    host->object().Invoke("Tal_SendFormObject", {brokenExport.reference(), int16_t{0}});
    QString log;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            log += host->standardError();
            return log.contains("the theme is broken");
        },
        10000));
    EXPECT_TRUE(log.contains("PrefsCallback of window " + brokenExport.reference().service +
                             brokenExport.reference().path))
        << log.toStdString();
    EXPECT_FALSE(log.contains("no operation of that name")) << log.toStdString();
    EXPECT_FALSE(log.contains(dialogExport.reference().path + " failed")) << log.toStdString();
}

TEST_F(HostEndToEnd, TwoProgramsRetrievingAtOnceGetTheirOwnFramesAndDocuments) {
    startHost();
    auto& first = host->object();
    const auto second = host::connectToHost(bus.connect("second"));
    for (int round = 0; round < 2; ++round) {
        first.Invoke("Tal_GotoFrameAdv", {int32_t{1}, int16_t{3}});
        second->Invoke("Tal_GotoFrameAdv", {int32_t{0}, int16_t{3}});
        expectFramePlane(plane(first, "tal_GetRbuffer"), 1, qRed);
        expectFramePlane(plane(*second, "tal_GetRbuffer"), 0, qRed);
        second->Invoke("Tal_GotoFrameAdv", {int32_t{1}, int16_t{3}});
        first.Invoke("Tal_GotoFrameAdv", {int32_t{0}, int16_t{3}});
        expectFramePlane(plane(*second, "tal_GetGbuffer"), 1, qGreen);
        expectFramePlane(plane(first, "Tal_GetABuffer"), 0, qAlpha);
    }
    // A document the second program creates is its own current one alone.
    second->Invoke("tal_CreateAnimAdv", {int32_t{5}, int16_t{2}});
    EXPECT_EQ(number(*second, "tal_GetTotalFrames"), 5);
    EXPECT_EQ(number(first, "tal_GetTotalFrames"), 2);
    expectFramePlane(plane(first, "Tal_GetBbuffer"), 0, qBlue);
}

TEST_F(HostEndToEnd, SavesEveryDocumentAndTracesEveryCallWhenItEnds) {
    startHost();
    auto& h = host->object();
    h.Invoke("tal_CreateAnimAdv", {int32_t{3}, int16_t{2}});
    const std::string refusal = failureOf(h, "Tal_GotoFrameAdv", {int32_t{7}, int16_t{3}});
    // The bytes "123456789", whose CRC-32 is the check value 0xCBF43926.
    ByteArray digits = ByteArray::plane(3, 3);
    std::copy_n("123456789", 9, digits.data());
    h.Invoke("Tal_SetRBuffer", {digits});
    EXPECT_EQ(host->stop(), 0);

    const QDir saved(folder.filePath("saved"));
    EXPECT_EQ(saved.entryList({"frame*.png"}, QDir::Files, QDir::Name).size(), 0);
    const QStringList first = QDir(saved.filePath("doc0")).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(first, (QStringList{"frame0000.png", "frame0001.png"}));
    EXPECT_EQ(QDir(saved.filePath("doc1")).entryList(QDir::Files, QDir::Name).size(), 3);
    QImage frame1(saved.filePath("doc0/frame0001.png"));
    ASSERT_FALSE(frame1.isNull());
    EXPECT_EQ(frame1.pixel(2, 1), samplePixel(1, 2, 1));

    QFile trace(tracePath());
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = trace.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    const QJsonObject create = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(create["method"].toString(), "tal_CreateAnimAdv");
    EXPECT_EQ(create["args"].toArray(), (QJsonArray{3, 2}));
    EXPECT_FALSE(create.contains("error"));
    const QJsonObject refused = QJsonDocument::fromJson(lines[1]).object();
    EXPECT_EQ(refused["method"].toString(), "Tal_GotoFrameAdv");
    EXPECT_TRUE(refused.contains("error")) << refusal;
    const QJsonObject stored = QJsonDocument::fromJson(lines[2]).object();
    const QJsonObject array = stored["args"].toArray()[0].toObject();
    EXPECT_EQ(array["bounds"].toArray(), (QJsonArray{QJsonArray{0, 3}, QJsonArray{0, 3}}));
    EXPECT_EQ(array["crc32"].toDouble(), 3421780262.0);
}

TEST_F(HostEndToEnd, EndsWithAFailureAndSavesItsDocumentsWhenItsBusDies) {
    startHost();
    host->object().Invoke("tal_CreateAnimAdv", {int32_t{3}, int16_t{2}});

    bus.killDaemon();
    EXPECT_NE(host->waitForExit(30000), 0);
    const QString message = host->standardError();
    EXPECT_TRUE(message.contains("lost the session bus")) << message.toStdString();

    const QDir saved(folder.filePath("saved"));
    EXPECT_EQ(QDir(saved.filePath("doc0")).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(QDir(saved.filePath("doc1")).entryList(QDir::Files).size(), 3);
}

TEST(HostLifetime, AHeadlessHostEndsWithThePluginItStartedAndItsStatus) {
    tests::PrivateBus bus;
    QTemporaryDir folder;
    QProcess hostProcess;
    hostProcess.setProcessEnvironment(bus.environment());
    hostProcess.start(tests::applicationFolder() + "/tallowick",
                      {"--headless", "--save-dir", folder.path(), "--run", "e2e_probe", "7"});
    ASSERT_TRUE(hostProcess.waitForFinished(60000));
    EXPECT_EQ(hostProcess.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(hostProcess.exitCode(), 7) << hostProcess.readAllStandardError().toStdString();
    // The probe made a 2-frame animation of the demo's size before it ended;
    // the host saved it beside the demo.
    EXPECT_EQ(QDir(folder.filePath("doc1")).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(QImage(folder.filePath("doc1/frame0001.png")).size(), QSize(320, 240));
}

// What a headless host started with `environment` hands its plug-in: the
// probe's report of its display platform.
std::string platformSeenByPlugin(const QProcessEnvironment& environment) {
    QProcess hostProcess;
    hostProcess.setProcessEnvironment(environment);
    hostProcess.start(tests::applicationFolder() + "/tallowick",
                      {"--headless", "--run", "e2e_probe", "0"});
    if (!hostProcess.waitForFinished(60000))
        return "the host did not end";
    const std::string errors = hostProcess.readAllStandardError().toStdString();
    if (hostProcess.exitStatus() != QProcess::NormalExit || hostProcess.exitCode() != 0)
        return "the host failed: " + errors;
    return hostProcess.readAllStandardOutput().trimmed().toStdString();
}

TEST(HostLifetime, AHeadlessHostKeepsTheOffscreenPlatformToItself) {
    tests::PrivateBus bus;
    // No platform and no display: the host still runs, on the offscreen
    // platform it asks for, and the plug-in gets no platform it was not given.
    QProcessEnvironment bare = bus.environment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        bare.remove(name);
    EXPECT_EQ(platformSeenByPlugin(bare), "e2e_probe: QT_QPA_PLATFORM unset");

    // A platform the caller chose holds for the host and its plug-in.
    QProcessEnvironment chosen = bare;
    chosen.insert("QT_QPA_PLATFORM", "minimal");
    EXPECT_EQ(platformSeenByPlugin(chosen), "e2e_probe: QT_QPA_PLATFORM=minimal");
}

TEST(HostLifetime, ABadOptionOrAnUnreadablePictureEndsTheHostWithStatus2) {
    QTemporaryDir folder;
    QFile broken(folder.filePath("broken.png"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    for (const QStringList& arguments : {QStringList{"--headless", "--frobnicate"},
                                         QStringList{"--headless", "--image", broken.fileName()}}) {
        QProcess hostProcess;
        hostProcess.start(tests::applicationFolder() + "/tallowick", arguments);
        ASSERT_TRUE(hostProcess.waitForFinished(30000));
        EXPECT_EQ(hostProcess.exitCode(), 2) << arguments.join(' ').toStdString();
        const QString message = QString::fromLocal8Bit(hostProcess.readAllStandardError());
        EXPECT_TRUE(message.contains(arguments.last())) << message.toStdString();
    }
}

TEST(HostLifetime, ASaveFolderThatCannotBeWrittenEndsTheHostBeforeAnyPlugInStarts) {
    tests::PrivateBus bus;
    QTemporaryDir folder;
    QFile file(folder.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QStringList unusable{folder.filePath("file/saved")};
    // Permission bits do not stop root, so a read-only folder only counts
    // for anyone else.
    if (::geteuid() != 0) {
        ASSERT_TRUE(QDir().mkpath(folder.filePath("read-only")));
        ASSERT_TRUE(QFile::setPermissions(folder.filePath("read-only"),
                                          QFile::ReadOwner | QFile::ExeOwner));
        unusable << folder.filePath("read-only");
    }
    for (const QString& saveDir : unusable) {
        QProcess hostProcess;
        hostProcess.setProcessEnvironment(bus.environment());
        hostProcess.start(tests::applicationFolder() + "/tallowick",
                          {"--headless", "--save-dir", saveDir, "--run", "e2e_probe", "0"});
        ASSERT_TRUE(hostProcess.waitForFinished(30000));
        EXPECT_EQ(hostProcess.exitCode(), 2) << saveDir.toStdString();
        const QString errors = QString::fromLocal8Bit(hostProcess.readAllStandardError());
        EXPECT_TRUE(errors.contains("--save-dir " + saveDir + ": ")) << errors.toStdString();
        const QString output = QString::fromLocal8Bit(hostProcess.readAllStandardOutput());
        EXPECT_FALSE((errors + output).contains("e2e_probe")) << "the plug-in ran";
    }
}

TEST(HostLink, CreatingTheHostObjectWithoutAHostSaysSo) {
    tests::PrivateBus bus;
    try {
        host::connectToHost(bus.connect("plugin"));
        FAIL() << "a host object was created without a host";
    } catch (const host::HostUnavailableError& error) {
        EXPECT_NE(std::string(error.what()).find("No host is running"), std::string::npos);
    }
}

} // namespace
