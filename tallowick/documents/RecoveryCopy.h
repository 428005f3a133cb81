#pragma once

#include "tallowick/documents/Document.h"
#include "tallowick/documents/MemoryBudget.h"
#include "tallowick/documents/PictureLoading.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <stdexcept>

namespace tallowick {

// A recovery copy that cannot be written, or one that is damaged and is not
// read; the message names the file and what is wrong.
class RecoveryCopyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a recovery copy's header tells, read without its frames.
struct RecoveryCopyFacts {
    QString documentName;
    int32_t width = 0;
    int32_t height = 0;
    int32_t frameCount = 0;
    // When the copy was taken, in UTC.
    QDateTime savedAt;
};

// A recovery copy is one document, exact to every sample, in a form that
// costs little more than the bytes to write and to read: a header (the
// format's mark and version, the frame size and count, the time of the copy
// and the document's name, with a checksum of its own), then each frame's
// four planes as the frame holds them, then a checksum of the planes.
//
// Writes `document` to `path` through a file beside it, flushed to the disk
// and then renamed over `path`, so that the copy at `path` is always whole:
// the one before, or this one. RecoveryCopyError names the file and the
// system's reason; the copy before stays as it was.
void writeRecoveryCopy(const Document& document, const QDateTime& savedAt, const QString& path);

// RecoveryCopyError for a file that is not a recovery copy, a damaged
// header, or a file whose size differs from what its header describes (a
// truncated or overlong copy).
RecoveryCopyFacts readRecoveryFacts(const QString& path);

// The document as it was written, once the whole file has checked out:
// RecoveryCopyError for whatever readRecoveryFacts refuses, for planes whose
// checksum differs, and for frames beyond what `budget` has left (refused
// before a plane is allocated). Nothing is charged. `progress`, when given,
// hears after each frame how far the load has come.
Document loadRecoveryCopy(const QString& path, const MemoryBudget& budget,
                          const LoadProgress& progress = {});

} // namespace tallowick
