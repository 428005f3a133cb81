// The autosave: copies of the changed documents only, exact, their room in
// the budget given back once written, and a failure told once.
#include "tallowick/recovery/Autosave.h"

#include "tallowick/documents/RecoveryCopy.h"
#include "tallowick/model/OpenDocuments.h"
#include "tallowick/model/UndoHistory.h"
#include "tallowick/recovery/RecoveryFolders.h"
#include "tests/tallowick/TinyDocument.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tallowick::Channel;

class Autosaving : public ::testing::Test {
protected:
    // Runs one autosave and waits for it to end.
    void saveAndWait() {
        QSignalSpy finished(&autosave, &tallowick::Autosave::finished);
        autosave.saveNow();
        ASSERT_TRUE(finished.wait(30000));
    }
    QString copyOf(int index) const {
        return QDir(folder.path()).filePath(tallowick::recoveryCopyName(index));
    }
    tallowick::Document reread(int index) const {
        return tallowick::loadRecoveryCopy(copyOf(index), tallowick::MemoryBudget(UINT64_MAX));
    }

    QTemporaryDir state;
    tallowick::MemoryBudget budget{UINT64_MAX};
    tallowick::UndoHistory history{budget};
    tallowick::OpenDocuments documents{tests::tinyDocument(), budget, history};
    tallowick::OwnRecoveryFolder folder{state.filePath("recovery")};
    tallowick::Autosave autosave{documents, folder, std::chrono::hours(1)};
    QSignalSpy failures{&autosave, &tallowick::Autosave::failed};
};

TEST_F(Autosaving, CopiesTheChangedDocumentsExactlyAndOnlyOnce) {
    // Nothing changed: no folder is even made.
    autosave.saveNow();
    EXPECT_FALSE(autosave.writing());
    EXPECT_EQ(folder.path(), "");

    documents.createStill(2, 2);
    documents.replacePlane({0, 1}, Channel::Alpha, tests::patternPlane(3, 2, 4));
    const uint64_t inUse = budget.inUse();
    saveAndWait();
    EXPECT_EQ(budget.inUse(), inUse);
    EXPECT_EQ(tests::differenceBetween(documents.all()[0], reread(0)), "");
    EXPECT_EQ(tests::differenceBetween(documents.all()[1], reread(1)), "");

    // Copied at their revisions, they are not written again until changed.
    QFile::remove(copyOf(1));
    autosave.saveNow();
    EXPECT_FALSE(autosave.writing());
    documents.replacePlane({0, 0}, Channel::Red, tests::patternPlane(3, 2, 8));
    saveAndWait();
    EXPECT_EQ(tests::differenceBetween(documents.all()[0], reread(0)), "");
    EXPECT_FALSE(QFileInfo::exists(copyOf(1)));
    EXPECT_EQ(failures.count(), 0);
}

TEST_F(Autosaving, AFolderThatCannotBeWrittenIsToldOnceUntilAnAutosaveSucceeds) {
    QFile blocker(state.filePath("recovery"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder goes
    blocker.close();
    documents.replacePlane({0, 0}, Channel::Red, tests::patternPlane(3, 2, 8));
    autosave.saveNow();
    autosave.saveNow();
    ASSERT_EQ(failures.count(), 1);
    const QString told = failures.at(0).at(0).toString();
    EXPECT_TRUE(told.startsWith("the autosave could not keep a recovery copy of every document (" +
                                state.filePath("recovery") + ": "))
        << told.toStdString();
    EXPECT_TRUE(told.endsWith("; the host goes on without one, and tries again at the next "
                              "autosave"))
        << told.toStdString();

    ASSERT_TRUE(QFile::remove(state.filePath("recovery")));
    saveAndWait();
    EXPECT_EQ(tests::differenceBetween(documents.all()[0], reread(0)), "");
    EXPECT_EQ(failures.count(), 1);

    // A failure after a success is news again.
    ASSERT_TRUE(QDir(folder.path()).mkdir("doc0.recovery.part"));
    documents.replacePlane({0, 0}, Channel::Red, tests::patternPlane(3, 2, 9));
    saveAndWait();
    EXPECT_EQ(failures.count(), 2);
    EXPECT_TRUE(failures.at(1).at(0).toString().contains("document 0 (\"tiny\"): "));
}

} // namespace
