#pragma once

#include "platform/FileChooser.h"

#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;

namespace tallowick {

class AbandonedFolder;
class ColourSwatch;
class FrameView;
class HostModel;
class OwnRecoveryFolder;
class WindowCaller;

// The stand-in host's window: the current frame scaled to fit, a frame
// slider with play and pause, the list of open documents, the two painting
// colours, the progress display, and menus to open pictures, load a brush,
// save, undo, start a plug-in (alone, on a picture file or on the clipboard's
// picture) and re-apply the theme. It follows the model's signals; starting a
// plug-in is left to whoever listens to pluginLaunchRequested.
class HostWindow : public QMainWindow {
    Q_OBJECT

public:
    // How long the view waits after a change before it redraws, so that a
    // burst of plane calls costs one redraw.
    static constexpr int kRedrawDelayMs = 40;
    static constexpr int kPlaybackIntervalMs = 83;

    // The argument text that starts a plug-in on the clipboard's picture.
    static constexpr const char* kClipboardArgument = "CLIPBOARD";

    // Asks the user for a picture file, titled `caption`; empty when the
    // user cancels.
    using PictureFileChooser = std::function<QString(QWidget* parent, const QString& caption)>;
    // Asks the user for a folder, titled `caption`; empty when the user
    // cancels.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& caption)>;

    HostWindow(HostModel& model, WindowCaller& windows, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {900, 600}; }

    // Replaces the file dialog of every command that asks for a picture
    // file, for where nobody can answer a dialog (tests).
    void setPictureFileChooser(PictureFileChooser chooser) {
        choosePictureFile_ = std::move(chooser);
    }
    // The same for every command that asks for a folder.
    void setFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }

    // The host is off the bus for `reason`: plug-ins can no longer reach it.
    // Disables the item that starts them, its tool tip saying why; tells the user and offers to save the documents into a folder of the
    // user's choice; declining the offer saves nothing.
    void reportBusLost(const QString& reason);

    // Offers to reopen the work that hosts which did not end cleanly left in
    // `folders`, listing it: Yes reopens it as new documents, their copies
    // moved into `own` folder; No discards it; Cancel, and any answer where
    // nobody can give one, leaves it for the next start. What cannot be
    // reopened is told.
    void offerRecovery(std::vector<AbandonedFolder>& folders, OwnRecoveryFolder& own);
    // Shows `text`, the autosave's failure and why, above the view until
    // the host ends.
    void showAutosaveFailure(const QString& text);

signals:
    // The user chose the plug-in `program` (a file name in the host's
    // application directory) from the menu, to start with `argument` as its
    // argument text, or with none.
    void pluginLaunchRequested(const QString& program, const std::optional<QString>& argument);

private:
    void buildLayout();
    void showDocuments();
    void showCurrentFrame();
    void redrawFrame();
    void showColours();
    void showBrush();
    void showProgress();
    void chooseDocument(int row);
    void chooseFrame(int frame);
    void togglePlayback();
    void stepPlayback();

    // Menus and their commands, in HostWindowActions.cpp.
    void buildMenus();
    void openAnimationFolder();
    void openPicture();
    void openDocument(const QString& path);
    void loadBrushPicture();
    void saveAllDocuments();
    void undo();
    void fillPluginMenu();
    void addPluginEntry(const QString& program);
    void startPluginOnPicture(const QString& program);
    void reapplyTheme();
    void reportError(const QString& text);

    HostModel& model_;
    WindowCaller& windows_;
    FrameView* frameView_ = nullptr;
    QSlider* frameSlider_ = nullptr;
    QLabel* frameLabel_ = nullptr;
    QPushButton* playButton_ = nullptr;
    QListWidget* documentList_ = nullptr;
    ColourSwatch* primarySwatch_ = nullptr;
    ColourSwatch* secondarySwatch_ = nullptr;
    QLabel* brushLabel_ = nullptr;
    QLabel* autosaveWarning_ = nullptr;
    QLabel* progressCaption_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QMenu* pluginMenu_ = nullptr;
    PictureFileChooser choosePictureFile_ = &platform::chooseFileToOpen;
    FolderChooser chooseFolder_ = &platform::chooseFolder;
    QTimer redrawTimer_;
    QTimer playbackTimer_;
};

} // namespace tallowick
