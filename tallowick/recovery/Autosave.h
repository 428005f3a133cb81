#pragma once

#include "tallowick/model/DocumentSnapshot.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace tallowick {

class OpenDocuments;
class OwnRecoveryFolder;

// What one autosave did: the documents it copied, at which revision, and
// what it could not copy, each naming the document, the file and why.
struct AutosaveOutcome {
    struct Written {
        int index = 0;
        uint64_t revision = 0;
    };
    std::vector<Written> written;
    std::vector<QString> failures;
};

// Writes the recovery copies of the given snapshot into `folder`, one file
// per document (recoveryCopyName), each written aside and renamed into
// place. Runs on any thread: it only reads the snapshot.
AutosaveOutcome writeRecoveryCopies(const DocumentSnapshot& snapshot, const QString& folder,
                                    const QDateTime& savedAt);

// Keeps recovery copies of the documents that changed, every `interval`, in
// this host's recovery folder (made at the first copy). The thread of the
// documents only takes a snapshot of them (DocumentSnapshot: a few
// allocations, whatever their size); a thread of its own writes the copies,
// so that neither the window nor the bus service waits for the disk. A
// document copied at its current revision is not written again; one added
// as it was read (revision 0) counts as copied.
//
// A failure (the folder cannot be made or written, the memory budget cannot
// take a snapshot) is told once through `failed`, and again only after an
// autosave has succeeded since; the host goes on, and the next autosave
// tries again.
class Autosave : public QObject {
    Q_OBJECT

public:
    // `documents` and `folder` must outlive the autosave. The timer starts
    // at once.
    Autosave(OpenDocuments& documents, OwnRecoveryFolder& folder, std::chrono::seconds interval,
             QObject* parent = nullptr);
    // Waits for a write in progress.
    ~Autosave() override;
    Autosave(const Autosave&) = delete;
    Autosave& operator=(const Autosave&) = delete;

    // Starts an autosave now, or, while one is writing, right after it.
    void saveNow();
    // Stops the timer and waits for a write in progress to end, as before
    // the folder is removed at a clean end.
    void stop();
    bool writing() const { return writer_.joinable(); }

signals:
    void failed(const QString& text);
    // An autosave ended, whatever it managed; for those who wait for one.
    void finished();

private:
    void startWriting(DocumentSnapshot snapshot, std::vector<QString> leftOut);
    void endWriting(AutosaveOutcome outcome);
    void tell(const std::vector<QString>& failures);

    OpenDocuments& documents_;
    OwnRecoveryFolder& folder_;
    QTimer timer_;
    // The revision each document was last copied at, by index.
    std::vector<uint64_t> copied_;
    std::unique_ptr<DocumentSnapshot> snapshot_;
    std::vector<QString> leftOut_;
    std::thread writer_;
    bool anotherWanted_ = false;
    bool failureTold_ = false;
};

} // namespace tallowick
