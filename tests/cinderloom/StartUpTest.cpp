// The start-up routine's host calls and their order, and the fatal-error path
// that every handler which traps nothing shares.
#include "cinderloom/CLOptions.h"
#include "link/DBusAutomationObject.h"
#include "maker/binding/MakerLibraries.h"
#include "platform/FatalError.h"
#include "platform/ProgramTitle.h"
#include "tests/cinderloom/CinderloomTestSupport.h"

#include <QFileInfo>
#include <optional>

namespace tests {
namespace {

using host::Variant;

TEST_F(CinderloomTest, StartUpCallsTheHostInOrderAndHandsOverTheDialog) {
    startUp();

    EXPECT_EQ(
        fake().callNames(),
        (QStringList{"Tal_GetAppDir", "tal_BufferWidth", "tal_BufferHeight", "tal_GetTotalFrames",
                     "tal_StatusOpen", "tal_Status", "Tal_GotoFrameAdv", "tal_GetRbuffer",
                     "tal_GetGbuffer", "Tal_GetBbuffer", "tal_Status", "Tal_GotoFrameAdv",
                     "tal_GetRbuffer", "tal_GetGbuffer", "Tal_GetBbuffer", "tal_Status",
                     "Tal_GotoFrame", "tal_StatusClose", "Tal_SendFormObject"}));
    auto* dialog = module->optionsDialog();
    ASSERT_NE(dialog, nullptr);
    const Variant expectedWindow = host::ObjectRef{{}, {}, &dialog->automation()};
    EXPECT_EQ(fake().calls().back().args, (std::vector<Variant>{expectedWindow, int16_t{0}}));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(fake().callsOf("Tal_GotoFrameAdv")[1].args,
              (std::vector<Variant>{int32_t{1}, int16_t{3}}));
    EXPECT_EQ(fake().callsOf("Tal_GotoFrame")[0].args, std::vector<Variant>{int16_t{0}});

    // The host's folder became the current one, and the filter library was
    // bound from it by the one call of noise3.
    EXPECT_EQ(QFileInfo(QDir::currentPath()).canonicalFilePath(),
              QFileInfo(TALLOWICK_APP_DIR).canonicalFilePath());
    EXPECT_TRUE(maker::noise3.isBound());
    EXPECT_TRUE(messageBoxes.requests().empty());
}

TEST_F(CinderloomTest, StartUpGoesOnWhenTheHostFolderIsUnknownOrThereIsNoAnimation) {
    // The library is bound beforehand, as the failed directory change cannot
    // bring the test into the folder that holds it.
    ASSERT_TRUE(QDir::setCurrent(TALLOWICK_APP_DIR));
    maker::noise3.pointer();
    ASSERT_TRUE(QDir::setCurrent(QDir::tempPath()));
    fake().failCalls("Tal_GetAppDir", "no folder");
    fake().setResult("tal_GetTotalFrames", int32_t{1});

    startUp();

    EXPECT_EQ(QDir::currentPath(), QDir(QDir::tempPath()).absolutePath());
    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    EXPECT_EQ(messageBoxes.requests()[0].text, "No animation");
    EXPECT_EQ(fake().callNames().back(), "Tal_SendFormObject");
    EXPECT_TRUE(module->optionsDialog()->isVisible());
}

TEST_F(CinderloomTest, AHostThatCannotBeReachedEndsTheProgramWithItsReason) {
    platform::setProgramTitle("Cinderloom");
    std::optional<int> exitStatus;
    platform::ScopedExitHandler exitHandler([&](int status) { exitStatus = status; });
    testing::internal::CaptureStderr();

    platform::runOrEnd("Start-up", [this] {
        module->startUp([]() -> std::unique_ptr<host::AutomationObject> {
            throw host::HostUnavailableError("No host is running: nobody owns "
                                             "Tallowick.Tallowick_Class");
        });
    });

    const std::string errorOutput = testing::internal::GetCapturedStderr();
    const QString expected = "Start-up: No host is running: nobody owns Tallowick.Tallowick_Class";
    ASSERT_TRUE(exitStatus.has_value());
    EXPECT_NE(*exitStatus, 0);
    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    EXPECT_EQ(messageBoxes.requests()[0].title, "Cinderloom");
    EXPECT_EQ(messageBoxes.requests()[0].text, expected);
    EXPECT_EQ(messageBoxes.requests()[0].icon, platform::MessageBoxIcon::Critical);
    EXPECT_NE(errorOutput.find(expected.toStdString()), std::string::npos) << errorOutput;
    EXPECT_EQ(module->optionsDialog(), nullptr);
}

TEST(FatalErrorText, NamesExhaustedMemoryInWords) {
    EXPECT_EQ(platform::fatalErrorText("Command1_Click", std::bad_alloc()),
              "Command1_Click: out of memory");
}

} // namespace
} // namespace tests
