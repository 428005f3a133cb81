// The options dialog: the film length it reads, what it refuses, and the
// hand-over of the main window.
#include "cinderloom/CLOptions.h"
#include "cinderloom/Cinderloom.h"
#include "maker/widgets/HPropScroller.h"
#include "tests/cinderloom/CinderloomTestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace tests {
namespace {

using host::Variant;

struct LengthCase {
    const char* text;
    int32_t length;
};

class OptionsDialogLength : public CinderloomTest,
                            public testing::WithParamInterface<LengthCase> {};

TEST_P(OptionsDialogLength, OkCreatesAnEmptyFilmAndHandsOverTheMainWindow) {
    startUp();
    auto* dialog = module->optionsDialog();
    dialog->Text1->setText(GetParam().text);
    fake().clearCalls();

    QTest::mouseClick(dialog->Command1, Qt::LeftButton);

    const int32_t length = GetParam().length;
    EXPECT_EQ(module->film().length(), length);
    EXPECT_EQ(slotsOf(module->film()), std::vector<int16_t>(static_cast<std::size_t>(length), -1));
    auto* mainWindow = module->mainWindow();
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_TRUE(mainWindow->isVisible());
    EXPECT_EQ(mainWindow->HProp2->Range(), length);
    const Variant expectedWindow = host::ObjectRef{{}, {}, &mainWindow->automation()};
    ASSERT_EQ(fake().countOf("Tal_SendFormObject"), 1);
    EXPECT_EQ(fake().callsOf("Tal_SendFormObject")[0].args,
              (std::vector<Variant>{expectedWindow, int16_t{0}}));
    // The dialog is gone from the host and from the screen.
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(handover.withdrawn, std::vector<host::AutomationObject*>{&dialog->automation()});
    EXPECT_TRUE(messageBoxes.requests().empty());
}

// Leading number only; halves go to the even neighbour; &H is hexadecimal.
INSTANTIATE_TEST_SUITE_P(Texts, OptionsDialogLength,
                         testing::Values(LengthCase{"30", 30}, LengthCase{"12 frames", 12},
                                         LengthCase{"2.5", 2}, LengthCase{"3.5", 4},
                                         LengthCase{"&H10", 16}));

TEST_F(CinderloomTest, OptionsDialogRefusesLengthsTheFilmCannotHaveAndStaysOpen) {
    startUp();
    auto* dialog = module->optionsDialog();
    const std::pair<const char*, QString> refused[] = {
        {"0", "The number of frames must be at least 1."},
        {"", "The number of frames must be at least 1."},
        {"-3", "The number of frames must be at least 1."},
        {"0.5", "The number of frames must be at least 1."},
        {"none", "The number of frames must be at least 1."},
        {"1000001", "The number of frames must be at most 1000000."},
        {"1e400", "The number of frames must be at most 1000000."}};
    for (const auto& [text, message] : refused) {
        SCOPED_TRACE(text);
        dialog->Text1->setText(text);
        const auto before = messageBoxes.requests().size();

        QTest::mouseClick(dialog->Command1, Qt::LeftButton);

        ASSERT_EQ(messageBoxes.requests().size(), before + 1);
        EXPECT_EQ(messageBoxes.requests().back().text, message);
        EXPECT_EQ(messageBoxes.requests().back().buttons, platform::MessageBoxButtons::Ok);
        EXPECT_TRUE(dialog->isVisible());
    }
    EXPECT_EQ(module->mainWindow(), nullptr);
    EXPECT_EQ(module->film().length(), 0);
    EXPECT_EQ(fake().countOf("Tal_SendFormObject"), 1);
}

TEST_F(CinderloomTest, OptionsDialogLayoutAndItsClosingWithoutOk) {
    startUp();
    auto* dialog = module->optionsDialog();
    // Twips ÷ 15, halves to even: 2265 / 15 = 151, 225 / 15 = 15, 2820 / 15 = 188.
    EXPECT_EQ(dialog->windowTitle(), "Cinderloom options...");
    EXPECT_EQ(dialog->size(), QSize(345, 136));
    EXPECT_EQ(dialog->Label1->geometry(), QRect(30, 44, 151, 15));
    EXPECT_EQ(dialog->Label1->text(), "Number of frames of new anim");
    EXPECT_EQ(dialog->Text1->geometry(), QRect(188, 42, 83, 19));
    EXPECT_EQ(dialog->Text1->text(), "30");
    EXPECT_EQ(dialog->Command1->geometry(), QRect(122, 104, 101, 19));
    EXPECT_EQ(dialog->Command1->text(), "Ok");
    EXPECT_THROW(dialog->automation().Invoke("PrefsCallback", {}), host::HostCallError);

    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(module->mainWindow(), nullptr);
    EXPECT_EQ(fake().countOf("Tal_SendFormObject"), 1);
}

} // namespace
} // namespace tests
