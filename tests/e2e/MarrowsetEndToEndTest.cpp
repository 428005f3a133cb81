// Marrowset against a real `tallowick --headless` on a private bus: its code
// in this process capturing a brush read from a picture and pasting it the
// three ways into new images, as the host saves them; and the real program
// started by the host, picking a colour when the host calls its window, and
// ending, with the host, when it is asked to stop.
#include "host/DBusAutomationObject.h"
#include "host/MakerLibraries.h"
#include "host/ResultConversions.h"
#include "marrowset/Form2.h"
#include "marrowset/Module1.h"
#include "platform/FatalError.h"
#include "platform/MessageBox.h"
#include "plugin/DBusWindowHandover.h"
#include "tests/support/RunningHost.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

// The brush picture of the in-process test: 15 x 11, both odd, so that
// centring has a remainder to drop. Each colour channel is a linear ramp
// with even steps across and down, so that every sample the 2:1 scaled
// paste takes halfway between two (or four) brush pixels is a whole number:
// bilinear interpolation reproduces a linear ramp exactly. Alpha varies too,
// so that the capture is seen to keep it.
constexpr int kBrushWidth = 15;
constexpr int kBrushHeight = 11;

int rampRed(int x, int y) {
    return 10 + 8 * x + 4 * y;
}
int rampGreen(int x, int y) {
    return 250 - 6 * x - 10 * y;
}
int rampBlue(int x, int y) {
    return 3 + 2 * x + 14 * y;
}
int rampAlpha(int x, int y) {
    return 255 - 5 * x - 3 * y;
}

// Brush pixel (x, y) as the pastes write it: its colour, and the alpha of
// the new image they paste into, 255.
QRgb brushColour(int x, int y) {
    return qRgba(rampRed(x, y), rampGreen(x, y), rampBlue(x, y), 255);
}

const QRgb kWhite = qRgba(255, 255, 255, 255);

QString writeBrushPicture(const QTemporaryDir& folder) {
    QImage picture(kBrushWidth, kBrushHeight, QImage::Format_ARGB32);
    for (int y = 0; y < kBrushHeight; ++y)
        for (int x = 0; x < kBrushWidth; ++x)
            picture.setPixel(
                x, y, qRgba(rampRed(x, y), rampGreen(x, y), rampBlue(x, y), rampAlpha(x, y)));
    const QString path = folder.filePath("brush.png");
    return picture.save(path) ? path : QString();
}

// Every pixel of a saved frame against `expected`, colour and alpha; the
// first mismatch is named, with the count of all of them.
void expectSavedFrame(const QString& path, int width, int height,
                      const std::function<QRgb(int x, int y)>& expected) {
    SCOPED_TRACE(path.toStdString());
    const QImage saved = QImage(path).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(saved.isNull());
    ASSERT_EQ(saved.size(), QSize(width, height));
    int mismatches = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb got = saved.pixel(x, y);
            const QRgb want = expected(x, y);
            if (got == want)
                continue;
            if (mismatches++ == 0)
                ADD_FAILURE() << "first mismatch at (" << x << ", " << y << "): got " << std::hex
                              << got << ", expected " << want << std::dec;
        }
    EXPECT_EQ(mismatches, 0);
}

TEST(MarrowsetEndToEnd, CapturesTheHostsBrushAndPastesItEachWayIntoNewImages) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString brushPath = writeBrushPicture(folder);
    ASSERT_FALSE(brushPath.isEmpty());
    const QString savedPath = folder.filePath("saved");
    tests::PrivateBus bus;
    tests::RunningHost host(bus, {"--brush", brushPath, "--save-dir", savedPath});

    QString lastMessage;
    platform::ScopedMessageBoxResponder answerOk([&](const platform::MessageBoxRequest& request) {
        lastMessage = request.text;
        return platform::MessageBoxAnswer::Ok;
    });
    platform::ScopedExitHandler failOnExit([&](int status) {
        ADD_FAILURE() << "Marrowset ended with status " << status << ": "
                      << lastMessage.toStdString();
    });
    // The preview draws through the scaling library, which the program finds
    // beside itself; this test runs from elsewhere.
    const QString startDirectory = QDir::currentPath();
    QDir::setCurrent(tests::applicationFolder());
    host::z_scale_to_dib.pointer();
    QDir::setCurrent(startDirectory);

    {
        plugin::DBusWindowHandover handover(host.pluginConnection());
        marrowset::Module1 module(handover, QString());
        ASSERT_EQ(module.startUp([&] { return host::connectToHost(host.pluginConnection()); }),
                  plugin::StartUpOutcome::WindowsOpen);
        ASSERT_NE(module.mainWindow(), nullptr);

        // The held buffer is the host's brush, plane for plane, alpha too.
        auto& hostObject = host.object();
        const auto brushPlane = [&hostObject](const char* method) {
            return host::resultToPlane(method, hostObject.Invoke(method));
        };
        EXPECT_EQ(module.held.W, kBrushWidth);
        EXPECT_EQ(module.held.H, kBrushHeight);
        EXPECT_EQ(module.held.alpha, brushPlane("Tal_GetbrushABuffer"));
        EXPECT_EQ(module.held.red, brushPlane("tal_GetbrushRBuffer"));
        EXPECT_EQ(module.held.green, brushPlane("tal_GetbrushGBuffer"));
        EXPECT_EQ(module.held.blue, brushPlane("tal_GetbrushBBuffer"));
        // And that brush is the picture: the extra column and row repeat the
        // last real ones.
        ASSERT_EQ(module.held.red.dimensions(),
                  (std::vector<host::Dimension>{{0, kBrushWidth + 1}, {0, kBrushHeight + 1}}));
        for (int y = 0; y <= kBrushHeight; ++y)
            for (int x = 0; x <= kBrushWidth; ++x) {
                const int px = std::min(x, kBrushWidth - 1);
                const int py = std::min(y, kBrushHeight - 1);
                ASSERT_EQ(module.held.alpha.at(x, y), rampAlpha(px, py)) << x << ", " << y;
                ASSERT_EQ(module.held.red.at(x, y), rampRed(px, py)) << x << ", " << y;
                ASSERT_EQ(module.held.green.at(x, y), rampGreen(px, py)) << x << ", " << y;
                ASSERT_EQ(module.held.blue.at(x, y), rampBlue(px, py)) << x << ", " << y;
            }

        // Each paste into a new white image of its own: documents 1 to 4
        // (document 0 is the host's demo animation).
        marrowset::Form2& menu = module.menuHolder();
        const auto pasteInto = [&](int16_t width, int16_t height, QAction* item) {
            hostObject.Invoke("Tal_NewBuffer", {width, height});
            item->trigger();
        };
        pasteInto(20, 14, menu.Overlay);
        pasteInto(24, 19, menu.RI_Center);
        pasteInto(30, 22, menu.RI_Scale);
        pasteInto(kBrushWidth, kBrushHeight, menu.RI_Scale);
    }
    EXPECT_EQ(host.stop(), 0);

    const auto frame = [&](int document) {
        return QStringLiteral("%1/doc%2/frame0000.png").arg(savedPath).arg(document);
    };
    // Overlay on 20 x 14: the brush's 16 x 12 samples, extra column and row
    // included, from the corner; white beyond them.
    expectSavedFrame(frame(1), 20, 14, [](int x, int y) {
        if (x > kBrushWidth || y > kBrushHeight)
            return kWhite;
        return brushColour(std::min(x, kBrushWidth - 1), std::min(y, kBrushHeight - 1));
    });
    // Centred on 24 x 19: each size is halved with its remainder dropped,
    // 24 / 2 - 15 / 2 = 12 - 7 = 5 across (not the 4 of (24 - 15) / 2) and
    // 19 / 2 - 11 / 2 = 9 - 5 = 4 down; only the brush's own 15 x 11 pixels.
    expectSavedFrame(frame(2), 24, 19, [](int x, int y) {
        const int bx = x - 5;
        const int by = y - 4;
        if (bx < 0 || bx >= kBrushWidth || by < 0 || by >= kBrushHeight)
            return kWhite;
        return brushColour(bx, by);
    });
    // Scaled onto 30 x 22, exactly 2:1: pixel (x, y) samples the brush at
    // (x / 2, y / 2). The ramps give the value there in half steps; past
    // the last real pixel the extra column and row repeat it, so the ramp
    // stops at (14, 10), which pixels 28 and 20 reach. For instance pixel
    // (1, 1) is the mean of brush pixels (0, 0), (1, 0), (0, 1), (1, 1):
    // red (10 + 18 + 14 + 22) / 4 = 16 = 10 + 4 + 2.
    expectSavedFrame(frame(3), 30, 22, [](int x, int y) {
        const int hx = std::min(x, 2 * (kBrushWidth - 1));
        const int hy = std::min(y, 2 * (kBrushHeight - 1));
        return qRgba(10 + 4 * hx + 2 * hy, 250 - 3 * hx - 5 * hy, 3 + hx + 7 * hy, 255);
    });
    // Scaled at 1:1: each pixel its own sample.
    expectSavedFrame(frame(4), kBrushWidth, kBrushHeight, brushColour);
    // The paste leaves no more documents behind than the four it was given.
    EXPECT_FALSE(QFile::exists(frame(5)));
}

struct TraceLine {
    QString method;
    QJsonArray args;
};

// The trace as far as it is written; a line still being written is skipped.
std::vector<TraceLine> readTrace(const QString& path) {
    QFile trace(path);
    if (!trace.open(QIODevice::ReadOnly))
        return {};
    std::vector<TraceLine> lines;
    for (const QByteArray& line : trace.readAll().split('\n')) {
        const QJsonDocument parsed = QJsonDocument::fromJson(line);
        if (!parsed.isObject())
            continue;
        const QJsonObject call = parsed.object();
        lines.push_back({call["method"].toString(), call["args"].toArray()});
    }
    return lines;
}

std::string asText(const QJsonArray& args) {
    return QJsonDocument(args).toJson(QJsonDocument::Compact).toStdString();
}

std::optional<TraceLine> lastCallOf(const QString& tracePath, const QString& method) {
    std::optional<TraceLine> found;
    for (TraceLine& line : readTrace(tracePath))
        if (line.method == method)
            found = std::move(line);
    return found;
}

// The processes whose parent is `parent` and whose command name is `name`,
// from /proc.
std::vector<pid_t> childrenNamed(qint64 parent, const QString& name) {
    std::vector<pid_t> children;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isProcess = false;
        const pid_t pid = entry.toInt(&isProcess);
        if (!isProcess)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state ppid ...": the name may hold blanks and
        // parentheses, so it runs to the last ')'.
        const QByteArray text = stat.readAll();
        const qsizetype open = text.indexOf('(');
        const qsizetype close = text.lastIndexOf(')');
        if (open < 0 || close < open)
            continue;
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (fields.size() < 2 || fields[1].toLongLong() != parent)
            continue;
        if (QString::fromLocal8Bit(text.mid(open + 1, close - open - 1)) == name)
            children.push_back(pid);
    }
    return children;
}

TEST(MarrowsetEndToEnd, TheProgramPicksForTheHostAndEndsWithItWhenAskedToStop) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString tracePath = folder.filePath("trace.jsonl");
    const QString savedPath = folder.filePath("saved");
    tests::PrivateBus bus;
    tests::RunningHost host(
        bus, {"--trace", tracePath, "--save-dir", savedPath, "--run", "Marrowset_pm"});

    // The window has loaded once it has asked for the combine table.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return lastCallOf(tracePath, "tal_initluts").has_value(); }, 30000))
        << host.standardError().toStdString();
    const std::optional<TraceLine> handedOver = lastCallOf(tracePath, "Tal_SendFormObject");
    ASSERT_TRUE(handedOver.has_value());
    const QJsonObject reference = handedOver->args[0].toObject();
    host::DBusAutomationObject window(
        host.pluginConnection(),
        host::ObjectRef{reference["service"].toString(), reference["path"].toString()});

    // The built-in brush is 64 x 48; a window of 131 x 124 gives a preview of
    // 130 x 101. Point (100, 95) picks sample (64 / 130 * 100, 48 / 101 * 95)
    // = (49.23, 45.15), rounded (49, 45). There the brush's red is
    // 255 - 49 * 255 / 63 = 255 - 198 = 57 (whole-number division), its
    // green 96 + 2 * 45 = 186 and its blue 49 * 255 / 63 = 198.
    window.Invoke("DoColorPick", {int32_t{100}, int32_t{95}, int32_t{1}});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return lastCallOf(tracePath, "tal_setPrimaryColor").has_value(); }, 10000));
    EXPECT_EQ(asText(lastCallOf(tracePath, "tal_setPrimaryColor")->args), "[57,186,198]");
    EXPECT_FALSE(lastCallOf(tracePath, "tal_setSecondaryColor").has_value());

    // A user's session asks the program to stop: it closes its window as the
    // close box does and ends with status 0; the headless host, which ends
    // with the plug-in it started and takes its status, saves its documents.
    const std::vector<pid_t> plugins = childrenNamed(host.processId(), "Marrowset_pm");
    ASSERT_EQ(plugins.size(), 1u);
    ASSERT_EQ(::kill(plugins[0], SIGTERM), 0);
    EXPECT_EQ(host.waitForExit(30000), 0) << host.standardError().toStdString();
    const QStringList frames =
        QDir(savedPath + "/doc0").entryList({"frame*.png"}, QDir::Files, QDir::Name);
    EXPECT_EQ(frames.size(), 12);
    EXPECT_EQ(QImage(savedPath + "/doc0/frame0011.png").size(), QSize(320, 240));
    EXPECT_FALSE(QDir(savedPath + "/doc1").exists());
}

} // namespace
