#include "tallowick/recovery/RecoveryFolders.h"

#include "platform/SystemError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace tallowick {

namespace {

const QString kLockFile = QStringLiteral("lock");

[[noreturn]] void refuse(const QString& folder, const QString& what, const QString& reason) {
    throw RecoveryFolderError(QStringLiteral("%1: %2: %3").arg(folder, what, reason).toStdString());
}

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

std::filesystem::path fileSystemPath(const QString& path) {
    return std::filesystem::path(encoded(path).toStdString());
}

void removeFolder(const QString& path) {
    std::error_code error;
    std::filesystem::remove_all(fileSystemPath(path), error);
    if (error)
        refuse(path, QStringLiteral("the recovery folder cannot be removed"),
               QString::fromLocal8Bit(error.message()));
}

// The folder is made under a name no host looks at, locked, and only then
// given its name, so that no host can find it unlocked.
QString makeLockedFolder(const QString& root, std::optional<FolderLock>& lock) {
    std::error_code error;
    std::filesystem::create_directories(fileSystemPath(root), error);
    if (error)
        refuse(root, QStringLiteral("the folder of the recovery folders cannot be made"),
               QString::fromLocal8Bit(error.message()));
    QByteArray pattern = encoded(root + QStringLiteral("/.new-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        refuse(root, QStringLiteral("no recovery folder can be made in it"),
               platform::lastSystemError());
    const QString made = QFile::decodeName(pattern);
    lock = FolderLock::tryTake(made);
    if (!lock) {
        const QString reason = platform::lastSystemError();
        QDir(made).removeRecursively();
        refuse(made, QStringLiteral("the recovery folder cannot be locked"), reason);
    }
    const QString name =
        QStringLiteral("host-%1-%2")
            .arg(QCoreApplication::applicationPid())
            .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmsszzz")));
    const QString path = QDir(root).filePath(name);
    if (::rename(pattern.constData(), encoded(path).constData()) != 0) {
        const QString reason = platform::lastSystemError();
        QDir(made).removeRecursively();
        refuse(path, QStringLiteral("the recovery folder cannot be given its name"), reason);
    }
    return path;
}

std::optional<int> copyIndexOf(const QString& fileName) {
    static const QRegularExpression pattern(QStringLiteral("^doc(\\d{1,9})\\.recovery$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

std::vector<FoundCopy> copiesIn(const QString& folder) {
    std::vector<std::pair<int, QString>> indexed;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        if (const std::optional<int> index = copyIndexOf(name))
            indexed.emplace_back(*index, name);
    std::sort(indexed.begin(), indexed.end());
    std::vector<FoundCopy> copies;
    for (const auto& [index, name] : indexed) {
        FoundCopy copy{QDir(folder).filePath(name), std::nullopt, {}};
        try {
            copy.facts = readRecoveryFacts(copy.path);
        } catch (const RecoveryCopyError& error) {
            copy.damage = QString::fromStdString(error.what());
        }
        copies.push_back(std::move(copy));
    }
    return copies;
}

} // namespace

QString recoveryRoot() {
    // Relative values are to be ignored, as the base directory rules say.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/tallowick/recovery");
}

QString recoveryCopyName(int index) {
    return QStringLiteral("doc%1.recovery").arg(index);
}

std::optional<FolderLock> FolderLock::tryTake(const QString& folder) {
    const QByteArray path = encoded(QDir(folder).filePath(kLockFile));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return std::nullopt;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    return FolderLock(fd);
}

FolderLock::FolderLock(FolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FolderLock::~FolderLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

const QString& OwnRecoveryFolder::ensureMade() {
    if (path_.isEmpty())
        path_ = makeLockedFolder(root_, lock_);
    return path_;
}

void OwnRecoveryFolder::remove() {
    if (path_.isEmpty())
        return;
    // Removed while still locked, so that no host starting now takes it
    // for an abandoned one.
    removeFolder(path_);
    lock_.reset();
    path_.clear();
}

int AbandonedFolder::damagedCount() const {
    return static_cast<int>(std::count_if(copies_.begin(), copies_.end(),
                                          [](const FoundCopy& copy) { return !copy.facts; }));
}

void AbandonedFolder::remove() {
    removeFolder(path_);
}

std::vector<AbandonedFolder> claimAbandonedFolders(const QString& root) {
    std::vector<AbandonedFolder> folders;
    const QDir dir(root);
    // Names starting with a dot are folders still being made.
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString path = dir.filePath(name);
        std::optional<FolderLock> lock = FolderLock::tryTake(path);
        if (!lock)
            continue;
        std::vector<FoundCopy> copies = copiesIn(path);
        if (copies.empty()) {
            QDir(path).removeRecursively();
            continue;
        }
        folders.emplace_back(path, std::move(*lock), std::move(copies));
    }
    return folders;
}

} // namespace tallowick
