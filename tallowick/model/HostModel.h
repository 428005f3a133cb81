#pragma once

#include "tallowick/documents/Document.h"
#include "tallowick/documents/MemoryBudget.h"
#include "tallowick/documents/RgbaFrame.h"
#include "tallowick/model/FramePosition.h"
#include "tallowick/model/HeldWindows.h"
#include "tallowick/model/ImageDisplay.h"
#include "tallowick/model/OpenDocuments.h"
#include "tallowick/model/PaintingTools.h"
#include "tallowick/model/ProgressDisplay.h"
#include "tallowick/model/UndoHistory.h"

#include <QString>
#include <cstddef>
#include <optional>

namespace tallowick {

// Everything the stand-in host holds, in parts that each say what they hold
// and signal their own changes: the open documents with the host window's
// current one, the undo history, the brush and colours, the marquee and
// alpha switch, the progress display, the windows plug-ins handed over, and
// the host's folder and wallpaper. Documents and undo snapshots are charged
// to one memory budget. It knows nothing of how calls reach it, nor of who
// makes them: a program's own current document and frame come with each
// call that needs them.
class HostModel {
public:
    // Charges `first` to `budget`: MemoryBudgetError when it does not fit.
    HostModel(Document first, std::optional<RgbaFrame> brush, QString appDir,
              QString wallpaperFileName, MemoryBudget budget);
    // With a budget of MemoryBudget::ofPhysicalMemory().
    HostModel(Document first, std::optional<RgbaFrame> brush, QString appDir,
              QString wallpaperFileName);
    HostModel(const HostModel&) = delete;
    HostModel& operator=(const HostModel&) = delete;

    OpenDocuments& documents() { return documents_; }
    const OpenDocuments& documents() const { return documents_; }
    PaintingTools& painting() { return painting_; }
    const PaintingTools& painting() const { return painting_; }
    ImageDisplay& display() { return display_; }
    const ImageDisplay& display() const { return display_; }
    ProgressDisplay& progress() { return progress_; }
    const ProgressDisplay& progress() const { return progress_; }
    HeldWindows& heldWindows() { return heldWindows_; }
    const HeldWindows& heldWindows() const { return heldWindows_; }

    // Snapshots the four planes of the frame at `position` (see
    // UndoHistory::save); ModelError for a position outside the documents.
    void saveUndo(const FramePosition& position);
    // Puts the latest snapshot back into the document and frame it came
    // from, makes that frame the host window's current one and returns true;
    // false when there is none.
    bool undo();
    std::size_t undoDepth() const { return history_.depth(); }

    // What documents and undo snapshots hold of the host's memory budget.
    const MemoryBudget& memoryBudget() const { return budget_; }

    const QString& appDir() const { return appDir_; }
    const QString& wallpaperFileName() const { return wallpaperFileName_; }

private:
    // The parts that charge the budget hold on to it and to the history, so
    // those two come first.
    MemoryBudget budget_;
    UndoHistory history_;
    OpenDocuments documents_;
    PaintingTools painting_;
    ImageDisplay display_;
    ProgressDisplay progress_;
    HeldWindows heldWindows_;
    QString appDir_;
    QString wallpaperFileName_;
};

} // namespace tallowick
