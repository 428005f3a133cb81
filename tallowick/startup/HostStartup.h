#pragma once

#include "tallowick/model/HostModel.h"
#include "tallowick/startup/CommandLine.h"

#include <QString>
#include <memory>

namespace tallowick {

// The model the command line asks for: its memory budget, its document
// (demo, animation or still, refused before it is expanded when it would not
// fit the budget), its brush (built-in, from a picture, or none) and its
// wallpaper (the picture named, checked to be readable, or the built-in tile
// written to the host's data folder). Throws PictureError, DocumentError,
// WallpaperError or MemoryBudgetError, each naming the file or request and
// the reason.
std::unique_ptr<HostModel> createHostModel(const HostOptions& options, const QString& appDir);

} // namespace tallowick
