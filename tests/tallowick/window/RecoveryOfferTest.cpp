// What the window offers of the work hosts left, and what it says when the
// autosave fails: Yes reopens, No discards, Cancel (and nobody at all)
// leaves it for the next start.
#include "platform/MessageBox.h"
#include "tallowick/model/HostModel.h"
#include "tallowick/recovery/RecoveryFolders.h"
#include "tallowick/window/HostWindow.h"
#include "tests/tallowick/CallRecording.h"
#include "tests/tallowick/TinyDocument.h"

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using platform::MessageBoxAnswer;

class RecoveryOffer : public ::testing::Test {
protected:
    RecoveryOffer() {
        const QString gone = state.filePath("host-1-a");
        QDir().mkpath(gone);
        tallowick::writeRecoveryCopy(tests::tinyDocument(), QDateTime::currentDateTimeUtc(),
                                     gone + "/doc0.recovery");
        folders = tallowick::claimAbandonedFolders(state.path());
    }
    // The offer answered with `answer`: the boxes it showed.
    std::vector<platform::MessageBoxRequest> answer(MessageBoxAnswer answer) {
        std::vector<platform::MessageBoxRequest> boxes;
        const platform::ScopedMessageBoxResponder responder(
            [&](const platform::MessageBoxRequest& box) {
                boxes.push_back(box);
                return answer;
            });
        window.offerRecovery(folders, own);
        return boxes;
    }

    QTemporaryDir state;
    QTemporaryDir ownState;
    tallowick::OwnRecoveryFolder own{ownState.path()};
    std::vector<tallowick::AbandonedFolder> folders;
    tests::RecordingCaller caller;
    tallowick::HostModel model{tests::tinyDocument(), std::nullopt, {}, {}};
    tallowick::HostWindow window{model, caller};
};

TEST_F(RecoveryOffer, YesReopensTheWorkAsNewDocuments) {
    const std::vector<platform::MessageBoxRequest> boxes = answer(MessageBoxAnswer::Yes);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].buttons, platform::MessageBoxButtons::YesNoCancel);
    EXPECT_TRUE(boxes[0].text.contains("tiny: 2 frames of 3 x 2 pixels, copied "))
        << boxes[0].text.toStdString();
    ASSERT_EQ(model.documents().all().size(), 2u);
    EXPECT_EQ(tests::differenceBetween(tests::tinyDocument().renamed("tiny (recovered)"),
                                       model.documents().all()[1]),
              "");
    EXPECT_FALSE(QFileInfo::exists(state.filePath("host-1-a")));
    EXPECT_FALSE(model.progress().state().open);
}

TEST_F(RecoveryOffer, NoDiscardsItAndCancelKeepsIt) {
    answer(MessageBoxAnswer::Cancel);
    EXPECT_EQ(model.documents().all().size(), 1u);
    EXPECT_TRUE(QFileInfo::exists(state.filePath("host-1-a/doc0.recovery")));
    answer(MessageBoxAnswer::No);
    EXPECT_EQ(model.documents().all().size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(state.filePath("host-1-a")));
}

TEST_F(RecoveryOffer, WhereNobodyCanAnswerNothingIsOpenedOrRemoved) {
    testing::internal::CaptureStderr();
    window.offerRecovery(folders, own);
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("answered Cancel"), std::string::npos) << told;
    EXPECT_EQ(model.documents().all().size(), 1u);
    EXPECT_TRUE(QFileInfo::exists(state.filePath("host-1-a/doc0.recovery")));
}

TEST(AutosaveWarning, ShowsAboveTheViewWithTheWholeReason) {
    tests::RecordingCaller caller;
    tallowick::HostModel model{tests::tinyDocument(), std::nullopt, {}, {}};
    tallowick::HostWindow window{model, caller};
    window.show();
    auto* warning = window.findChild<QLabel*>("autosaveWarning");
    ASSERT_NE(warning, nullptr);
    EXPECT_FALSE(warning->isVisible());
    window.showAutosaveFailure("the autosave could not keep a copy (/state: no space left)");
    EXPECT_TRUE(warning->isVisible());
    EXPECT_EQ(warning->text(), "The autosave could not keep a copy (/state: no space left)");
}

} // namespace
