#include "tallowick/startup/HostStartup.h"

#include "tallowick/documents/PictureLoading.h"
#include "tests/tallowick/ErrorText.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void writePicture(const QString& path, int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "PNG")) << path.toStdString();
}

std::string pictureError(const std::function<void()>& load) {
    return tests::errorText<tallowick::PictureError>(load);
}

TEST(HostStartup, TheCommandLineChoosesDocumentBrushAndWallpaper) {
    QTemporaryDir folder;
    const QString picture = folder.filePath("still.png");
    writePicture(picture, 5, 4, Qt::green);

    tallowick::HostOptions options;
    options.document = tallowick::DocumentSource::Still;
    options.documentPath = picture;
    options.brush = tallowick::BrushSource::None;
    options.wallpaperPath = picture;
    const auto model = tallowick::createHostModel(options, QStringLiteral("/app"));
    EXPECT_EQ(model->documents().currentDocument().width(), 5);
    EXPECT_EQ(model->documents().currentDocument().frameCount(), 1);
    EXPECT_FALSE(model->painting().brush());
    EXPECT_EQ(model->wallpaperFileName(), picture);
    EXPECT_EQ(model->appDir(), "/app");

    options.wallpaperPath = folder.filePath("missing.png");
    EXPECT_NE(pictureError([&] {
                  tallowick::createHostModel(options, {});
              }).find("missing.png: no such file"),
              std::string::npos);
}

} // namespace
