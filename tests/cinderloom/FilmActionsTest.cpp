// The film's actions on the real main window: their keys and their menu,
// undo and redo of strokes, and films opened from and saved to files.
#include "cinderloom/FilmActions.h"

#include "cinderloom/Cinderloom.h"
#include "cinderloom/FilmFile.h"
#include "cinderloom/FilmHistory.h"
#include "cinderloom/FilmPlayback.h"
#include "maker/widgets/HPropScroller.h"
#include "maker/widgets/VxButton.h"
#include "platform/PictureBox.h"
#include "tests/cinderloom/CinderloomTestSupport.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

namespace tests {
namespace {

using platform::MessageBoxAnswer;

// The menu as lines: "text key" with the key it shows, "(off)" for a
// disabled item, "-" for a separator.
QStringList describe(const QMenu& menu) {
    QStringList lines;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            lines << QStringLiteral("-");
            continue;
        }
        lines << action->text() + ' ' + action->shortcut().toString() +
                     (action->isEnabled() ? "" : " (off)");
    }
    return lines;
}

QString keyOf(QKeySequence::StandardKey key) {
    return QKeySequence(key).toString();
}

void activate(QWidget& window) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// A right-click reaching `widget` at `position` in its own pixels.
void rightClick(QWidget* widget, QPoint position) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, widget->mapToGlobal(position));
    QCoreApplication::sendEvent(widget, &event);
}

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// A sheet of `duration` frames whose cell track changes at `points`.
QByteArray sheetOf(int duration, const QString& points) {
    return QStringLiteral("exchangeDigitalTimeSheet Save Data\n{\"timeTables\": [{\"duration\": "
                          "%1, \"fields\": [{\"fieldId\": 0, \"tracks\": [{\"trackNo\": 0, "
                          "\"frames\": [%2]}]}]}]}")
        .arg(duration)
        .arg(points)
        .toUtf8();
}

QString point(int frame, const QString& value) {
    return QStringLiteral("{\"frame\": %1, \"data\": [{\"id\": 0, \"values\": [\"%2\"]}]}")
        .arg(frame)
        .arg(value);
}

using FilmActionsTest = UniformCellsTest;

TEST_F(FilmActionsTest, TheMenuListsEveryActionWithItsKeysAndDisablesWhatCannotRun) {
    auto& window = openWindow(320, 240, {green, violet});
    // The standard keys of the desktop, whatever it binds them to.
    EXPECT_EQ(describe(*window.filmActions().Menu),
              (QStringList{"Undo " + keyOf(QKeySequence::Undo) + " (off)",
                           "Redo " + keyOf(QKeySequence::Redo) + " (off)", "-",
                           "Open film... " + keyOf(QKeySequence::Open),
                           "Save film as... " + keyOf(QKeySequence::Save), "-", "Play Ctrl+P"}));
    EXPECT_EQ(window.filmActions().Undo->shortcuts(),
              QKeySequence::keyBindings(QKeySequence::Undo));
    const QList<QKeySequence> redo = window.filmActions().Redo->shortcuts();
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Redo))
        EXPECT_TRUE(redo.contains(key)) << key.toString().toStdString();
    EXPECT_TRUE(redo.contains(QKeySequence("Ctrl+Shift+Z")));
    EXPECT_TRUE(redo.contains(QKeySequence("Ctrl+Y")));
    // The buttons keep Space and Return.
    for (const QAction* action : window.actions())
        for (const QKeySequence& key : action->shortcuts())
            EXPECT_TRUE(key != QKeySequence(Qt::Key_Space) && key != QKeySequence(Qt::Key_Return))
                << action->text().toStdString();

    send(window.Picture2, QEvent::MouseButtonPress, Qt::LeftButton, 50);
    EXPECT_TRUE(window.filmActions().Undo->isEnabled());
    send(window.Picture2, QEvent::MouseButtonRelease, Qt::LeftButton, 50);
    window.filmActions().Undo->trigger();
    EXPECT_FALSE(window.filmActions().Undo->isEnabled());
    EXPECT_TRUE(window.filmActions().Redo->isEnabled());
}

TEST_F(CinderloomTest, PlayIsDisabledWithoutCellsAndSaveForAFilmNoSheetHolds) {
    scriptAnimation(fake(), 3, 2, 1);
    auto& window = openMainWindow();
    EXPECT_FALSE(window.filmActions().Play->isEnabled());
    module->history().replace(module->film(), cinderloom::Film(32768));
    window.undoFilmStep();
    EXPECT_TRUE(window.filmActions().Save->isEnabled());
    EXPECT_EQ(window.filmActions().Save->text(), "Save film as...");
    window.redoFilmStep();
    EXPECT_FALSE(window.filmActions().Save->isEnabled());
    EXPECT_EQ(window.filmActions().Save->text(), "Save film as... (at most 32767 slots)");
}

TEST_F(FilmActionsTest, TheKeysUndoAndRedoADragRedrawingOnlyTheSlotsItChanged) {
    auto& window = openWindow(320, 240, {green, violet});
    activate(window);
    window.Picture2->resize(window.Picture2->width(), 76);
    window.Picture2_Paint();
    // Cell 0 over slots 0 and 1 (101 pixels each) in one drag.
    send(window.Picture2, QEvent::MouseButtonPress, Qt::LeftButton, 50);
    send(window.Picture2, QEvent::MouseMove, Qt::LeftButton, 150);
    send(window.Picture2, QEvent::MouseButtonRelease, Qt::LeftButton, 150);
    EXPECT_EQ(module->history().stepCount(), 1u);
    EXPECT_EQ(uniformColour(*window.Picture2, 0, 198), green);
    // Slot 3 changes behind the view's back: a whole redraw would show it.
    module->film().set(3, 1);

    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    std::vector<int16_t> expected(30, -1);
    expected[3] = 1;
    EXPECT_EQ(slotsOf(module->film()), expected);
    EXPECT_EQ(uniformColour(*window.Picture2, 0, 728), QColor(Qt::white));

    QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(module->film().cellAt(1), 0);
    EXPECT_EQ(uniformColour(*window.Picture2, 0, 198), green);
    EXPECT_EQ(uniformColour(*window.Picture2, 203, 728), QColor(Qt::white));
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(module->film().cellAt(0), 0);

    // A drag over slots that already show the cell is no step.
    send(window.Picture2, QEvent::MouseButtonPress, Qt::RightButton, 50);
    send(window.Picture2, QEvent::MouseButtonRelease, Qt::RightButton, 50);
    EXPECT_EQ(module->history().stepCount(), 1u);
    EXPECT_FALSE(window.filmActions().Redo->isEnabled());
}

TEST_F(FilmActionsTest, SpaceStillPressesTheFocusedButtonAndReturnTriggersNoAction) {
    auto& window = openWindow(320, 240, {green, violet});
    activate(window);
    window.vx_button1->setFocus();
    messageBoxes.answerNext(MessageBoxAnswer::Cancel);
    QTest::keyClick(window.vx_button1, Qt::Key_Space);
    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    EXPECT_TRUE(messageBoxes.requests()[0].text.startsWith("Warning, retrieving"));
    QTest::keyClick(window.vx_button1, Qt::Key_Return);
    EXPECT_EQ(messageBoxes.requests().size(), 1u);
    EXPECT_EQ(window.playback().player(), nullptr);
}

TEST_F(FilmActionsTest, TheMenuOpensOnTheBackdropAndOnItsKeysButNotOverViewsOrControls) {
    auto& window = openWindow(320, 240, {green, violet});
    activate(window);
    const auto shownAndClosed = [&] {
        const bool shown = window.filmActions().Menu->isVisible();
        window.filmActions().Menu->hide();
        return shown;
    };
    rightClick(&window, {600, 340});
    EXPECT_TRUE(shownAndClosed());
    rightClick(window.Label2, {5, 5});
    EXPECT_TRUE(shownAndClosed());
    // The views paint or select with the right button; controls are no backdrop.
    rightClick(window.Picture2, {50, 10});
    EXPECT_FALSE(shownAndClosed());
    rightClick(window.Picture1, {50, 10});
    rightClick(window.HProp2, {50, 5});
    rightClick(window.vx_button2, {5, 5});
    EXPECT_FALSE(shownAndClosed());

    window.Picture2->setFocus();
    QTest::keyClick(&window, Qt::Key_Menu);
    EXPECT_TRUE(shownAndClosed());
    QTest::keyClick(&window, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(shownAndClosed());
}

TEST_F(FilmActionsTest, AnOpenedFilmTakesTheLengthAndUndoBringsTheOldFilmBack) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    auto& window = openWindow(320, 240, {green, violet});
    module->history().paint(module->film(), 0, 1);
    module->history().closeStroke();

    const QString sheet = folder.filePath("four.xdts");
    writeFile(sheet, sheetOf(4, point(0, "2") + ", " + point(2, "SYMBOL_HYPHEN") + ", " +
                                    point(3, "SYMBOL_NULL_CELL")));
    window.openFilm(sheet);
    EXPECT_EQ(slotsOf(module->film()), (std::vector<int16_t>{1, 1, 1, -1}));
    EXPECT_EQ(window.HProp2->Range(), 4);
    EXPECT_TRUE(messageBoxes.requests().empty());

    window.undoFilmStep();
    EXPECT_EQ(module->film().length(), 30);
    EXPECT_EQ(module->film().cellAt(0), 1);
    EXPECT_EQ(window.HProp2->Range(), 30);
    window.redoFilmStep();
    EXPECT_EQ(window.HProp2->Range(), 4);

    // Drawing 3 is beyond the 2 cells: one message says so.
    const QString beyond = folder.filePath("beyond.xdts");
    writeFile(beyond, sheetOf(2, point(0, "3")));
    window.openFilm(beyond);
    EXPECT_EQ(slotsOf(module->film()), (std::vector<int16_t>{-1, -1}));
    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    EXPECT_EQ(messageBoxes.requests()[0].text,
              "2 slots were left empty: 2 for a drawing number beyond the 2 cells retrieved.");
    EXPECT_EQ(messageBoxes.requests()[0].icon, platform::MessageBoxIcon::Information);
}

TEST_F(FilmActionsTest, AFileThatCannotBeOpenedOrSavedLeavesFilmAndHistoryAsTheyWere) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    auto& window = openWindow(320, 240, {green, violet});
    module->history().paint(module->film(), 4, 1);
    const std::vector<int16_t> before = slotsOf(module->film());

    const QString bad = folder.filePath("bad.xdts");
    writeFile(bad, sheetOf(0, point(0, "1")));
    window.openFilm(bad);
    ASSERT_EQ(messageBoxes.requests().size(), 1u);
    EXPECT_EQ(messageBoxes.requests()[0].text,
              "Cannot open the film file \u201c" + bad +
                  "\u201d: timeTables[0].duration is 0, outside 1 to 32767.");
    EXPECT_EQ(messageBoxes.requests()[0].icon, platform::MessageBoxIcon::Critical);
    EXPECT_EQ(slotsOf(module->film()), before);
    EXPECT_EQ(window.HProp2->Range(), 30);
    // The open stroke stays open and is still the step to undo.
    EXPECT_EQ(module->history().stepCount(), 0u);
    window.undoFilmStep();
    EXPECT_EQ(module->film().cellAt(4), -1);

    const QString saved = folder.filePath("saved.xdts");
    window.saveFilmAs(saved);
    EXPECT_EQ(cinderloom::openFilmFile(saved, 2).film, module->film());
    window.saveFilmAs(folder.filePath("no/such/folder.xdts"));
    ASSERT_EQ(messageBoxes.requests().size(), 2u);
    EXPECT_TRUE(messageBoxes.requests()[1].text.startsWith("Cannot save the film file \u201c" +
                                                           folder.filePath("no/such/folder.xdts")));

    // Nobody can answer a file dialog here: the keys choose nothing.
    activate(window);
    testing::internal::CaptureStderr();
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_NE(output.find("Open film ["), std::string::npos) << output;
    EXPECT_NE(output.find("Save film as ["), std::string::npos) << output;
    EXPECT_EQ(module->film().length(), 30);
}

} // namespace
} // namespace tests
