#include "tallowick/model/HostModel.h"

#include <utility>

namespace tallowick {

HostModel::HostModel(Document first, std::optional<RgbaFrame> brush, QString appDir,
                     QString wallpaperFileName, MemoryBudget budget)
    : budget_(budget), history_(budget_), documents_(std::move(first), budget_, history_),
      painting_(std::move(brush)), appDir_(std::move(appDir)),
      wallpaperFileName_(std::move(wallpaperFileName)) {}

HostModel::HostModel(Document first, std::optional<RgbaFrame> brush, QString appDir,
                     QString wallpaperFileName)
    : HostModel(std::move(first), std::move(brush), std::move(appDir), std::move(wallpaperFileName),
                MemoryBudget::ofPhysicalMemory()) {}

void HostModel::saveUndo(const FramePosition& position) {
    history_.save(position, documents_.frameAt(position));
}

bool HostModel::undo() {
    std::optional<UndoHistory::Snapshot> snapshot = history_.takeLatest();
    if (!snapshot)
        return false;
    documents_.restoreFrame(snapshot->position, std::move(snapshot->planes));
    return true;
}

} // namespace tallowick
