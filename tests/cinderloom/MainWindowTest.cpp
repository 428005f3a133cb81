// The main window: its controls, the load step, "Retrieve...", "Done" with
// the exit question, and the operations the host may call.
#include "cinderloom/CLOptions.h"
#include "cinderloom/Cinderloom.h"
#include "maker/widgets/HPropScroller.h"
#include "maker/widgets/VxButton.h"
#include "maker/widgets/VxDropSlider.h"
#include "platform/PictureBox.h"
#include "tests/cinderloom/CinderloomTestSupport.h"

#include <QCheckBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

namespace tests {
namespace {

using platform::MessageBoxAnswer;

using MainWindowTest = CinderloomTest;

TEST_F(MainWindowTest, ControlsSitAtTheirPlacesWithTheirTextsAndLooks) {
    auto& window = openMainWindow();
    EXPECT_EQ(window.windowTitle(), "Cinderloom");
    EXPECT_EQ(window.size(), QSize(886, 424));
    EXPECT_EQ(window.Label1->geometry(), QRect(8, 10, 57, 17));
    EXPECT_EQ(window.vx_button1->Caption(), "Retrieve...");
    EXPECT_EQ(window.vx_button1->toolTip().toStdString(),
              "Reload frames from the main program.  (Note, if you've rendered frames with "
              "\"shoot it\" then you will have to reload your original animaiton frames before "
              "using this feature)");
    // Once shown, the groups are as wide as the window's outer width less 32
    // and their children 4 pixels narrower; the children sit inside the
    // 2-pixel border.
    const int group = window.frameGeometry().width() - 32;
    EXPECT_EQ(window.Picture3->geometry(), QRect(8, 34, group, 123));
    EXPECT_EQ(window.Picture1->geometry(), QRect(2, 4, group - 4, 77));
    EXPECT_EQ(window.Picture7->geometry(), QRect(2, 84, group - 4, 17));
    EXPECT_EQ(window.HProp1->geometry(), QRect(2, 102, group - 4, 19));
    EXPECT_EQ(window.Picture5->geometry(), QRect(8, 192, group, 123));
    EXPECT_EQ(window.Picture2->parentWidget(), window.Picture5);
    // Drawn once laid out: cell 0, selected, in negative (sample (0, 0) of
    // frame 0 is 0, 64, 128), and the new film's empty slots white.
    EXPECT_EQ(window.Picture1->image().pixelColor(0, 0), QColor(255, 191, 127));
    EXPECT_EQ(window.Picture2->image().pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(window.Picture4->image().pixelColor(0, 0), QColor(255, 224, 192));
    EXPECT_EQ(window.Picture2->toolTip(),
              "Select the frame you want to apply to the new role of film.");
    EXPECT_EQ(window.HProp2->BackColor(), QColor(143, 149, 158));
    EXPECT_EQ(window.HProp2->ForeColor(), QColor(224, 224, 224));
    EXPECT_FALSE(window.Check1->isChecked());
    EXPECT_EQ(window.Label5->text(), "Wiggle hold");
    EXPECT_EQ(window.VX_DropSlider1->Value(), 16);
    EXPECT_EQ(window.VX_DropSlider1->Text(), "16");
    EXPECT_EQ(window.VX_DropSlider1->Max(), 32);
    EXPECT_EQ(window.VX_DropSlider2->Value(), 4);
    EXPECT_EQ(window.VX_DropSlider2->Min(), 1);
    EXPECT_EQ(window.VX_DropSlider2->Max(), 20);
    EXPECT_EQ(window.VX_DropSlider2->geometry(), QRect(338, 330, 53, 19));
    EXPECT_EQ(window.vx_button2->Caption(), "Shoot it");
    EXPECT_EQ(window.vx_button2->BackColor(), QColor(255, 192, 128));
    EXPECT_EQ(window.vx_button3->geometry(), QRect(142, 376, 105, 21));
    EXPECT_EQ(window.Line1->geometry(), QRect(6, 362, 391, 1));
    EXPECT_EQ(window.StatusBar1->geometry(), QRect(0, 407, 886, 17));
}

TEST_F(MainWindowTest, LoadStepSetsHeightRangesAndTakesTheWallpaper) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString wallpaper = folder.filePath("tile.png");
    ASSERT_TRUE(QImage(5, 4, QImage::Format_RGB32).save(wallpaper));
    fake().setResult("Tal_WallpaperFilename", wallpaper);

    auto& window = openMainWindow();

    // 424 pixels high when it loaded, 15 twips each.
    EXPECT_EQ(window.formHeightAtLoad(), 6360);
    // Both views were drawn whole: the film's empty slots show white.
    EXPECT_EQ(window.Picture2->image().pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(window.HProp1->Range(), 2);
    EXPECT_EQ(window.HProp2->Range(), 30);
    EXPECT_EQ(window.Image1->pixmap().size(), QSize(5, 4));
    EXPECT_EQ(window.Image1->size(), QSize(5, 4));
}

TEST_F(MainWindowTest, AMissingOrRefusedWallpaperLeavesImage1EmptyWithoutAWord) {
    fake().setResult("Tal_WallpaperFilename", QStringLiteral("/nonexistent/tile.png"));
    auto& window = openMainWindow();
    EXPECT_TRUE(window.Image1->pixmap().isNull());
    EXPECT_TRUE(messageBoxes.requests().empty());
}

TEST_F(MainWindowTest, RetrieveAnsweredCancelChangesNothingAndOkKeepsThePositions) {
    auto& window = openMainWindow();
    window.HProp1->setPosition(1);
    window.HProp2->setPosition(5);
    scriptAnimation(fake(), 1, 1, 4);
    fake().clearCalls();

    messageBoxes.answerNext(MessageBoxAnswer::Cancel);
    QTest::mouseClick(window.vx_button1, Qt::LeftButton);

    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    const auto& warning = messageBoxes.requests()[0];
    EXPECT_EQ(warning.text, "Warning, retrieving can change your frame list if the order of the "
                            "original has changed.\nAdd frames to the end of the original, for "
                            "best results");
    EXPECT_EQ(warning.buttons, platform::MessageBoxButtons::OkCancel);
    EXPECT_EQ(warning.icon, platform::MessageBoxIcon::Information);
    EXPECT_TRUE(fake().calls().empty());
    EXPECT_EQ(module->cells().sizes().width, 3);
    EXPECT_EQ(module->cells().sizes().height, 2);
    EXPECT_EQ(module->cells().sizes().count, 2);
    EXPECT_EQ(module->cells().store().cells(), 2);
    EXPECT_EQ(window.HProp1->Range(), 2);

    module->film().set(0, 1);
    QTest::mouseClick(window.vx_button1, Qt::LeftButton);

    EXPECT_EQ(module->cells().sizes().count, 4);
    EXPECT_EQ(module->cells().store().cells(), 4);
    EXPECT_EQ(window.HProp1->Range(), 4);
    EXPECT_EQ(window.HProp2->Range(), 30);
    EXPECT_EQ(window.HProp1->Position(), 1);
    EXPECT_EQ(window.HProp2->Position(), 5);
    // The film was redrawn whole from the new cells: slot 0, set without a
    // redraw, shows cell 1 of the 1 × 1 frames, sample (0, 0) stretched
    // over the slot.
    EXPECT_EQ(window.Picture2->image().pixelColor(30, 30), QColor(16, 80, 144));
}

TEST_F(MainWindowTest, ExitQuestionAnsweredNoKeepsEverythingAndYesCloses) {
    auto& window = openMainWindow();
    window.HProp2->setPosition(7);
    module->film().set(3, 1);
    const std::vector<int16_t> filmBefore = slotsOf(module->film());

    messageBoxes.answerNext(MessageBoxAnswer::No);
    QTest::mouseClick(window.vx_button3, Qt::LeftButton);
    messageBoxes.answerNext(MessageBoxAnswer::No);
    window.close();

    ASSERT_EQ(messageBoxes.requests().size(), 2u);
    for (const auto& question : messageBoxes.requests()) {
        EXPECT_EQ(question.text, "Exit Cinderloom");
        EXPECT_EQ(question.buttons, platform::MessageBoxButtons::YesNo);
        EXPECT_EQ(question.icon, platform::MessageBoxIcon::Information);
    }
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(slotsOf(module->film()), filmBefore);
    EXPECT_EQ(window.HProp2->Position(), 7);
    EXPECT_EQ(module->cells().store().cells(), 2);

    messageBoxes.answerNext(MessageBoxAnswer::Yes);
    QTest::mouseClick(window.vx_button3, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    // It was the last window: closing it ends the program's event loop.
    EXPECT_TRUE(window.testAttribute(Qt::WA_QuitOnClose));
}

TEST_F(MainWindowTest, HostCallsReachTheOperationsWithoutRegardToCase) {
    auto& window = openMainWindow();
    host::AutomationObject& automation = window.automation();
    const host::Variant target = host::ObjectRef{{}, {}, &automation};
    EXPECT_EQ(automation.Invoke("prefscallback", {target}), host::Variant{});
    EXPECT_EQ(automation.Invoke("PICTURE1_PAINT", {}), host::Variant{});
    EXPECT_EQ(automation.Invoke("Picture2_Paint", {}), host::Variant{});
    EXPECT_THROW(automation.Invoke("PrefsCallback", {}), host::HostCallError);
    EXPECT_THROW(automation.Invoke("Picture1_Paint", {int16_t{0}}), host::HostCallError);
    EXPECT_THROW(automation.Invoke("Shoot", {}), host::HostCallError);

    // The options dialog is a window of this program, but no main window.
    const host::Variant dialog = host::ObjectRef{{}, {}, &module->optionsDialog()->automation()};
    try {
        automation.Invoke("PrefsCallback", {dialog});
        ADD_FAILURE() << "the options dialog was themed as a main window";
    } catch (const host::HostCallError& error) {
        EXPECT_STREQ(error.what(),
                     "PrefsCallback: the target is not a main window and has no BackColor");
    }
}

} // namespace
} // namespace tests
