#pragma once

#include "tallowick/documents/Document.h"
#include "tallowick/documents/MemoryBudget.h"
#include "tallowick/documents/RgbaFrame.h"

#include <QString>
#include <functional>
#include <stdexcept>

namespace tallowick {

// A picture that cannot be read, a folder without pictures, frames of
// different sizes, or frames beyond the memory budget; the message names the
// file and the reason.
class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Hears the percentage of a long load done so far.
using LoadProgress = std::function<void(double percent)>;

// An animation: a folder's picture files (by their suffix) in name order, one
// frame each, or every frame of one picture file. All frames must have one
// size. The document is named after the folder or file. `progress`, when
// given, hears after each frame how far the load has come, where the number
// of frames is known beforehand. Frames that would not fit in what `budget`
// has left are refused, naming the frame count and size, before they are
// expanded wherever the picture tells its frame count and size beforehand,
// and at the first frame too many otherwise. Nothing is charged: the
// document's owner charges it when it takes it.
Document loadAnimation(const QString& path, const MemoryBudget& budget,
                       const LoadProgress& progress = {});
// The first picture of a file, as a one-frame document named after it.
Document loadStill(const QString& path, const MemoryBudget& budget);
// The same against MemoryBudget::ofPhysicalMemory().
Document loadAnimation(const QString& path, const LoadProgress& progress = {});
Document loadStill(const QString& path);
// A brush from a picture: its alpha where it has one, else opaque.
RgbaFrame loadBrush(const QString& path);
// Throws PictureError unless `path` is a picture the host can read.
void checkPictureReadable(const QString& path);

} // namespace tallowick
