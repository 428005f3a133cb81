// What a plug-in asks its user when the host does not answer a call: the
// box, its answers, and the box closing by itself when the answer comes.
#include "plugin/startup/UnansweredHost.h"

#include "platform/MessageBox.h"
#include "platform/ProgramTitle.h"
#include "tests/support/MessageBoxRecorder.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using namespace std::chrono_literals;
using platform::MessageBoxAnswer;

TEST(UnansweredHost, AsksWhetherToWaitOnWithTheProgramsTitle) {
    const platform::ScopedProgramTitle title("Cinderloom");
    tests::MessageBoxRecorder boxes;
    boxes.answerNext(MessageBoxAnswer::Retry);
    boxes.answerNext(MessageBoxAnswer::Cancel);
    host::UnansweredCall call(QStringLiteral("tal_GetRbuffer"), QStringLiteral("the host"));
    call.setWaited(5003ms);

    EXPECT_TRUE(plugin::askWhetherToWaitForHost(call));
    EXPECT_FALSE(plugin::askWhetherToWaitForHost(call));
    ASSERT_EQ(boxes.requests().size(), 2u);
    const platform::MessageBoxRequest& request = boxes.requests().front();
    EXPECT_EQ(request.title, "Cinderloom");
    EXPECT_EQ(request.text, "Tallowick is not responding: it has not answered tal_GetRbuffer "
                            "for 5 seconds.\n\nRetry to wait for it, or Cancel to give up on it.");
    EXPECT_EQ(request.buttons, platform::MessageBoxButtons::RetryCancel);
    EXPECT_EQ(request.icon, platform::MessageBoxIcon::Warning);
    EXPECT_EQ(request.defaultButton, MessageBoxAnswer::Retry);
    EXPECT_NE(request.closer, nullptr);
}

TEST(UnansweredHost, TheBoxClosesByItselfWhenTheAnswerComesAndTheCallGoesOn) {
    host::UnansweredCall call(QStringLiteral("tal_GetRbuffer"), QStringLiteral("the host"));
    call.setWaited(5000ms);
    bool closedByItself = false;
    {
        // The person has not answered yet when the host does.
        platform::ScopedMessageBoxResponder slowPerson(
            [&](const platform::MessageBoxRequest& request) {
                call.markAnswered();
                closedByItself = request.closer && request.closer->closed();
                return MessageBoxAnswer::Cancel;
            });
        EXPECT_TRUE(plugin::askWhetherToWaitForHost(call));
    }
    EXPECT_TRUE(closedByItself);

    // Answered before the question, nothing is asked.
    tests::MessageBoxRecorder boxes;
    EXPECT_TRUE(plugin::askWhetherToWaitForHost(call));
    EXPECT_TRUE(boxes.requests().empty());
}

TEST(UnansweredHost, WhereNobodyCanAnswerTheBoxIsAnsweredCancelAtOnce) {
    const platform::ScopedProgramTitle title("Marrowset");
    host::UnansweredCall call(QStringLiteral("Tal_BufferWidth"), QStringLiteral("the host"));
    call.setWaited(5000ms);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(plugin::askWhetherToWaitForHost(call));
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_NE(output.find("Marrowset: Tallowick is not responding: it has not answered "
                          "Tal_BufferWidth for 5 seconds."),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("answered Cancel]"), std::string::npos) << output;
}

} // namespace
