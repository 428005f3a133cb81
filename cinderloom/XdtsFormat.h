#pragma once

#include "cinderloom/Film.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace cinderloom {

// The film as an exchange time sheet (XDTS): its first line the identifier,
// then JSON with one or more time tables whose cell field lists, per track,
// the frames where the drawing shown changes. Bytes in, film out, and back;
// files are someone else's business (FilmFile.h).

// Text that is no time sheet this program can take, or a film no time sheet
// can hold. The message names what is wrong and where, e.g.
// "timeTables[0].duration is 0, below 1".
class XdtsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr int32_t kXdtsMaxDuration = 32767;

// How many slots of an opened film were left empty although the time sheet
// did not ask for nothing there, by cause.
struct EmptiedSlots {
    int32_t withSuffix = 0;        // a drawing number with a suffix, as "3a"
    int32_t beyondCells = 0;       // a drawing number past the cells held
    int32_t zero = 0;              // the drawing number 0
    int32_t notADrawing = 0;       // a value that is neither number nor symbol
    int32_t beforeFirstChange = 0; // frames before the track's first change point

    int32_t total() const {
        return withSuffix + beyondCells + zero + notADrawing + beforeFirstChange;
    }
    bool operator==(const EmptiedSlots&) const = default;
};

// The track of the cell field a film was read from.
struct TakenTrack {
    double trackNo = 0;
    // Its name in the table's headers; empty when they name none.
    QString name;
    // The other tracks of the cell field that hold frames, all left out.
    int32_t othersLeft = 0;

    bool operator==(const TakenTrack&) const = default;
};

struct XdtsReading {
    Film film;
    // None when no track of the cell field holds any frame.
    std::optional<TakenTrack> track;
    EmptiedSlots emptied;
    // The cells drawing numbers could name, 1 to cellCount.
    int64_t cellCount = 0;
};

// Reads the first time table's cell field: of its tracks the one with the
// lowest track number that holds frames. Drawing number n shows cell n − 1
// when n lies in 1..cellCount; change points before frame 0 count from frame
// 0, those at or past the duration are ignored. XdtsError for a first line
// that is not the identifier, JSON that does not parse, a value of the wrong
// type, no cell field, a duration outside 1..kXdtsMaxDuration, and a frame
// or track number that is not a whole number. Work and memory stay within a
// small multiple of the text's size plus the film.
XdtsReading readXdts(const QByteArray& text, int64_t cellCount);

// The film as one time table named `name`, of the film's length, whose cell
// field has one track 0 listing only the change points: slot s holding cell
// c with 0 <= c < cellCount shows drawing c + 1, any other slot nothing, and
// an entry of nothing closes the track at the film's length. XdtsError for a
// film of no slots or of more than kXdtsMaxDuration.
QByteArray writeXdts(const Film& film, int64_t cellCount, const QString& name);

// What a user should hear about an opened film: the track taken when others
// were left, and the slots left empty by cause. Empty when all went as the
// time sheet asked.
QString describeReading(const XdtsReading& reading);

} // namespace cinderloom
