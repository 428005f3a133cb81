#include "cinderloom/FilmActions.h"

#include "cinderloom/XdtsFormat.h"
#include "platform/FatalError.h"

#include <QAction>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

namespace cinderloom {
namespace {

const QString kSaveText = QStringLiteral("Save film as...");

QList<QKeySequence> redoKeys() {
    // Desktops bind Redo to Ctrl+Shift+Z or Ctrl+Y; both redo here.
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& key :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
        if (!keys.contains(key))
            keys.append(key);
    return keys;
}

// Runs `work` as an event of the window under `name`.
std::function<void()> asEvent(const QString& name, std::function<void()> work) {
    return [name, work = std::move(work)] { platform::runOrEnd(name, work); };
}

QAction* windowAction(QWidget& window, const QString& text, const QList<QKeySequence>& keys,
                      const QString& name, const std::function<void()>& work) {
    auto* action = new QAction(text, &window);
    action->setObjectName(name);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    window.addAction(action);
    QObject::connect(action, &QAction::triggered, &window, asEvent(name, work));
    return action;
}

} // namespace

FilmActions::FilmActions(QWidget& window, const FilmActionHandlers& handlers) {
    Undo =
        windowAction(window, QStringLiteral("Undo"), QKeySequence::keyBindings(QKeySequence::Undo),
                     QStringLiteral("Undo"), handlers.undo);
    Redo = windowAction(window, QStringLiteral("Redo"), redoKeys(), QStringLiteral("Redo"),
                        handlers.redo);
    Open = windowAction(window, QStringLiteral("Open film..."),
                        QKeySequence::keyBindings(QKeySequence::Open), QStringLiteral("OpenFilm"),
                        handlers.open);
    Save = windowAction(window, kSaveText, QKeySequence::keyBindings(QKeySequence::Save),
                        QStringLiteral("SaveFilm"), handlers.save);
    // Not QKeySequence::Print, which means printing where it is bound.
    Play = windowAction(window, QStringLiteral("Play"), {QKeySequence(Qt::CTRL | Qt::Key_P)},
                        QStringLiteral("Play"), handlers.play);
    Play->setCheckable(true);

    Menu = new QMenu(&window);
    Menu->addActions({Undo, Redo});
    Menu->addSeparator();
    Menu->addActions({Open, Save});
    Menu->addSeparator();
    Menu->addAction(Play);

    // Shortcuts of the whole window, so that the views, which answer every
    // mouse button and no key, need not pass the keys on.
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)})
        QObject::connect(new QShortcut(key, &window), &QShortcut::activated, &window,
                         asEvent(QStringLiteral("FilmMenu"), handlers.showMenu));
}

void FilmActions::update(const FilmActionState& state) {
    Undo->setEnabled(state.canUndo);
    Redo->setEnabled(state.canRedo);
    const bool fitsTimeSheet = state.filmLength >= 1 && state.filmLength <= kXdtsMaxDuration;
    Save->setEnabled(fitsTimeSheet);
    Save->setText(
        fitsTimeSheet
            ? kSaveText
            : QStringLiteral("%1 (at most %2 slots)").arg(kSaveText).arg(kXdtsMaxDuration));
    Play->setEnabled(state.playing || state.hasCells);
    Play->setChecked(state.playing);
}

} // namespace cinderloom
