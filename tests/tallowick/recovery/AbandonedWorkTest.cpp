// The work hosts left: told in one line, listed in the question, reopened
// exact as new documents whose copies move into this host's folder.
#include "tallowick/recovery/AbandonedWork.h"

#include "tallowick/model/OpenDocuments.h"
#include "tallowick/model/UndoHistory.h"
#include "tests/tallowick/TinyDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tallowick::AbandonedFolder;

const QDateTime kSavedAt = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::LocalTime);

tallowick::Document still() {
    std::vector<tallowick::RgbaFrame> frames{tallowick::RgbaFrame(4, 1, {1, 2, 3, 4})};
    return tallowick::Document(QStringLiteral("Picture 1"), std::move(frames));
}

class AbandonedWork : public ::testing::Test {
protected:
    // A killed host's folder holding the tiny document as document 0, the
    // still as document 2 and, when asked, a damaged copy as document 5.
    std::vector<AbandonedFolder> leaveWork(bool withDamage) {
        gone = QDir(state.path()).filePath("host-1-a");
        EXPECT_TRUE(QDir().mkpath(gone));
        tallowick::writeRecoveryCopy(tests::tinyDocument(), kSavedAt, gone + "/doc0.recovery");
        tallowick::writeRecoveryCopy(still(), kSavedAt, gone + "/doc2.recovery");
        if (withDamage) {
            QFile file(gone + "/doc5.recovery");
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("short");
        }
        return tallowick::claimAbandonedFolders(state.path());
    }
    std::vector<QString> reopen(std::vector<AbandonedFolder>& folders) {
        return tallowick::reopenAbandonedWork(folders, documents, budget, own);
    }

    QTemporaryDir state;
    QString gone;
    tallowick::MemoryBudget budget{UINT64_MAX};
    tallowick::UndoHistory history{budget};
    tallowick::OpenDocuments documents{tests::tinyDocument(), budget, history};
    QTemporaryDir ownState;
    tallowick::OwnRecoveryFolder own{ownState.path()};
};

TEST_F(AbandonedWork, IsToldInOneLineAndListedInTheQuestion) {
    std::vector<AbandonedFolder> folders = leaveWork(true);
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(tallowick::keptWorkLine(folders[0]).toStdString(),
              "recovery copies of 3 documents, 1 of them damaged, from a host that did not end "
              "cleanly are kept in " +
                  gone.toStdString() + "; start tallowick with a window to reopen them");
    EXPECT_EQ(tallowick::recoveryQuestion(folders).toStdString(),
              "Tallowick did not end cleanly last time, and kept recovery copies of its work:\n"
              "\n"
              "    tiny: 2 frames of 3 x 2 pixels, copied 2024-03-05 14:07:09\n"
              "    Picture 1: 1 frame of 4 x 1 pixels, copied 2024-03-05 14:07:09\n"
              "    damaged, cannot be reopened: " +
                  gone.toStdString() +
                  "/doc5.recovery: not a recovery copy: it holds 5 bytes, fewer than any recovery "
                  "copy's header\n"
                  "\n"
                  "Reopen them as new documents? Yes reopens them, No discards them, Cancel "
                  "keeps them for the next start.");
}

TEST_F(AbandonedWork, ReopensExactNewDocumentsWhoseCopiesMoveIntoThisHostsFolder) {
    std::vector<AbandonedFolder> folders = leaveWork(false);
    EXPECT_TRUE(reopen(folders).empty());
    ASSERT_EQ(documents.all().size(), 3u);
    EXPECT_EQ(tests::differenceBetween(tests::tinyDocument().renamed("tiny (recovered)"),
                                       documents.all()[1]),
              "");
    EXPECT_EQ(
        tests::differenceBetween(still().renamed("Picture 1 (recovered)"), documents.all()[2]), "");
    // As read, they need no new copy: the old ones are theirs now.
    EXPECT_EQ(documents.revisionOf(1), 0u);
    EXPECT_EQ(tallowick::readRecoveryFacts(own.path() + "/doc1.recovery").documentName, "tiny");
    EXPECT_EQ(tallowick::readRecoveryFacts(own.path() + "/doc2.recovery").documentName,
              "Picture 1");
    EXPECT_FALSE(QFileInfo::exists(gone));
}

TEST_F(AbandonedWork, ADamagedCopyIsToldAndKeptWhileTheRestIsReopened) {
    std::vector<AbandonedFolder> folders = leaveWork(true);
    const std::vector<QString> problems = reopen(folders);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(problems[0].startsWith(gone + "/doc5.recovery: not a recovery copy"));
    EXPECT_EQ(documents.all().size(), 3u);
    EXPECT_EQ(QDir(gone).entryList({"*.recovery"}, QDir::Files), QStringList{"doc5.recovery"});
}

TEST_F(AbandonedWork, DiscardedWorkIsRemoved) {
    std::vector<AbandonedFolder> folders = leaveWork(true);
    EXPECT_TRUE(tallowick::discardAbandonedWork(folders).empty());
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_EQ(documents.all().size(), 1u);
}

} // namespace
