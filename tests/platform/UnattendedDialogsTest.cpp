// The tests run on the offscreen platform, where no person can answer: every
// dialog must come back at once with the answer that commits to nothing, its
// text on standard error, or the test would wait for ever.
#include "platform/Attendance.h"
#include "platform/FatalError.h"
#include "platform/FileChooser.h"
#include "platform/MessageBox.h"
#include "platform/ProgramTitle.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

using namespace platform;

namespace {

bool contains(const std::string& output, const std::string& part) {
    return output.find(part) != std::string::npos;
}

} // namespace

TEST(UnattendedMessageBox, TakesTheCautiousAnswerAndWritesTheTextOnStandardError) {
    ASSERT_FALSE(personCanAnswer());
    const ScopedProgramTitle title("Marrowset");
    const struct {
        MessageBoxButtons buttons;
        std::optional<MessageBoxAnswer> defaultButton;
        MessageBoxAnswer expected;
        const char* answerName;
    } cases[] = {
        {MessageBoxButtons::Ok, std::nullopt, MessageBoxAnswer::Ok, "OK"},
        // The default button a person would confirm with Enter is not taken.
        {MessageBoxButtons::OkCancel, MessageBoxAnswer::Ok, MessageBoxAnswer::Cancel, "Cancel"},
        {MessageBoxButtons::YesNo, MessageBoxAnswer::Yes, MessageBoxAnswer::No, "No"},
        // Cancel, which keeps everything as it is, before No.
        {MessageBoxButtons::YesNoCancel, MessageBoxAnswer::Yes, MessageBoxAnswer::Cancel, "Cancel"},
        {MessageBoxButtons::RetryCancel, MessageBoxAnswer::Retry, MessageBoxAnswer::Cancel,
         "Cancel"},
    };
    for (const auto& test : cases) {
        testing::internal::CaptureStderr();
        const MessageBoxAnswer answer =
            showMessageBox("Replace the existing buffer?", test.buttons,
                           MessageBoxIcon::Information, test.defaultButton);
        const std::string output = testing::internal::GetCapturedStderr();
        EXPECT_EQ(answer, test.expected) << test.answerName;
        EXPECT_TRUE(contains(output, "Marrowset: Replace the existing buffer?")) << output;
        EXPECT_TRUE(contains(output, std::string("answered ") + test.answerName)) << output;
    }
}

TEST(UnattendedMessageBox, AClosableBoxIsAnsweredCancelAtOnceToo) {
    const ScopedProgramTitle title("Cinderloom");
    MessageBoxCloser closer;
    testing::internal::CaptureStderr();
    EXPECT_EQ(showMessageBox("Tallowick is not responding", MessageBoxButtons::RetryCancel,
                             MessageBoxIcon::Warning, MessageBoxAnswer::Retry, &closer),
              MessageBoxAnswer::Cancel);
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(closer.closed());
    EXPECT_TRUE(contains(output, "Cinderloom: Tallowick is not responding")) << output;
    EXPECT_TRUE(contains(output, "answered Cancel")) << output;
}

TEST(UnattendedMessageBox, AnInstalledResponderStillAnswersAndNothingIsWritten) {
    ScopedMessageBoxResponder responder(
        [](const MessageBoxRequest&) { return MessageBoxAnswer::Yes; });
    testing::internal::CaptureStderr();
    EXPECT_EQ(showMessageBox("Exit?", MessageBoxButtons::YesNo), MessageBoxAnswer::Yes);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(UnattendedFatalError, ReportsTheErrorAndEndsWithAFailingStatusWithoutWaiting) {
    const ScopedProgramTitle title("Cinderloom");
    std::optional<int> exitStatus;
    ScopedExitHandler exitHandler([&](int status) { exitStatus = status; });
    testing::internal::CaptureStderr();

    runOrEnd("Start-up", [] { throw std::runtime_error("No host is running"); });

    const std::string output = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(exitStatus.has_value());
    EXPECT_NE(*exitStatus, 0);
    EXPECT_TRUE(contains(output, "Cinderloom: Start-up: No host is running")) << output;
    EXPECT_TRUE(contains(output, "answered OK")) << output;
}

TEST(UnattendedFileChooser, OpensNoDialogAndChoosesNothing) {
    const ScopedProgramTitle title("tallowick");
    testing::internal::CaptureStderr();
    EXPECT_EQ(chooseFileToOpen(nullptr, "Open picture"), QString());
    EXPECT_EQ(chooseFolder(nullptr, "Save all documents into"), QString());
    EXPECT_EQ(chooseFileToSave(nullptr, "Save film as", "Time sheets (*.xdts)", "xdts"), QString());
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(contains(output, "tallowick: Open picture")) << output;
    EXPECT_TRUE(contains(output, "tallowick: Save all documents into")) << output;
    EXPECT_TRUE(contains(output, "tallowick: Save film as [")) << output;
}
