#include "tallowick/documents/BuiltInPictures.h"
#include "tallowick/documents/DocumentSaving.h"
#include "tallowick/documents/PictureLoading.h"
#include "tests/tallowick/ErrorText.h"
#include "tests/tallowick/TinyDocument.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tallowick::Channel;
using tallowick::Document;
using tallowick::PictureError;

void writePicture(const QString& path, int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "PNG")) << path.toStdString();
}

std::string pictureError(const std::function<void()>& load) {
    return tests::errorText<PictureError>(load);
}

int redOf(const Document& document, int frame) {
    return document.frame(frame).samples(Channel::Red)[0];
}

TEST(PictureFiles, AFolderIsAnAnimationOfItsPicturesInNameOrder) {
    QTemporaryDir folder;
    writePicture(folder.filePath("b.png"), 4, 3, QColor(30, 0, 0));
    writePicture(folder.filePath("a.png"), 4, 3, QColor(10, 0, 0));
    writePicture(folder.filePath("a10.png"), 4, 3, QColor(20, 0, 0));
    QFile notes(folder.filePath("notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not a picture");
    notes.close();

    std::vector<double> reports;
    const Document animation = tallowick::loadAnimation(
        folder.path(), [&](double percent) { reports.push_back(percent); });
    EXPECT_EQ(reports, (std::vector<double>{100.0 / 3, 200.0 / 3, 100.0}));
    ASSERT_EQ(animation.frameCount(), 3);
    EXPECT_EQ(animation.width(), 4);
    EXPECT_EQ(animation.height(), 3);
    EXPECT_EQ(redOf(animation, 0), 10);
    EXPECT_EQ(redOf(animation, 1), 20);
    EXPECT_EQ(redOf(animation, 2), 30);
    EXPECT_EQ(animation.frame(0).samples(Channel::Alpha)[0], 255);
}

TEST(PictureFiles, FramesOfAnotherSizeOrUnreadablePicturesAreRefusedByName) {
    QTemporaryDir folder;
    writePicture(folder.filePath("0.png"), 4, 3, Qt::red);
    writePicture(folder.filePath("1.png"), 4, 2, Qt::red);
    const std::string sizes = pictureError([&] { tallowick::loadAnimation(folder.path()); });
    EXPECT_NE(sizes.find(folder.filePath("1.png").toStdString()), std::string::npos) << sizes;
    EXPECT_NE(sizes.find("4 x 2"), std::string::npos) << sizes;
    EXPECT_NE(sizes.find("4 x 3"), std::string::npos) << sizes;

    QFile broken(folder.filePath("broken.png"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a png");
    broken.close();
    const std::string unreadable = pictureError([&] { tallowick::loadStill(broken.fileName()); });
    EXPECT_NE(unreadable.find("broken.png: cannot be read as a picture"), std::string::npos)
        << unreadable;

    QTemporaryDir empty;
    EXPECT_NE(pictureError([&] {
                  tallowick::loadAnimation(empty.path());
              }).find("holds no picture files"),
              std::string::npos);
    EXPECT_NE(pictureError([&] {
                  tallowick::loadBrush(folder.filePath("none.png"));
              }).find("none.png: no such file"),
              std::string::npos);
}

TEST(PictureFiles, AMultiFramePictureIsAnAnimation) {
    // A GIF of two 1 x 1 frames, colour 0 (red) then colour 1 (blue). Each
    // frame's LZW data is the 3-bit codes clear (4), the colour, end (5),
    // packed from the lowest bit: 4 + 8 * colour + 64 * 5.
    const unsigned char gif[] = {
        'G',  'I',  'F',  '8',  '9', 'a',  1, 0, 1,    0, 0x80, 0, 0, // screen, 2 colours
        0xFF, 0,    0,    0,    0,   0xFF,                            // red, blue
        0x21, 0xF9, 4,    0,    10,  0,    0, 0, 0x2C, 0, 0,    0, 0, 1, 0, 1, 0, 0, // frame 0
        2,    2,    0x44, 0x01, 0,                                                   // colour 0
        0x21, 0xF9, 4,    0,    10,  0,    0, 0, 0x2C, 0, 0,    0, 0, 1, 0, 1, 0, 0, // frame 1
        2,    2,    0x4C, 0x01, 0,                                                   // colour 1
        0x3B};
    QTemporaryDir folder;
    QFile file(folder.filePath("two.gif"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(gif), sizeof gif);
    file.close();

    const Document animation = tallowick::loadAnimation(file.fileName());
    ASSERT_EQ(animation.frameCount(), 2);
    EXPECT_EQ(animation.name(), "two.gif");
    EXPECT_EQ(redOf(animation, 0), 255);
    EXPECT_EQ(animation.frame(1).samples(Channel::Blue)[0], 255);
    EXPECT_EQ(redOf(animation, 1), 0);
    EXPECT_EQ(tallowick::loadStill(file.fileName()).frameCount(), 1);
}

TEST(PictureFiles, SavingWritesEveryFrameOfEveryDocumentAsRgbaPng) {
    std::vector<Document> documents{tests::tinyDocument()};
    documents.emplace_back(QStringLiteral("dot"), std::vector<tallowick::RgbaFrame>{
                                                      tallowick::RgbaFrame(1, 1, {1, 2, 3, 4})});
    QTemporaryDir out;
    std::vector<double> reports;
    tallowick::saveDocuments(documents, out.filePath("saved"),
                             [&](double percent) { reports.push_back(percent); });

    QStringList files;
    for (QDirIterator it(out.filePath("saved"), QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();)
        files << QDir(out.filePath("saved")).relativeFilePath(it.next());
    files.sort();
    EXPECT_EQ(files,
              (QStringList{"doc0/frame0000.png", "doc0/frame0001.png", "doc1/frame0000.png"}));
    EXPECT_EQ(reports, (std::vector<double>{100.0 / 3, 200.0 / 3, 100.0}));

    const QImage frame1 =
        QImage(out.filePath("saved/doc0/frame0001.png")).convertToFormat(QImage::Format_RGBA8888);
    ASSERT_EQ(frame1.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(frame1.constScanLine(y)[4 * x + c], tests::tinySample(c, 1, x, y));
}

TEST(BuiltIns, DemoBrushAndWallpaperHaveTheirDocumentedShapes) {
    const Document demo = tallowick::demoAnimation();
    ASSERT_EQ(demo.frameCount(), 12);
    EXPECT_EQ(demo.width(), 320);
    EXPECT_EQ(demo.height(), 240);
    for (int f = 1; f < demo.frameCount(); ++f)
        EXPECT_NE(demo.frame(f).plane(Channel::Red), demo.frame(f - 1).plane(Channel::Red));

    const tallowick::RgbaFrame brush = tallowick::builtInBrush();
    EXPECT_EQ(brush.width(), 64);
    EXPECT_EQ(brush.height(), 48);
    const host::ByteArray& alpha = brush.plane(Channel::Alpha);
    EXPECT_EQ(alpha.at(0, 0), 0);
    EXPECT_EQ(alpha.at(32, 24), 255);
    EXPECT_GT(alpha.at(32, 4), 0); // inside the fade
    EXPECT_LT(alpha.at(32, 4), 255);

    QTemporaryDir data;
    const QString path = tallowick::writeBuiltInWallpaper(data.filePath("tallowick"));
    EXPECT_EQ(path, data.filePath("tallowick/wallpaper.png"));
    EXPECT_EQ(QImage(path).size(), QSize(64, 64));
}

} // namespace
