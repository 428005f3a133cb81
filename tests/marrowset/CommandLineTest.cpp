// The command line's capture: the clipboard or a picture file in place of
// the host's brush, and every way it can fail leaving the brush as it was.
#include "marrowset/Form1.h"
#include "marrowset/Form2.h"
#include "tests/marrowset/MarrowsetTestSupport.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace tests {
namespace {

// A picture whose pixel (x, y) is (10 x + 1, 20 y + 2, 7), opaque.
QImage smallPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(10 * x + 1, 20 * y + 2, 7));
    return picture;
}

class CommandLine : public MarrowsetTest {
protected:
    CommandLine() { QGuiApplication::clipboard()->clear(); }
    ~CommandLine() override { QGuiApplication::clipboard()->clear(); }

    // The held buffer is the 10 x 5 picture: planes of 11 x 6 from 0, the
    // picture's colours at columns 0..9 and rows 0..4, column 10 and row 5
    // white, alpha 255 everywhere.
    void expectSmallPictureHeld() {
        const marrowset::HeldBuffer& held = module().held();
        ASSERT_EQ(held.W, 10);
        ASSERT_EQ(held.H, 5);
        for (const host::ByteArray* plane : {&held.alpha, &held.red, &held.green, &held.blue})
            ASSERT_EQ(plane->dimensions(), (std::vector<host::Dimension>{{0, 11}, {0, 6}}));
        for (int y = 0; y <= 5; ++y)
            for (int x = 0; x <= 10; ++x) {
                const bool inside = x < 10 && y < 5;
                EXPECT_EQ(held.red.at(x, y), inside ? 10 * x + 1 : 255);
                EXPECT_EQ(held.green.at(x, y), inside ? 20 * y + 2 : 255);
                EXPECT_EQ(held.blue.at(x, y), inside ? 7 : 255);
                EXPECT_EQ(held.alpha.at(x, y), 255);
            }
    }

    void expectHostBrushHeld() {
        EXPECT_EQ(module().held().W, 4);
        EXPECT_EQ(module().held().H, 3);
        EXPECT_EQ(module().held().red, brushPlane(kRed, {0, 5}, {0, 4}));
        EXPECT_EQ(module().held().alpha, brushPlane(kAlpha, {0, 5}, {0, 4}));
    }

    QTemporaryDir folder;
};

TEST_F(CommandLine, APictureFileTakesThePlaceOfTheBrushWithAWhiteMargin) {
    const QString path = folder.filePath("small picture.png");
    ASSERT_TRUE(smallPicture(10, 5).save(path));
    openWindow(path);
    expectSmallPictureHeld();
    // The holder keeps nothing between captures.
    EXPECT_TRUE(menu().Picture1.Picture().isNull());
}

TEST_F(CommandLine, TheWordClipboardInAnyCaseTakesTheClipboardsPicture) {
    QGuiApplication::clipboard()->setImage(smallPicture(10, 5));
    for (const char* word : {"clipboard", "Clipboard", "CLIPBOARD"}) {
        SCOPED_TRACE(word);
        program.reset();
        openWindow(QString::fromLatin1(word));
        expectSmallPictureHeld();
    }
}

TEST_F(CommandLine, AnythingAroundTheWordMakesItAPath) {
    QGuiApplication::clipboard()->setImage(smallPicture(10, 5));
    testing::internal::CaptureStderr();
    openWindow(" CLIPBOARD");
    const std::string said = testing::internal::GetCapturedStderr();
    expectHostBrushHeld();
    EXPECT_NE(said.find("Marrowset: cannot take the picture from  CLIPBOARD: no such file\n"),
              std::string::npos)
        << said;
}

TEST_F(CommandLine, AFailedLoadKeepsTheHostsBrushAndSaysWhyOnce) {
    const QString notAPicture = folder.filePath("notes.png");
    {
        QFile file(notAPicture);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("these are not the pixels you are looking for");
    }
    // The first half of a real picture file.
    const QString truncated = folder.filePath("truncated.png");
    {
        const QString whole = folder.filePath("whole.png");
        ASSERT_TRUE(smallPicture(64, 64).save(whole));
        QFile source(whole);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const QByteArray bytes = source.readAll();
        QFile half(truncated);
        ASSERT_TRUE(half.open(QIODevice::WriteOnly));
        half.write(bytes.left(bytes.size() / 2));
    }
    const QString missing = folder.filePath("missing.png");
    for (const QString& commandLine :
         {missing, notAPicture, truncated, folder.path(), QStringLiteral("CLIPBOARD")}) {
        SCOPED_TRACE(commandLine.toStdString());
        program.reset();
        testing::internal::CaptureStderr();
        openWindow(commandLine);
        const QString said = QString::fromStdString(testing::internal::GetCapturedStderr());
        expectHostBrushHeld();
        // One line of ours; the platform's picture readers may add their own.
        const QString source =
            commandLine == "CLIPBOARD" ? QStringLiteral("the clipboard") : commandLine;
        const QStringList ours = said.split('\n').filter(QRegularExpression("^Marrowset: "));
        ASSERT_EQ(ours.size(), 1) << said.toStdString();
        EXPECT_TRUE(ours[0].startsWith("Marrowset: cannot take the picture from " + source + ": "))
            << said.toStdString();
        EXPECT_TRUE(messageBoxes.requests().empty());
    }
}

TEST_F(CommandLine, AnEmptyCommandLineChangesNothing) {
    marrowset::Form1& window = openWindow();
    fake().clearCalls();
    testing::internal::CaptureStderr();
    window.CommandLineProcess();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    expectHostBrushHeld();
    EXPECT_FALSE(window.hasMenuHolder());
    EXPECT_TRUE(fake().calls().empty());
}

TEST_F(CommandLine, TheHostMayRunItAgainOverTheBus) {
    const QString path = folder.filePath("small.png");
    ASSERT_TRUE(smallPicture(10, 5).save(path));
    marrowset::Form1& window = openWindow(path);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(smallPicture(3, 2).save(path));
    window.automation().Invoke("commandlineprocess", {});
    EXPECT_EQ(module().held().W, 3);
    EXPECT_EQ(module().held().H, 2);
    EXPECT_THROW(window.automation().Invoke("CommandLineProcess", {int32_t{1}}),
                 host::HostCallError);
}

} // namespace
} // namespace tests
