#pragma once

#include "cinderloom/XdtsFormat.h"

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace cinderloom {

// A film file that could not be read or written. The message names the file
// and the reason, e.g. "Cannot open the film file “/tmp/a.xdts”: its first
// line is not …".
class FilmFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Larger files are refused unread: no time sheet of at most
// kXdtsMaxDuration frames needs as much.
inline constexpr int64_t kMaxFilmFileBytes = int64_t{16} << 20;

// The film the time sheet at `path` holds (see readXdts), drawing numbers
// naming cells 1 to cellCount. FilmFileError for a file that cannot be read,
// one over kMaxFilmFileBytes, or any refusal of readXdts.
XdtsReading openFilmFile(const QString& path, int64_t cellCount);

// Writes the film as a time sheet named by the file's base name, aside and
// renamed into place, so that a failed save leaves an earlier file whole.
// FilmFileError when it cannot be written or the film cannot be a time sheet.
void saveFilmFile(const QString& path, const Film& film, int64_t cellCount);

} // namespace cinderloom
