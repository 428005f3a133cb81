#pragma once

#include "automation/ByteArray.h"
#include "automation/Variant.h"
#include "tallowick/documents/Document.h"
#include "tallowick/documents/MemoryBudget.h"
#include "tallowick/documents/RgbaFrame.h"
#include "tallowick/model/FramePosition.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <deque>
#include <optional>
#include <stdexcept>
#include <vector>

namespace tallowick {

// A request the model refuses: an index out of range, a size it cannot hold.
class ModelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct ProgressState {
    bool open = false;
    QString caption;
    double percent = 0.0;
    bool operator==(const ProgressState&) const = default;
};

// Everything the stand-in host holds: the open documents with the host
// window's current document and frame, the custom brush, the painting
// colours, the undo history, the marquee, the alpha switch, the progress
// display and the windows plug-ins handed over. Documents and undo snapshots
// are charged to one memory budget. It knows nothing of how calls reach it,
// nor of who makes them: a program's own current document and frame come with
// each call that needs them.
class HostModel : public QObject {
    Q_OBJECT

public:
    // The oldest snapshots are dropped beyond this many, so that a plug-in
    // that snapshots every step cannot exhaust memory.
    static constexpr std::size_t kUndoLimit = 16;

    // Charges `first` to `budget`: MemoryBudgetError when it does not fit.
    HostModel(Document first, std::optional<RgbaFrame> brush, QString appDir,
              QString wallpaperFileName, MemoryBudget budget, QObject* parent = nullptr);
    // With a budget of MemoryBudget::ofPhysicalMemory().
    HostModel(Document first, std::optional<RgbaFrame> brush, QString appDir,
              QString wallpaperFileName, QObject* parent = nullptr);

    // Documents, in the order they were opened or created.
    const std::vector<Document>& documents() const { return documents_; }

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
    int addDocument(Document document);
    // ModelError for an index outside the open documents.
    void selectDocument(int index);

    // The operations below work on `position`, a program's own current
    // document and frame, and move the host window there when they change
    // it or its image; those without one work on the host window's.

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

    const std::optional<RgbaFrame>& brush() const { return brush_; }
    void setBrush(std::optional<RgbaFrame> brush);

    Rgb primaryColour() const { return primary_; }
    Rgb secondaryColour() const { return secondary_; }
    void setPrimaryColour(Rgb colour);
    void setSecondaryColour(Rgb colour);

    // Snapshots the position's frame's four planes; undo() puts the latest
    // snapshot back into the document and frame it came from, makes that
    // frame the host window's current one and returns true, or returns false
    // when there is none. Beyond kUndoLimit snapshots, or where the budget has
    // no room for the new one, the oldest are dropped first. A snapshot that
    // would not fit even with every older one dropped is refused with a
    // MemoryBudgetError and the history is left as it was: the caller learns,
    // before it changes anything, that the change could not be undone.
    // Snapshots are the droppable part of the budget: new documents drop the
    // oldest too where they need the room.
    void saveUndo(const FramePosition& position);
    bool undo();
    std::size_t undoDepth() const { return undo_.size(); }

    // The marquee is re-derived as the pixels of the position's frame whose
    // alpha is above 0.
    void initMarquee(const FramePosition& position);
    int64_t marqueePixelCount() const { return marqueePixels_; }
    void switchAlphaOn();
    bool alphaOn() const { return alphaOn_; }
    void requestRefresh();

    const ProgressState& progress() const { return progress_; }
    // Opens the display, or gives an open one a new caption.
    void openProgress(const QString& caption);
    // ModelError for a value that is not a number from 0 to 100.
    void setProgressPercent(double percent);
    void closeProgress();

    // A window handed over by a plug-in; the same window is held once.
    void holdWindow(const host::ObjectRef& window);
    // Forgets the windows owned by `busName`, a program that has left the bus.
    void releaseWindowsOf(const QString& busName);
    const std::vector<host::ObjectRef>& heldWindows() const { return windows_; }

    // What documents and undo snapshots hold of the host's memory budget.
    const MemoryBudget& memoryBudget() const { return budget_; }

    const QString& appDir() const { return appDir_; }
    const QString& wallpaperFileName() const { return wallpaperFileName_; }

signals:
    // The list of documents, the current document or its frame count changed.
    void documentsChanged();
    // What the view of the current frame shows may have changed.
    void imageChanged();
    void brushChanged();
    void coloursChanged();
    void progressChanged();

private:
    struct Snapshot {
        int document = 0;
        int frame = 0;
        RgbaFrame planes;
    };

    RgbaFrame& frameForWriting(const FramePosition& position);
    void makeCurrent(int document, int frame);
    void makeCurrent(const FramePosition& position);
    // Appends a document already charged to the budget and makes it current.
    int appendDocument(Document document);
    // A new document of `frameCount` white frames, charged to the budget and
    // made current; returns its index.
    int createWhiteDocument(const QString& name, int32_t frameCount, int32_t width, int32_t height);
    // Drops the oldest undo snapshots until at most `snapshotsKept` remain
    // and `bytes` more fit the budget beside what is in use. MemoryBudgetError
    // naming `request`, with nothing dropped, when `bytes` would not fit even
    // with every snapshot gone. Returns the last snapshot dropped, whose
    // storage the caller may reuse.
    std::optional<Snapshot> makeRoom(uint64_t bytes, const QString& request,
                                     std::size_t snapshotsKept);

    MemoryBudget budget_;
    std::vector<Document> documents_;
    int currentDocument_ = 0;
    int currentFrame_ = 0;
    std::optional<RgbaFrame> brush_;
    Rgb primary_{0, 0, 0};
    Rgb secondary_{255, 255, 255};
    std::deque<Snapshot> undo_;
    int64_t marqueePixels_ = 0;
    bool alphaOn_ = false;
    ProgressState progress_;
    std::vector<host::ObjectRef> windows_;
    QString appDir_;
    QString wallpaperFileName_;
};

} // namespace tallowick
