// "Replace existing image": the question, the new image only where a size
// differs, the four planes as held, and a buffer too large for a new image.
#include "marrowset/Form2.h"
#include "tests/marrowset/MarrowsetTestSupport.h"

#include <QAction>
#include <QImage>
#include <QTemporaryDir>

namespace tests {
namespace {

using host::Variant;

const QStringList kStores{"Tal_SaveUndo",   "Tal_SetaBuffer",  "Tal_SetRBuffer", "Tal_SetGBuffer",
                          "Tal_SetBBuffer", "Tal_Initmarquee", "tal_alphaon"};

class Replace : public MarrowsetTest {
protected:
    void choose() {
        fake().clearCalls();
        menu().Replacebuffer->trigger();
    }
};

TEST_F(Replace, TheQuestionComesFirstAndCancelTouchesNothing) {
    openWindow();
    messageBoxes.answerNext(platform::MessageBoxAnswer::Cancel);
    choose();
    EXPECT_TRUE(fake().calls().empty());
    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    const platform::MessageBoxRequest& question = messageBoxes.requests()[0];
    EXPECT_EQ(question.text, "Replace the existing buffer?");
    EXPECT_EQ(question.title, "Marrowset");
    EXPECT_EQ(question.buttons, platform::MessageBoxButtons::OkCancel);
    EXPECT_EQ(question.defaultButton, platform::MessageBoxAnswer::Ok);
    EXPECT_EQ(question.icon, platform::MessageBoxIcon::None);
}

TEST_F(Replace, AnImageOfTheBrushsSizeIsOverwrittenWithTheFourPlanesAsHeld) {
    image.replace(4, 3);
    openWindow();
    choose();
    EXPECT_EQ(fake().callNames(), (QStringList{"Tal_BufferWidth", "Tal_BufferHeight"} + kStores));
    const char* stores[] = {"Tal_SetaBuffer", "Tal_SetRBuffer", "Tal_SetGBuffer", "Tal_SetBBuffer"};
    for (int channel = kAlpha; channel <= kBlue; ++channel) {
        const host::ByteArray expected = brushPlane(channel, {0, 5}, {0, 4});
        EXPECT_EQ(fake().callsOf(stores[channel]).at(0).args, std::vector<Variant>{expected});
        // The held buffer keeps its planes for the next command.
        EXPECT_EQ(image.planes[channel], expected);
    }
    EXPECT_EQ(module().held().green, brushPlane(kGreen, {0, 5}, {0, 4}));
}

TEST_F(Replace, ASizeDifferingInOneDirectionMakesANewImageBeforeTheSnapshot) {
    for (const QSize size : {QSize(4, 5), QSize(6, 3)}) {
        image.replace(size.width(), size.height());
        openWindow();
        choose();
        EXPECT_EQ(fake().callNames(),
                  (QStringList{"Tal_BufferWidth", "Tal_BufferHeight", "Tal_NewBuffer"} + kStores));
        EXPECT_EQ(fake().callsOf("Tal_NewBuffer").at(0).args,
                  (std::vector<Variant>{int16_t{4}, int16_t{3}}));
    }
}

TEST_F(Replace, AFailingStoreLeavesTheHeldBufferWhole) {
    openWindow();
    fake().failCalls("Tal_SetGBuffer", "the host is gone");
    EXPECT_TRUE(endingOf([this] { choose(); }).status.has_value());
    for (int channel = kAlpha; channel <= kBlue; ++channel) {
        const host::ByteArray& held = channel == kAlpha   ? module().held().alpha
                                      : channel == kRed   ? module().held().red
                                      : channel == kGreen ? module().held().green
                                                          : module().held().blue;
        EXPECT_EQ(held, brushPlane(channel, {0, 5}, {0, 4})) << "channel " << channel;
    }
}

TEST_F(Replace, APictureWiderThanANewImageCanBeIsRefusedBeforeAnyCall) {
    QTemporaryDir folder;
    const QString path = folder.filePath("wide.png");
    QImage wide(40000, 1, QImage::Format_RGB32);
    wide.fill(Qt::darkCyan);
    ASSERT_TRUE(wide.save(path));
    openWindow(path);
    ASSERT_EQ(module().held().W, 40000);
    choose();
    EXPECT_TRUE(fake().calls().empty());
    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    EXPECT_EQ(messageBoxes.requests()[0].text,
              "The picture of 40000 × 1 pixels is too large for a new image (at most 32767 × "
              "32767).");
}

} // namespace
} // namespace tests
