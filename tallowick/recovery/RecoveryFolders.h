#pragma once

#include "tallowick/documents/RecoveryCopy.h"

#include <QString>
#include <optional>
#include <stdexcept>
#include <vector>

namespace tallowick {

// A recovery folder that cannot be made, written or removed; the message
// names the folder and the system's reason.
class RecoveryFolderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where hosts keep their recovery folders: $XDG_STATE_HOME/tallowick/recovery,
// by default ~/.local/state/tallowick/recovery.
QString recoveryRoot();

// The file the recovery copy of document `index` has in a folder:
// "docN.recovery", N from 0.
QString recoveryCopyName(int index);

// A folder's lock file, held open with an exclusive lock (flock) for as long
// as the folder's host runs. The kernel lets go of it however the process
// ends, so a lock that can be taken means the folder's host is gone.
class FolderLock {
public:
    // The lock of the folder `folder`, taken without waiting; none when
    // another process holds it, or its file cannot be opened.
    static std::optional<FolderLock> tryTake(const QString& folder);
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

private:
    explicit FolderLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// This host's recovery folder: made in `root` when first needed, named after
// the process ("host-<pid>-<start time>") and locked while the host runs, so
// that hosts started later leave it alone.
class OwnRecoveryFolder {
public:
    explicit OwnRecoveryFolder(QString root) : root_(std::move(root)) {}

    // Makes the folder unless it is made already; its path.
    // RecoveryFolderError naming the folder and the reason.
    const QString& ensureMade();
    // Empty until the folder is made.
    const QString& path() const { return path_; }

    // Removes the folder with everything in it, as at a clean end; nothing
    // when it was never made. RecoveryFolderError when it cannot be.
    void remove();

private:
    QString root_;
    QString path_;
    std::optional<FolderLock> lock_;
};

// One recovery copy found in a folder: its file, and what its header tells
// or why it cannot be read.
struct FoundCopy {
    QString path;
    std::optional<RecoveryCopyFacts> facts;
    QString damage;
};

// The recovery folder of a host that no longer runs, locked by this host
// while it decides what to do with it.
class AbandonedFolder {
public:
    AbandonedFolder(QString path, FolderLock lock, std::vector<FoundCopy> copies)
        : path_(std::move(path)), lock_(std::move(lock)), copies_(std::move(copies)) {}

    const QString& path() const { return path_; }
    // In the order of the documents they were copies of.
    const std::vector<FoundCopy>& copies() const { return copies_; }
    int damagedCount() const;

    // Removes the folder with everything in it. RecoveryFolderError when it
    // cannot be.
    void remove();

private:
    QString path_;
    FolderLock lock_;
    std::vector<FoundCopy> copies_;
};

// Every folder in `root` whose host no longer runs, each locked and its
// copies read; folders of hosts that still run (this one's included) are
// left alone. A folder that holds no copy at all is removed on the way (its
// host ended before it wrote one). A root that does not exist holds none.
std::vector<AbandonedFolder> claimAbandonedFolders(const QString& root);

} // namespace tallowick
