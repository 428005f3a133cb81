// Recovery folders: one per running host, locked while it runs; those of
// hosts gone are found with their copies, those of hosts still running are
// never touched.
#include "tallowick/recovery/RecoveryFolders.h"

#include "tests/tallowick/ErrorText.h"
#include "tests/tallowick/TinyDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tallowick::AbandonedFolder;
using tallowick::OwnRecoveryFolder;

const QDateTime kSavedAt = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000, Qt::UTC);

// A folder as a host that was killed leaves it: copies, an unlocked lock
// file, and the file it was writing when it died.
QString leaveFolder(const QString& root, const QString& name, const std::vector<int>& indices) {
    const QString folder = QDir(root).filePath(name);
    EXPECT_TRUE(QDir().mkpath(folder));
    for (const int index : indices)
        tallowick::writeRecoveryCopy(tests::tinyDocument(), kSavedAt,
                                     QDir(folder).filePath(tallowick::recoveryCopyName(index)));
    QFile(QDir(folder).filePath("lock")).open(QIODevice::WriteOnly);
    QFile(QDir(folder).filePath("doc7.recovery.part")).open(QIODevice::WriteOnly);
    return folder;
}

TEST(RecoveryRoot, FollowsTheStateFolderOfTheBaseDirectoryRules) {
    const QByteArray before = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/somewhere/state");
    EXPECT_EQ(tallowick::recoveryRoot(), "/somewhere/state/tallowick/recovery");
    qputenv("XDG_STATE_HOME", "relative/state");
    EXPECT_EQ(tallowick::recoveryRoot(), QDir::homePath() + "/.local/state/tallowick/recovery");
    qunsetenv("XDG_STATE_HOME");
    EXPECT_EQ(tallowick::recoveryRoot(), QDir::homePath() + "/.local/state/tallowick/recovery");
    qputenv("XDG_STATE_HOME", before);
}

TEST(OwnRecoveryFolder, IsMadeWhenFirstNeededNamedAfterTheProcessAndGoneAtTheEnd) {
    QTemporaryDir state;
    const QString root = state.filePath("tallowick/recovery");
    OwnRecoveryFolder own(root);
    EXPECT_EQ(own.path(), "");
    EXPECT_FALSE(QDir(root).exists());

    const QString path = own.ensureMade();
    EXPECT_EQ(own.ensureMade(), path);
    EXPECT_EQ(QFileInfo(path).dir().path(), root);
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith(
        QStringLiteral("host-%1-").arg(QCoreApplication::applicationPid())));
    EXPECT_EQ(QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QFileInfo(path).fileName()});

    own.remove();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(own.path(), "");
}

TEST(OwnRecoveryFolder, ThatCannotBeMadeIsRefusedNamingWhere) {
    QTemporaryDir state;
    QFile(state.filePath("tallowick")).open(QIODevice::WriteOnly); // a file in the way
    OwnRecoveryFolder own(state.filePath("tallowick/recovery"));
    const std::string error =
        tests::errorText<tallowick::RecoveryFolderError>([&] { own.ensureMade(); });
    EXPECT_EQ(error.rfind(state.filePath("tallowick/recovery").toStdString() +
                              ": the folder of the recovery folders cannot be made: ",
                          0),
              0u)
        << error;
}

TEST(AbandonedFolders, AreFoundWithTheirCopiesWhileRunningHostsAreLeftAlone) {
    QTemporaryDir state;
    const QString root = state.path();
    OwnRecoveryFolder own(root);
    tallowick::writeRecoveryCopy(tests::tinyDocument(), kSavedAt,
                                 QDir(own.ensureMade()).filePath("doc0.recovery"));
    const QString gone = leaveFolder(root, "host-1-a", {10, 2});
    QFile damaged(QDir(gone).filePath("doc3.recovery"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a copy");
    damaged.close();
    const QString empty = leaveFolder(root, "host-2-b", {});
    leaveFolder(root, ".new-abc", {0}); // still being made

    std::vector<AbandonedFolder> found = tallowick::claimAbandonedFolders(root);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path(), gone);
    const std::vector<tallowick::FoundCopy>& copies = found[0].copies();
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies[0].path, QDir(gone).filePath("doc2.recovery"));
    EXPECT_EQ(copies[1].path, QDir(gone).filePath("doc3.recovery"));
    EXPECT_EQ(copies[2].path, QDir(gone).filePath("doc10.recovery"));
    ASSERT_TRUE(copies[0].facts);
    EXPECT_EQ(copies[0].facts->documentName, "tiny");
    EXPECT_FALSE(copies[1].facts);
    EXPECT_EQ(copies[1].damage.toStdString(), copies[1].path.toStdString() +
                                                  ": not a recovery copy: it holds 10 bytes, fewer "
                                                  "than any recovery copy's header");
    EXPECT_EQ(found[0].damagedCount(), 1);
    // A folder with nothing to recover is cleared away; the own one stands.
    EXPECT_FALSE(QFileInfo::exists(empty));
    EXPECT_TRUE(QFileInfo::exists(QDir(own.path()).filePath("doc0.recovery")));

    // While one host holds a folder, another does not find it.
    EXPECT_TRUE(tallowick::claimAbandonedFolders(root).empty());
    found[0].remove();
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_TRUE(tallowick::claimAbandonedFolders(state.filePath("nowhere")).empty());
}

} // namespace
