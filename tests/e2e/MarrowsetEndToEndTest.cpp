// Marrowset against a real `tallowick --headless` on a private bus: its code
// in this process capturing a brush read from a picture and applying it to
// new images by every kind of command (the pastes, a combine, an add, the
// alpha commands, greyscales through the filter library, replacing the
// image), as the host saves them; and the real program
// started by the host, picking a colour when the host calls its window, and
// ending, with the host, when it is asked to stop.
#include "automation/ResultConversions.h"
#include "link/DBusAutomationObject.h"
#include "maker/binding/MakerLibraries.h"
#include "marrowset/Form1.h"
#include "marrowset/Form2.h"
#include "marrowset/Program.h"
#include "platform/FatalError.h"
#include "platform/MessageBox.h"
#include "plugin/startup/DBusWindowHandover.h"
#include "tests/support/HostTrace.h"
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
#include <iterator>
#include <optional>
#include <string>
#include <utility>

namespace {

// The ramp brush of the in-process tests: 15 x 11, both odd, so that
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

QRgb rampPixel(int x, int y) {
    return qRgba(rampRed(x, y), rampGreen(x, y), rampBlue(x, y), rampAlpha(x, y));
}

const QRgb kWhite = qRgba(255, 255, 255, 255);

QString writeBrushPicture(const QTemporaryDir& folder, int width, int height,
                          const std::function<QRgb(int x, int y)>& pixel) {
    QImage picture(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, pixel(x, y));
    const QString path = folder.filePath("brush.png");
    return picture.save(path) ? path : QString();
}

// The held buffer meets the image corner to corner over its columns 0..W and
// rows 0..H: one more than the brush's pixels, the extra column and row
// repeating the last real ones.
bool heldCovers(int x, int y, int brushWidth, int brushHeight) {
    return x <= brushWidth && y <= brushHeight;
}

// What the tests paint into each new image before a command, so that what a
// command leaves alone is told apart from what it writes, and so that sums
// and differences with the brush both do and do not clip. Every channel
// differs across and down, alpha too; all stay within 0..255 up to 24 x 19.
int groundRed(int x, int y) {
    return 40 + 7 * x + 3 * y;
}
int groundGreen(int x, int y) {
    return 200 - 5 * x + 2 * y;
}
int groundBlue(int x, int y) {
    return 30 + 3 * x + 6 * y;
}
int groundAlpha(int x, int y) {
    return 250 - 2 * x - 3 * y;
}
QRgb ground(int x, int y) {
    return qRgba(groundRed(x, y), groundGreen(x, y), groundBlue(x, y), groundAlpha(x, y));
}

// A new image of width x height in the host, which becomes its current
// image, painted with the ground.
void newPaintedImage(host::AutomationObject& hostObject, int16_t width, int16_t height) {
    hostObject.Invoke("Tal_NewBuffer", {width, height});
    const std::pair<const char*, int (*)(int, int)> channels[] = {{"Tal_SetRBuffer", groundRed},
                                                                  {"Tal_SetGBuffer", groundGreen},
                                                                  {"Tal_SetBBuffer", groundBlue},
                                                                  {"Tal_SetaBuffer", groundAlpha}};
    for (const auto& [setter, value] : channels) {
        host::ByteArray plane = host::ByteArray::plane(width + 1, height + 1);
        for (int y = 0; y <= height; ++y)
            for (int x = 0; x <= width; ++x)
                plane.at(x, y) =
                    static_cast<uint8_t>(value(std::min(x, width - 1), std::min(y, height - 1)));
        hostObject.Invoke(setter, {std::move(plane)});
    }
}

QString savedFrame(const QString& savedPath, int document) {
    return QStringLiteral("%1/doc%2/frame0000.png").arg(savedPath).arg(document);
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

// Marrowset's code in this process against a real headless host whose brush
// is the picture at `brushPath`: the start-up, then `work` with the program
// and the host object as a plug-in sees it; then the host is stopped, which
// saves its documents under `savedPath` (document 0 is its demo animation,
// the images the work makes follow from 1). Message boxes are answered OK
// unless `work` installs a responder of its own; a command that would end
// the program fails the test instead.
void runAgainstHost(const QString& brushPath, const QString& savedPath,
                    const std::function<void(marrowset::Program& program,
                                             host::AutomationObject& hostObject)>& work) {
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
    // The preview draws through the scaling library and the greyscales
    // convert through the filter library, which the program finds beside
    // itself; this test runs from elsewhere.
    const QString startDirectory = QDir::currentPath();
    QDir::setCurrent(tests::applicationFolder());
    maker::z_scale_to_dib.pointer();
    maker::RGB_To_HSV.pointer();
    maker::f_rgb2yuv.pointer();
    QDir::setCurrent(startDirectory);

    {
        plugin::DBusWindowHandover handover(host.pluginConnection());
        marrowset::Program program(handover, QString());
        ASSERT_EQ(program.startUp([&] { return host::connectToHost(host.pluginConnection()); }),
                  plugin::StartUpOutcome::WindowsOpen);
        ASSERT_NE(program.mainWindow(), nullptr);
        work(program, host.object());
    }
    EXPECT_EQ(host.stop(), 0);
}

TEST(MarrowsetEndToEnd, CapturesTheHostsBrushAndPastesItEachWayIntoNewImages) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString brushPath = writeBrushPicture(folder, kBrushWidth, kBrushHeight, rampPixel);
    ASSERT_FALSE(brushPath.isEmpty());
    const QString savedPath = folder.filePath("saved");

    runAgainstHost(
        brushPath, savedPath, [](marrowset::Program& program, host::AutomationObject& hostObject) {
            // The held buffer is the host's brush, plane for plane, alpha too.
            const auto brushPlane = [&hostObject](const char* method) {
                return host::resultToPlane(method, hostObject.Invoke(method));
            };
            const marrowset::HeldBuffer& held = program.module().held();
            EXPECT_EQ(held.W, kBrushWidth);
            EXPECT_EQ(held.H, kBrushHeight);
            EXPECT_EQ(held.alpha, brushPlane("Tal_GetbrushABuffer"));
            EXPECT_EQ(held.red, brushPlane("tal_GetbrushRBuffer"));
            EXPECT_EQ(held.green, brushPlane("tal_GetbrushGBuffer"));
            EXPECT_EQ(held.blue, brushPlane("tal_GetbrushBBuffer"));
            // And that brush is the picture: the extra column and row repeat the
            // last real ones.
            ASSERT_EQ(held.red.dimensions(),
                      (std::vector<host::Dimension>{{0, kBrushWidth + 1}, {0, kBrushHeight + 1}}));
            for (int y = 0; y <= kBrushHeight; ++y)
                for (int x = 0; x <= kBrushWidth; ++x) {
                    const int px = std::min(x, kBrushWidth - 1);
                    const int py = std::min(y, kBrushHeight - 1);
                    ASSERT_EQ(held.alpha.at(x, y), rampAlpha(px, py)) << x << ", " << y;
                    ASSERT_EQ(held.red.at(x, y), rampRed(px, py)) << x << ", " << y;
                    ASSERT_EQ(held.green.at(x, y), rampGreen(px, py)) << x << ", " << y;
                    ASSERT_EQ(held.blue.at(x, y), rampBlue(px, py)) << x << ", " << y;
                }

            // Each paste into a new white image of its own: documents 1 to 4.
            marrowset::Form2& menu = program.mainWindow()->menuHolder();
            const auto pasteInto = [&](int16_t width, int16_t height, QAction* item) {
                hostObject.Invoke("Tal_NewBuffer", {width, height});
                item->trigger();
            };
            pasteInto(20, 14, menu.Overlay);
            pasteInto(24, 19, menu.RI_Center);
            pasteInto(30, 22, menu.RI_Scale);
            pasteInto(kBrushWidth, kBrushHeight, menu.RI_Scale);
        });

    const auto frame = [&](int document) { return savedFrame(savedPath, document); };
    // Overlay on 20 x 14: the brush's 16 x 12 samples, extra column and row
    // included, from the corner; white beyond them.
    expectSavedFrame(frame(1), 20, 14, [](int x, int y) {
        if (!heldCovers(x, y, kBrushWidth, kBrushHeight))
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

// The commands that work on the overlap of brush and image, corners
// together, with integer arithmetic: a combine, an add, and the two alpha
// commands, each on a painted image of its own. The sizes meet the brush's
// 15 x 11 pixels (16 x 12 held samples) from every side: smaller in both
// directions, larger in both, and larger in one but smaller in the other.
TEST(MarrowsetEndToEnd, CombinesAddsAndWritesAlphaOverTheOverlapOnly) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString brushPath = writeBrushPicture(folder, kBrushWidth, kBrushHeight, rampPixel);
    ASSERT_FALSE(brushPath.isEmpty());
    const QString savedPath = folder.filePath("saved");

    runAgainstHost(brushPath, savedPath,
                   [](marrowset::Program& program, host::AutomationObject& hostObject) {
                       marrowset::Form2& menu = program.mainWindow()->menuHolder();
                       ASSERT_EQ(menu.CombineModes[1]->text(), "Subtract");
                       newPaintedImage(hostObject, 12, 9);
                       menu.CombineModes[1]->trigger();
                       newPaintedImage(hostObject, 20, 14);
                       menu.Addred->trigger();
                       newPaintedImage(hostObject, 18, 8);
                       menu.ReplaceAlpha->trigger();
                       newPaintedImage(hostObject, 13, 14);
                       menu.UseAsAlpha->trigger();
                   });

    const auto frame = [&](int document) { return savedFrame(savedPath, document); };
    // The brush sample an image pixel of the overlap meets.
    const auto bx = [](int x) { return std::min(x, kBrushWidth - 1); };
    const auto by = [](int y) { return std::min(y, kBrushHeight - 1); };

    // Subtract on 12 x 9, all of it within the brush: the host's rule is
    // max(d - s, 0), d the image's value and s the brush's, in each colour
    // channel. Red never clips (d - s = 30 - x - y), green clips in the top
    // rows (-50 + x + 12y), blue in the bottom ones (27 + x - 8y). Had the
    // operands been swapped, max(s - d, 0) would show the other halves.
    // Alpha is not a combine's.
    expectSavedFrame(frame(1), 12, 9, [&](int x, int y) {
        return qRgba(std::max(groundRed(x, y) - rampRed(x, y), 0),
                     std::max(groundGreen(x, y) - rampGreen(x, y), 0),
                     std::max(groundBlue(x, y) - rampBlue(x, y), 0), groundAlpha(x, y));
    });
    // Add red channel on 20 x 14: red becomes min(s + d, 255) over columns
    // 0..15 and rows 0..11 (50 at the corner, clipped from about the middle
    // on); green, blue and alpha stay, and so does everything beyond.
    expectSavedFrame(frame(2), 20, 14, [&](int x, int y) {
        if (!heldCovers(x, y, kBrushWidth, kBrushHeight))
            return ground(x, y);
        return qRgba(std::min(rampRed(bx(x), by(y)) + groundRed(x, y), 255), groundGreen(x, y),
                     groundBlue(x, y), groundAlpha(x, y));
    });
    // Replace alpha on 18 x 8: the brush's alpha over columns 0..15 of every
    // row; the colour and the columns beyond stay.
    expectSavedFrame(frame(3), 18, 8, [&](int x, int y) {
        if (!heldCovers(x, y, kBrushWidth, kBrushHeight))
            return ground(x, y);
        return qRgba(groundRed(x, y), groundGreen(x, y), groundBlue(x, y), rampAlpha(bx(x), by(y)));
    });
    // Use image as alpha on 13 x 14: alpha (r + g + b) / 3, the fraction
    // dropped, over every column and rows 0..11. The sum is 263 + 4x + 8y,
    // so the remainders 0, 1 and 2 all occur: at (0, 0) 263 / 3 = 87 r 2,
    // which rounding would make 88.
    expectSavedFrame(frame(4), 13, 14, [&](int x, int y) {
        if (!heldCovers(x, y, kBrushWidth, kBrushHeight))
            return ground(x, y);
        const int sum = rampRed(bx(x), by(y)) + rampGreen(bx(x), by(y)) + rampBlue(bx(x), by(y));
        return qRgba(groundRed(x, y), groundGreen(x, y), groundBlue(x, y), sum / 3);
    });
    EXPECT_FALSE(QFile::exists(frame(5)));
}

// A brush of colours whose hue and V the filter library's documented
// formulas give exactly, each with the grey level its command makes:
//   hue level = hue / 360 x 255, rounded to the nearest, a half to the even;
//   V level = |V - 128| x 255, V - 128 = (r - Y) / 0.701,
//   Y = 0.299 r + 0.587 g + 0.114 b.
// Yellow, cyan and magenta have hues 60, 180 and 300: levels 42.5, 127.5 and
// 212.5, which go to 42, 128 and 212. A grey's hue is 0. V's levels are far
// from a half: green's 0.587 / 0.701 x 255 = 213.53, blue's 0.114 / 0.701 x
// 255 = 41.47.
struct PaletteColour {
    QRgb colour;
    int hueLevel;
    int vLevel;
};
const PaletteColour kPalette[] = {
    {qRgb(255, 0, 0), 0, 255},     // red: hue 0; (1 - 0.299) / 0.701 = 1
    {qRgb(255, 255, 0), 42, 41},   // yellow: hue 60; (1 - 0.886) / 0.701
    {qRgb(0, 255, 0), 85, 214},    // green: hue 120 gives 85; -0.587 / 0.701
    {qRgb(0, 255, 255), 128, 255}, // cyan: hue 180; -0.701 / 0.701 = -1
    {qRgb(0, 0, 255), 170, 41},    // blue: hue 240 gives 170; -0.114 / 0.701
    {qRgb(255, 0, 255), 212, 214}, // magenta: hue 300; (1 - 0.413) / 0.701
    {qRgb(255, 255, 255), 0, 0},   // white
    {qRgb(0, 0, 0), 0, 0},         // black
    {qRgb(128, 128, 128), 0, 0},   // grey
};
constexpr int kPaletteBrushWidth = 9;
constexpr int kPaletteBrushHeight = 7;

// Every palette colour in each row, the colours shifting by two from row to
// row; alpha varies, and no greyscale command may take it.
const PaletteColour& paletteAt(int x, int y) {
    return kPalette[(x + 2 * y) % std::size(kPalette)];
}
QRgb palettePixel(int x, int y) {
    const QRgb colour = paletteAt(x, y).colour;
    return qRgba(qRed(colour), qGreen(colour), qBlue(colour), 250 - 12 * x - 9 * y);
}

// One component of the brush through the filter library, as a grey picture
// in the image's three colour planes over the overlap: hue on an image
// larger than the 9 x 7 brush, V on a smaller one.
TEST(MarrowsetEndToEnd, TurnsTheImageGreyByTheBrushsHueAndV) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString brushPath =
        writeBrushPicture(folder, kPaletteBrushWidth, kPaletteBrushHeight, palettePixel);
    ASSERT_FALSE(brushPath.isEmpty());
    const QString savedPath = folder.filePath("saved");

    runAgainstHost(brushPath, savedPath,
                   [](marrowset::Program& program, host::AutomationObject& hostObject) {
                       marrowset::Form2& menu = program.mainWindow()->menuHolder();
                       newPaintedImage(hostObject, 13, 10);
                       menu.UseHue->trigger();
                       newPaintedImage(hostObject, 6, 5);
                       menu.UseV->trigger();
                   });

    const auto greyOver = [](int x, int y, int level) {
        return qRgba(level, level, level, groundAlpha(x, y));
    };
    const auto paletteOver = [](int x, int y) -> const PaletteColour& {
        return paletteAt(std::min(x, kPaletteBrushWidth - 1), std::min(y, kPaletteBrushHeight - 1));
    };
    expectSavedFrame(savedFrame(savedPath, 1), 13, 10, [&](int x, int y) {
        if (!heldCovers(x, y, kPaletteBrushWidth, kPaletteBrushHeight))
            return ground(x, y);
        return greyOver(x, y, paletteOver(x, y).hueLevel);
    });
    expectSavedFrame(savedFrame(savedPath, 2), 6, 5,
                     [&](int x, int y) { return greyOver(x, y, paletteOver(x, y).vLevel); });
    EXPECT_FALSE(QFile::exists(savedFrame(savedPath, 3)));
}

// "Replace existing image" asks first. Cancel leaves the image as it was;
// OK on an image of another size (here only its height differs) leaves that
// one too and makes a new image of the brush's size holding the brush's
// four planes; OK on an image of the brush's size overwrites it in place.
TEST(MarrowsetEndToEnd, ReplacesTheImageByTheBrushOnlyWhenConfirmed) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString brushPath = writeBrushPicture(folder, kBrushWidth, kBrushHeight, rampPixel);
    ASSERT_FALSE(brushPath.isEmpty());
    const QString savedPath = folder.filePath("saved");

    runAgainstHost(brushPath, savedPath,
                   [](marrowset::Program& program, host::AutomationObject& hostObject) {
                       marrowset::Form2& menu = program.mainWindow()->menuHolder();
                       {
                           std::vector<platform::MessageBoxRequest> asked;
                           platform::ScopedMessageBoxResponder answerCancel(
                               [&](const platform::MessageBoxRequest& request) {
                                   asked.push_back(request);
                                   return request.buttons == platform::MessageBoxButtons::OkCancel
                                              ? platform::MessageBoxAnswer::Cancel
                                              : platform::MessageBoxAnswer::Ok;
                               });
                           newPaintedImage(hostObject, kBrushWidth, kBrushHeight);
                           menu.Replacebuffer->trigger();
                           ASSERT_EQ(asked.size(), 1u);
                           EXPECT_EQ(asked[0].text, "Replace the existing buffer?");
                           EXPECT_EQ(asked[0].buttons, platform::MessageBoxButtons::OkCancel);
                           EXPECT_EQ(asked[0].icon, platform::MessageBoxIcon::None);
                           EXPECT_EQ(asked[0].defaultButton, platform::MessageBoxAnswer::Ok);
                       }
                       newPaintedImage(hostObject, kBrushWidth, kBrushHeight - 2);
                       menu.Replacebuffer->trigger();
                       newPaintedImage(hostObject, kBrushWidth, kBrushHeight);
                       menu.Replacebuffer->trigger();
                   });

    const auto frame = [&](int document) { return savedFrame(savedPath, document); };
    expectSavedFrame(frame(1), kBrushWidth, kBrushHeight, ground);
    expectSavedFrame(frame(2), kBrushWidth, kBrushHeight - 2, ground);
    expectSavedFrame(frame(3), kBrushWidth, kBrushHeight, rampPixel);
    expectSavedFrame(frame(4), kBrushWidth, kBrushHeight, rampPixel);
    EXPECT_FALSE(QFile::exists(frame(5)));
}

std::string asText(const QJsonArray& args) {
    return QJsonDocument(args).toJson(QJsonDocument::Compact).toStdString();
}

std::optional<tests::TraceLine> lastCallOf(const QString& tracePath, const QString& method) {
    std::optional<tests::TraceLine> found;
    for (tests::TraceLine& line : tests::readTrace(tracePath))
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
    const std::optional<tests::TraceLine> handedOver = lastCallOf(tracePath, "Tal_SendFormObject");
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
