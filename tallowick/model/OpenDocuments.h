#pragma once

#include "automation/ByteArray.h"
#include "tallowick/documents/Document.h"
#include "tallowick/documents/RgbaFrame.h"
#include "tallowick/model/DocumentSnapshot.h"
#include "tallowick/model/FramePosition.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

namespace tallowick {

class MemoryBudget;
class UndoHistory;

// The documents open in the host, in the order they were opened or created,
// and the host window's current document and frame. Documents are charged to
// the memory budget; where one needs the room, the oldest undo snapshots are
// dropped for it. Documents are never closed or resized.
//
// The operations that take a position work on a program's own current
// document and frame, and move the host window there when they change it or
// its image; those without one work on the host window's.
class OpenDocuments : public QObject {
    Q_OBJECT

public:
    // Charges `first` to `budget`: MemoryBudgetError when it does not fit.
    // `budget` and `history` must outlive the documents.
    OpenDocuments(Document first, MemoryBudget& budget, UndoHistory& history,
                  QObject* parent = nullptr);

    const std::vector<Document>& all() const { return documents_; }

    // How often the document at `index` (which the caller keeps within the
    // open documents) has changed since it was opened: 0 for one as it was
    // read, and a document created here counts its creation. Whoever keeps
    // copies compares it with the figure of its last copy.
    uint64_t revisionOf(int index) const { return revisions_[static_cast<std::size_t>(index)]; }
    // A snapshot of every document whose revision differs from the one in
    // `revisionsCopied` (a document past its end counts as copied at 0),
    // each charged to the budget in order; those it cannot take are left
    // out, and named with the reason.
    ChangedDocuments snapshotChanged(const std::vector<uint64_t>& revisionsCopied);

    // The host window's current document and frame. They follow the latest
    // change anyone made (a goto, a write, a creation, an undo), so that the
    // window shows what was changed last.
    int currentDocumentIndex() const { return currentDocument_; }
    int currentFrameIndex() const { return currentFrame_; }
    FramePosition currentPosition() const { return {currentDocument_, currentFrame_}; }
    const Document& currentDocument() const;
    const RgbaFrame& currentFrame() const;

    // The document and frame at a program's own position. ModelError for a
    // position outside the open documents.
    const Document& documentAt(const FramePosition& position) const;
    const RgbaFrame& frameAt(const FramePosition& position) const;

    // Appends `document` and makes it current at frame 0; returns its index.
    // MemoryBudgetError, with nothing changed, when it does not fit the budget.
    int add(Document document);
    // ModelError for an index outside the open documents.
    void select(int index);

    // ModelError for a frame outside the position's document.
    void gotoFrame(FramePosition& position, int64_t index);
    void gotoFrame(int64_t index);
    // A new document of `frameCount` white, opaque frames of the position's
    // document's size, or a one-frame one of `width` x `height`; it becomes
    // current at frame 0. ModelError for a count or size below 1,
    // MemoryBudgetError for one beyond what the budget has left.
    void createAnimation(FramePosition& position, int32_t frameCount);
    void createStill(FramePosition& position, int32_t width, int32_t height);
    void createStill(int32_t width, int32_t height);

    // FrameError, with nothing changed, for a plane that does not cover the
    // position's frame.
    void replacePlane(const FramePosition& position, Channel channel, const host::ByteArray& plane);
    // Puts `frame` back at `position`, which it was taken from (an undo), and
    // makes it the host window's current frame.
    void restoreFrame(const FramePosition& position, RgbaFrame frame);

signals:
    // The list of documents, the current document or its frame count changed.
    void documentsChanged();
    // What the view of the current frame shows may have changed.
    void imageChanged();

private:
    // ModelError for an index outside the open documents.
    const Document& documentAt(int index) const;
    RgbaFrame& frameForWriting(const FramePosition& position);
    void makeCurrent(const FramePosition& position);
    // Counts a change written at `position` and makes it current.
    void madeChange(const FramePosition& position);
    // Charges `bytes` for a new document named by `request`, dropping undo
    // snapshots for the room where needed.
    void charge(uint64_t bytes, const QString& request);
    // Appends a document already charged to the budget, at `revision`, and
    // makes it current.
    int append(Document document, uint64_t revision);
    // A new document of `frameCount` white frames, charged to the budget and
    // made current; returns its index.
    int createWhite(const QString& name, int32_t frameCount, int32_t width, int32_t height);

    MemoryBudget& budget_;
    UndoHistory& history_;
    std::vector<Document> documents_;
    std::vector<uint64_t> revisions_;
    int currentDocument_ = 0;
    int currentFrame_ = 0;
};

} // namespace tallowick
