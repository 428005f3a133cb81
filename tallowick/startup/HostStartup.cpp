#include "tallowick/startup/HostStartup.h"

#include "tallowick/documents/BuiltInPictures.h"
#include "tallowick/documents/PictureLoading.h"

#include <QFileInfo>

namespace tallowick {

namespace {

MemoryBudget budgetOf(const HostOptions& options) {
    if (options.memoryBudgetMiB)
        return MemoryBudget(*options.memoryBudgetMiB << 20);
    return MemoryBudget::ofPhysicalMemory();
}

Document documentOf(const HostOptions& options, const MemoryBudget& budget) {
    switch (options.document) {
    case DocumentSource::Animation:
        return loadAnimation(options.documentPath, budget);
    case DocumentSource::Still:
        return loadStill(options.documentPath, budget);
    case DocumentSource::Demo:
        break;
    }
    return demoAnimation();
}

std::optional<RgbaFrame> brushOf(const HostOptions& options) {
    switch (options.brush) {
    case BrushSource::File:
        return loadBrush(options.brushPath);
    case BrushSource::None:
        return std::nullopt;
    case BrushSource::BuiltIn:
        break;
    }
    return builtInBrush();
}

QString wallpaperOf(const HostOptions& options) {
    if (options.wallpaperPath.isEmpty())
        return writeBuiltInWallpaper(hostDataFolder());
    checkPictureReadable(options.wallpaperPath);
    return QFileInfo(options.wallpaperPath).absoluteFilePath();
}

} // namespace

std::unique_ptr<HostModel> createHostModel(const HostOptions& options, const QString& appDir) {
    const MemoryBudget budget = budgetOf(options);
    Document document = documentOf(options, budget);
    std::optional<RgbaFrame> brush = brushOf(options);
    QString wallpaper = wallpaperOf(options);
    return std::make_unique<HostModel>(std::move(document), std::move(brush), appDir,
                                       std::move(wallpaper), budget);
}

} // namespace tallowick
