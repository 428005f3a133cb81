// Cinderloom's code in this process against a real `tallowick --headless` on
// a private bus: the start-up, the dialog's "Ok" and "Done" answered Yes, as
// the host's trace records them; a film painted with the mouse and shot into
// the host with and without the wiggle, as the host holds the new animation;
// a film undone, saved, replaced by another time sheet and shot, as the host
// saves it.
#include "automation/ResultConversions.h"
#include "cinderloom/CLOptions.h"
#include "cinderloom/Cinderloom.h"
#include "cinderloom/FilmActions.h"
#include "cinderloom/FilmFile.h"
#include "cinderloom/Module1.h"
#include "cinderloom/WiggleWarp.h"
#include "maker/binding/MakerLibraries.h"
#include "maker/widgets/VxButton.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "platform/Random.h"
#include "plugin/startup/DBusWindowHandover.h"
#include "tests/support/HostTrace.h"
#include "tests/support/RunningHost.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <span>
#include <vector>

namespace {

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
        plugin::DBusWindowHandover handover(host.pluginConnection());
        cinderloom::Module1 module(handover);
        module.startUp([&] { return host::connectToHost(host.pluginConnection()); });
        QTest::mouseClick(module.optionsDialog()->Command1, Qt::LeftButton);
        ASSERT_NE(module.mainWindow(), nullptr);

        // Cell 11 holds frame 11 of the host, sample for sample.
        auto& hostObject = host.object();
        hostObject.Invoke("Tal_GotoFrameAdv", {int32_t{11}, int16_t{3}});
        const host::ByteArray red =
            host::resultToPlane("tal_GetRbuffer", hostObject.Invoke("tal_GetRbuffer"));
        const cinderloom::CellStore& cells = module.cells().store();
        ASSERT_EQ(cells.columns() * cells.rows(), static_cast<int64_t>(red.size()));
        EXPECT_TRUE(std::equal(red.data(), red.data() + red.size(),
                               cells.cell(cinderloom::Channel::Red, 11)));
        EXPECT_EQ(module.cells().sizes().width, 320);
        EXPECT_EQ(module.cells().sizes().height, 240);

        QTest::mouseClick(module.mainWindow()->vx_button3, Qt::LeftButton);
        EXPECT_FALSE(module.mainWindow()->isVisible());
    }
    QDir::setCurrent(startDirectory);

    const std::vector<tests::TraceLine> trace = tests::readTrace(tracePath);
    QStringList methods;
    for (const tests::TraceLine& line : trace)
        methods << line.method;
    const qsizetype first = methods.indexOf("Tal_GetAppDir");
    ASSERT_GE(first, 0) << methods.join(' ').toStdString();
    const QStringList startUp = expectedStartUpCalls();
    EXPECT_EQ(methods.mid(first, startUp.size()), startUp);
    EXPECT_EQ(methods.mid(first + startUp.size(), 2),
              (QStringList{"Tal_WallpaperFilename", "Tal_SendFormObject"}));

    // Both windows travel as references to this process's objects, with 0.
    const QString ownName = host.pluginConnection().baseService();
    for (const tests::TraceLine& line : trace) {
        if (line.method != "Tal_SendFormObject")
            continue;
        EXPECT_EQ(line.args[0].toObject()["service"].toString(), ownName);
        EXPECT_EQ(line.args[1].toInt(-1), 0);
    }
    EXPECT_EQ(host.stop(), 0);
}

// The frames of the host's current animation, each as its three planes.
std::vector<cinderloom::FramePlanes> hostFrames(host::AutomationObject& hostObject) {
    const int32_t count =
        host::resultToInt32("tal_GetTotalFrames", hostObject.Invoke("tal_GetTotalFrames"));
    const char* methods[] = {"tal_GetRbuffer", "tal_GetGbuffer", "Tal_GetBbuffer"};
    std::vector<cinderloom::FramePlanes> frames(static_cast<std::size_t>(count));
    for (int32_t frame = 0; frame < count; ++frame) {
        hostObject.Invoke("Tal_GotoFrameAdv", {frame, int16_t{3}});
        for (int c = 0; c < 3; ++c)
            frames[frame][c] = host::resultToPlane(methods[c], hostObject.Invoke(methods[c]));
    }
    return frames;
}

// The samples of columns 0..width-1 and rows 0..height-1 that differ
// between two frames: all the host takes of a frame, as it rebuilds the
// extra column and row from the last real ones.
int differingPixels(const cinderloom::FramePlanes& a, const cinderloom::FramePlanes& b,
                    int32_t width, int32_t height) {
    int count = 0;
    for (int c = 0; c < 3; ++c)
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                count += a[c].at(x, y) != b[c].at(x, y) ? 1 : 0;
    return count;
}

// A press (and release) or a drag over `view` at the middle of cell or slot
// `index`, for views whose first cell starts at 0.
void pointAt(QWidget* view, QEvent::Type type, int index, const cinderloom::Module1& module) {
    const double width = module.cells().sizes().geometryIn(view->height()).exactWidth;
    const QPointF at((index + 0.5) * width, view->height() / 2.0);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, view->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(view, &event);
}

TEST(CinderloomEndToEnd, ShootsAPaintedFilmIntoTheHostWithAndWithoutTheWiggle) {
    const QString startDirectory = QDir::currentPath();
    tests::PrivateBus bus;
    tests::RunningHost host(bus, {});
    platform::ScopedMessageBoxResponder answerOk(
        [](const platform::MessageBoxRequest&) { return platform::MessageBoxAnswer::Ok; });
    plugin::DBusWindowHandover handover(host.pluginConnection());
    cinderloom::Module1 module(handover);
    module.startUp([&] { return host::connectToHost(host.pluginConnection()); });
    module.optionsDialog()->Text1->setText("4");
    QTest::mouseClick(module.optionsDialog()->Command1, Qt::LeftButton);
    ASSERT_NE(module.mainWindow(), nullptr);
    cinderloom::Cinderloom& window = *module.mainWindow();

    // Cell 3 into slots 0 and 1 by a drag, cell 7 into slot 3 by a click.
    pointAt(window.Picture1, QEvent::MouseButtonPress, 3, module);
    pointAt(window.Picture2, QEvent::MouseButtonPress, 0, module);
    pointAt(window.Picture2, QEvent::MouseMove, 1, module);
    pointAt(window.Picture2, QEvent::MouseButtonRelease, 1, module);
    pointAt(window.Picture1, QEvent::MouseButtonPress, 7, module);
    pointAt(window.Picture2, QEvent::MouseButtonPress, 3, module);
    const std::span<const int16_t> film = module.film().slotCells();
    ASSERT_EQ(std::vector<int16_t>(film.begin(), film.end()), (std::vector<int16_t>{3, 3, -1, 7}));

    QTest::mouseClick(window.vx_button2, Qt::LeftButton);
    const std::vector<cinderloom::FramePlanes> plain = hostFrames(host.object());
    ASSERT_EQ(plain.size(), 4u);
    const cinderloom::CellStore& cells = module.cells().store();
    const auto cellSize = static_cast<std::size_t>(cells.columns() * cells.rows());
    for (std::size_t slot = 0; slot < 4; ++slot)
        for (int c = 0; c < 3; ++c) {
            const host::ByteArray& plane = plain[slot][c];
            ASSERT_EQ(plane.size(), cellSize);
            if (film[slot] < 0) {
                EXPECT_TRUE(std::all_of(plane.data(), plane.data() + plane.size(),
                                        [](uint8_t sample) { return sample == 255; }));
                continue;
            }
            const uint8_t* cell = cells.cell(cinderloom::kChannels[c], film[slot]);
            EXPECT_TRUE(std::equal(plane.data(), plane.data() + plane.size(), cell))
                << "slot " << slot << ", channel " << c;
        }

    // The wiggle draws its depths from the program's generator, two per
    // frame; a copy taken now predicts them.
    window.Check1->setChecked(true);
    platform::RandomGenerator depths = platform::programRandom();
    QTest::mouseClick(window.vx_button2, Qt::LeftButton);
    const std::vector<cinderloom::FramePlanes> wiggled = hostFrames(host.object());
    ASSERT_EQ(wiggled.size(), 4u);
    const cinderloom::FrameSizes& sizes = module.cells().sizes();
    for (std::size_t slot = 0; slot < 4; ++slot) {
        cinderloom::FramePlanes expected = plain[slot];
        cinderloom::wiggleWarp(16, 4, plain[slot][0], plain[slot][1], plain[slot][2], expected[0],
                               expected[1], expected[2], sizes.width, sizes.height,
                               maker::noise3.pointer(), depths);
        EXPECT_EQ(differingPixels(wiggled[slot], expected, sizes.width, sizes.height), 0)
            << "slot " << slot;
    }
    EXPECT_GT(differingPixels(wiggled[0], wiggled[1], sizes.width, sizes.height), 0);
    EXPECT_GT(differingPixels(wiggled[0], plain[0], sizes.width, sizes.height), 0);

    // The host stays on the latest animation.
    EXPECT_EQ(host::resultToInt32("tal_GetTotalFrames", host.object().Invoke("tal_GetTotalFrames")),
              4);
    QDir::setCurrent(startDirectory);
    EXPECT_EQ(host.stop(), 0);
}

// A time sheet another tool might write: a change point before frame 0,
// a hold, a hyphen, an empty cell, a second track that is left out and the
// closing entry at the duration.
QByteArray otherToolsSheet() {
    const auto point = [](int frame, const char* value) {
        return QStringLiteral("{\"frame\": %1, \"data\": [{\"id\": 0, \"values\": [\"%2\"]}]}")
            .arg(frame)
            .arg(QLatin1String(value));
    };
    const QString cells = QStringList{point(-1, "5"),
                                      point(2, "12"),
                                      point(3, "SYMBOL_HYPHEN"),
                                      point(4, "SYMBOL_NULL_CELL"),
                                      point(5, "1"),
                                      point(6, "SYMBOL_NULL_CELL")}
                              .join(", ");
    return QStringLiteral(
               "exchangeDigitalTimeSheet Save Data\n{\"version\": 5, \"header\": {\"cut\": \"1\", "
               "\"scene\": \"1\"}, \"timeTables\": [{\"name\": \"other\", \"duration\": 6, "
               "\"timeTableHeaders\": [{\"fieldId\": 0, \"names\": [\"A\", \"B\"]}], "
               "\"fields\": [{\"fieldId\": 0, \"tracks\": [{\"trackNo\": 1, \"frames\": [%1]}, "
               "{\"trackNo\": 0, \"frames\": [%2]}]}]}]}")
        .arg(point(0, "2"), cells)
        .toUtf8();
}

// The pixels a saved frame shows where the host's saved frame `path` does.
bool samePicture(const QString& path, const QString& expectedPath) {
    const QImage saved = QImage(path).convertToFormat(QImage::Format_RGB32);
    const QImage expected = QImage(expectedPath).convertToFormat(QImage::Format_RGB32);
    return !saved.isNull() && saved == expected;
}

bool whitePicture(const QString& path, QSize size) {
    QImage white(size, QImage::Format_RGB32);
    white.fill(Qt::white);
    return QImage(path).convertToFormat(QImage::Format_RGB32) == white;
}

// The host saved its demo as document 0, frame for frame the cells; the
// shot is document 1, one frame per slot: the cell the slot names or white.
void expectShotOf(const QString& savedPath, const std::vector<int>& cells) {
    const auto frame = [&](int document, int index) {
        return QStringLiteral("%1/doc%2/frame%3.png")
            .arg(savedPath)
            .arg(document)
            .arg(index, 4, 10, QLatin1Char('0'));
    };
    for (std::size_t slot = 0; slot < cells.size(); ++slot) {
        const QString shot = frame(1, static_cast<int>(slot));
        if (cells[slot] < 0)
            EXPECT_TRUE(whitePicture(shot, QSize(320, 240))) << "slot " << slot;
        else
            EXPECT_TRUE(samePicture(shot, frame(0, cells[slot]))) << "slot " << slot;
    }
    EXPECT_FALSE(QFile::exists(frame(1, static_cast<int>(cells.size()))));
    // The check must tell the cells apart.
    EXPECT_FALSE(samePicture(frame(0, 4), frame(0, 11)));
}

std::vector<int16_t> slotsOf(const cinderloom::Film& film) {
    return {film.slotCells().begin(), film.slotCells().end()};
}

TEST(CinderloomEndToEnd, UndoesAStrokeSavesOpensAnotherSheetAndShootsTheCellsItNames) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString savedPath = folder.filePath("saved");
    const QString startDirectory = QDir::currentPath();
    tests::PrivateBus bus;
    tests::RunningHost host(bus, {"--save-dir", savedPath});
    QStringList messages;
    platform::ScopedMessageBoxResponder answerOk([&](const platform::MessageBoxRequest& request) {
        messages << request.text;
        return platform::MessageBoxAnswer::Ok;
    });
    {
        plugin::DBusWindowHandover handover(host.pluginConnection());
        cinderloom::Module1 module(handover);
        module.startUp([&] { return host::connectToHost(host.pluginConnection()); });
        module.optionsDialog()->Text1->setText("4");
        QTest::mouseClick(module.optionsDialog()->Command1, Qt::LeftButton);
        ASSERT_NE(module.mainWindow(), nullptr);
        cinderloom::Cinderloom& window = *module.mainWindow();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        // "Retrieve..." answered OK fetches the demo's 12 frames again.
        QTest::mouseClick(window.vx_button1, Qt::LeftButton);
        ASSERT_EQ(module.cells().store().cells(), 12);

        // Cell 3 over slots 0 and 1 in one drag, cell 7 into slot 3; the
        // second stroke is taken back.
        pointAt(window.Picture1, QEvent::MouseButtonPress, 3, module);
        pointAt(window.Picture2, QEvent::MouseButtonPress, 0, module);
        pointAt(window.Picture2, QEvent::MouseMove, 1, module);
        pointAt(window.Picture2, QEvent::MouseButtonRelease, 1, module);
        pointAt(window.Picture1, QEvent::MouseButtonPress, 7, module);
        pointAt(window.Picture2, QEvent::MouseButtonPress, 3, module);
        pointAt(window.Picture2, QEvent::MouseButtonRelease, 3, module);
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        const std::vector<int16_t> painted{3, 3, -1, -1};
        EXPECT_EQ(slotsOf(module.film()), painted);
        const QString kept = folder.filePath("kept.xdts");
        window.saveFilmAs(kept);
        EXPECT_EQ(slotsOf(cinderloom::openFilmFile(kept, 12).film), painted);

        const QString other = folder.filePath("other.xdts");
        QFile sheet(other);
        ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
        sheet.write(otherToolsSheet());
        sheet.close();
        messages.clear();
        window.openFilm(other);
        EXPECT_EQ(slotsOf(module.film()), (std::vector<int16_t>{4, 4, 11, 11, -1, 0}));
        EXPECT_EQ(messages, QStringList{"The film was read from track 0 (\u201cA\u201d) of the "
                                        "cell field; 1 other track holding cells was left out."});

        QTest::mouseClick(window.vx_button2, Qt::LeftButton);
    }
    QDir::setCurrent(startDirectory);
    EXPECT_EQ(host.stop(), 0);

    expectShotOf(savedPath, {4, 4, 11, 11, -1, 0});
}

} // namespace
