// The film's steps: undo and redo, and the film kept in and taken from
// exchange time sheets.
#include "cinderloom/Cinderloom.h"
#include "cinderloom/Film.h"
#include "cinderloom/FilmFile.h"
#include "cinderloom/FilmHistory.h"
#include "cinderloom/FilmPlayback.h"
#include "cinderloom/RetrievedCells.h"
#include "cinderloom/ViewState.h"
#include "maker/widgets/HPropScroller.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"

namespace cinderloom {
namespace {

void reportFailure(const FilmFileError& error) {
    platform::showMessageBox(QString::fromUtf8(error.what()), platform::MessageBoxButtons::Ok,
                             platform::MessageBoxIcon::Critical);
}

} // namespace

void Cinderloom::undoFilmStep() {
    showRestoration(history_.undo(film_));
}

void Cinderloom::redoFilmStep() {
    showRestoration(history_.redo(film_));
}

void Cinderloom::showRestoration(const FilmRestoration& restoration) {
    if (restoration.wholeFilm)
        showWholeFilm();
    else
        paintFilmSlots(restoration.changedSlots);
    updateActionStates();
}

void Cinderloom::showWholeFilm() {
    HProp2->setRange(film_.length());
    // The scroller pulls its position back within a shorter film without a
    // word; the view follows it there.
    view_.film.scrollTo(HProp2->Position(), geometryOf(*Picture2));
    Picture2_Paint();
    Picture4_Paint();
    playback_->placeMarker();
}

void Cinderloom::openFilm(const QString& path) {
    XdtsReading reading;
    try {
        reading = openFilmFile(path, cells_.store().cells());
    } catch (const FilmFileError& error) {
        reportFailure(error);
        return;
    }
    const QString notes = describeReading(reading);
    history_.replace(film_, std::move(reading.film));
    showWholeFilm();
    updateActionStates();
    if (!notes.isEmpty())
        platform::showMessageBox(notes, platform::MessageBoxButtons::Ok,
                                 platform::MessageBoxIcon::Information);
}

void Cinderloom::saveFilmAs(const QString& path) {
    try {
        saveFilmFile(path, film_, cells_.store().cells());
    } catch (const FilmFileError& error) {
        reportFailure(error);
    }
}

} // namespace cinderloom
