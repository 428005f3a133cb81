// The film's actions on the main window: what they do, when they can run,
// and where a right-click brings their menu up.
#include "cinderloom/Cinderloom.h"
#include "cinderloom/Film.h"
#include "cinderloom/FilmActions.h"
#include "cinderloom/FilmHistory.h"
#include "cinderloom/FilmPlayback.h"
#include "cinderloom/RetrievedCells.h"
#include "platform/FatalError.h"
#include "platform/FileChooser.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

namespace cinderloom {
namespace {

const QString kFilmFilter = QStringLiteral("Exchange time sheets (*.xdts);;All files (*)");

// Where the film menu opens for a key: over the control with the focus.
QPoint focusPoint(const QWidget& window) {
    const QWidget* focus = window.focusWidget();
    if (focus && window.isAncestorOf(focus))
        return focus->mapToGlobal(focus->rect().center());
    return window.mapToGlobal(window.rect().center());
}

} // namespace

void Cinderloom::createActions() {
    // Where no person can answer, the dialogs choose nothing and nothing
    // happens.
    const auto open = [this] {
        const QString path = platform::chooseFileToOpen(this, QStringLiteral("Open film"));
        if (!path.isEmpty())
            openFilm(path);
    };
    const auto save = [this] {
        const QString path = platform::chooseFileToSave(this, QStringLiteral("Save film as"),
                                                        kFilmFilter, QStringLiteral("xdts"));
        if (!path.isEmpty())
            saveFilmAs(path);
    };
    filmActions_ = std::make_unique<FilmActions>(
        *this, FilmActionHandlers{[this] { undoFilmStep(); }, [this] { redoFilmStep(); }, open,
                                  save, [this] { playback_->toggle(); },
                                  [this] { showFilmMenu(focusPoint(*this)); }});
    playback_ = std::make_unique<FilmPlayback>(
        film_, cells_, *PlayedSlotMarker, [this](int32_t slot) { return slotRect(slot); },
        *filmActions_->Play);
    connect(playback_.get(), &FilmPlayback::changed, this, [this] { updateActionStates(); });
    updateActionStates();
}

void Cinderloom::updateActionStates() {
    filmActions_->update({history_.canUndo(), history_.canRedo(), film_.length(),
                          !cells_.store().empty(), playback_->isPlaying()});
}

bool Cinderloom::isBackdropAt(const QPoint& position) const {
    const QWidget* child = childAt(position);
    if (!child)
        return true;
    for (const QWidget* decoration : std::initializer_list<const QWidget*>{
             Label1, Label2, Label3, Label4, Label5, Line1, Line2, StatusBar1})
        if (child == decoration || decoration->isAncestorOf(child))
            return true;
    return false;
}

void Cinderloom::contextMenuEvent(QContextMenuEvent* event) {
    // A right-click on a view paints or selects, and the controls keep
    // their own menus.
    if (event->reason() == QContextMenuEvent::Mouse && !isBackdropAt(event->pos())) {
        event->ignore();
        return;
    }
    event->accept();
    platform::runOrEnd(QStringLiteral("FilmMenu"), [&] { showFilmMenu(event->globalPos()); });
}

void Cinderloom::showFilmMenu(const QPoint& globalPosition) {
    updateActionStates();
    filmActions_->Menu->popup(globalPosition);
}

} // namespace cinderloom
