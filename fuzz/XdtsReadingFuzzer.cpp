// A film's exchange time sheet as Cinderloom opens it: any bytes, read for a
// store of 0 to 255 cells (the input's first byte). A sheet read is a film of
// 1 to the longest duration whose slots are empty or name a cell held; it is
// written back and read again into the same film.
#include "cinderloom/XdtsFormat.h"

#include <QByteArray>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int64_t cellCount = data[0];
    const QByteArray text(reinterpret_cast<const char*>(data + 1),
                          static_cast<qsizetype>(size - 1));
    cinderloom::XdtsReading reading;
    try {
        reading = cinderloom::readXdts(text, cellCount);
    } catch (const cinderloom::XdtsError&) {
        return 0; // refused, with a message, as a user's bad file is
    }
    const cinderloom::Film& film = reading.film;
    if (film.length() < 1 || film.length() > cinderloom::kXdtsMaxDuration)
        std::abort();
    for (const int16_t cell : film.slotCells())
        if (cell < -1 || cell >= cellCount)
            std::abort();
    const QByteArray written = cinderloom::writeXdts(film, cellCount, QStringLiteral("fuzz"));
    if (!(cinderloom::readXdts(written, cellCount).film == film))
        std::abort();
    return 0;
}
