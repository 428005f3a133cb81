#include "tallowick/recovery/Autosave.h"

#include "tallowick/documents/RecoveryCopy.h"
#include "tallowick/model/OpenDocuments.h"
#include "tallowick/recovery/RecoveryFolders.h"

#include <QDir>
#include <QMetaObject>
#include <QStringList>
#include <utility>

namespace tallowick {

AutosaveOutcome writeRecoveryCopies(const DocumentSnapshot& snapshot, const QString& folder,
                                    const QDateTime& savedAt) {
    AutosaveOutcome outcome;
    for (const DocumentSnapshot::Copy& copy : snapshot.copies()) {
        try {
            writeRecoveryCopy(copy.document, savedAt,
                              QDir(folder).filePath(recoveryCopyName(copy.index)));
            outcome.written.push_back({copy.index, copy.revision});
        } catch (const RecoveryCopyError& error) {
            outcome.failures.push_back(
                QStringLiteral("document %1 (\"%2\"): %3")
                    .arg(copy.index)
                    .arg(copy.document.name(), QString::fromStdString(error.what())));
        }
    }
    return outcome;
}

Autosave::Autosave(OpenDocuments& documents, OwnRecoveryFolder& folder,
                   std::chrono::seconds interval, QObject* parent)
    : QObject(parent), documents_(documents), folder_(folder) {
    timer_.setInterval(interval);
    connect(&timer_, &QTimer::timeout, this, &Autosave::saveNow);
    timer_.start();
}

Autosave::~Autosave() {
    stop();
}

void Autosave::stop() {
    timer_.stop();
    anotherWanted_ = false;
    if (writer_.joinable())
        writer_.join();
    // What the write would have reported back is left unsaid: the host is
    // ending, and the copies it kept stay where they are.
    snapshot_.reset();
}

void Autosave::saveNow() {
    if (writing()) {
        anotherWanted_ = true;
        return;
    }
    ChangedDocuments changed = documents_.snapshotChanged(copied_);
    if (changed.snapshot.empty()) {
        tell(changed.leftOut);
        return;
    }
    try {
        folder_.ensureMade();
    } catch (const RecoveryFolderError& error) {
        tell({QString::fromStdString(error.what())});
        return;
    }
    startWriting(std::move(changed.snapshot), std::move(changed.leftOut));
}

void Autosave::startWriting(DocumentSnapshot snapshot, std::vector<QString> leftOut) {
    snapshot_ = std::make_unique<DocumentSnapshot>(std::move(snapshot));
    leftOut_ = std::move(leftOut);
    writer_ = std::thread([this, snapshot = snapshot_.get(), folder = folder_.path(),
                           savedAt = QDateTime::currentDateTimeUtc()] {
        AutosaveOutcome outcome = writeRecoveryCopies(*snapshot, folder, savedAt);
        // Back on this object's thread, which owns the snapshot's charge;
        // dropped unsent when the object is gone.
        QMetaObject::invokeMethod(
            this,
            [this, outcome = std::move(outcome)]() mutable { endWriting(std::move(outcome)); },
            Qt::QueuedConnection);
    });
}

void Autosave::endWriting(AutosaveOutcome outcome) {
    if (!writer_.joinable())
        return;
    writer_.join();
    snapshot_.reset();
    if (copied_.size() < documents_.all().size())
        copied_.resize(documents_.all().size(), 0);
    for (const AutosaveOutcome::Written& written : outcome.written)
        copied_[static_cast<std::size_t>(written.index)] = written.revision;
    std::vector<QString> failures = std::move(leftOut_);
    failures.insert(failures.end(), outcome.failures.begin(), outcome.failures.end());
    tell(failures);
    emit finished();
    if (std::exchange(anotherWanted_, false))
        saveNow();
}

void Autosave::tell(const std::vector<QString>& failures) {
    if (failures.empty()) {
        failureTold_ = false;
        return;
    }
    if (std::exchange(failureTold_, true))
        return;
    QStringList parts(failures.begin(), failures.end());
    emit failed(QStringLiteral("the autosave could not keep a recovery copy of every document "
                               "(%1); the host goes on without one, and tries again at the next "
                               "autosave")
                    .arg(parts.join(QStringLiteral("; "))));
}

} // namespace tallowick
