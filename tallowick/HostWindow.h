#pragma once

#include <QMainWindow>
#include <QTimer>

class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;

namespace tallowick {

class ColourSwatch;
class FrameView;
class HostModel;
class WindowCaller;

// The stand-in host's window: the current frame scaled to fit, a frame
// slider with play and pause, the list of open documents, the two painting
// colours, the progress display, and menus to open pictures, load a brush,
// save, undo, start a plug-in and re-apply the theme. It follows the model's
// signals; starting a plug-in is left to whoever listens to
// pluginLaunchRequested.
class HostWindow : public QMainWindow {
    Q_OBJECT

public:
    // How long the view waits after a change before it redraws, so that a
    // burst of plane calls costs one redraw.
    static constexpr int kRedrawDelayMs = 40;
    static constexpr int kPlaybackIntervalMs = 83;

    HostWindow(HostModel& model, WindowCaller& windows, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {900, 600}; }

signals:
    // The user chose the plug-in `program` (a file name in the host's
    // application directory) from the menu.
    void pluginLaunchRequested(const QString& program);

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
    QLabel* progressCaption_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QMenu* pluginMenu_ = nullptr;
    QTimer redrawTimer_;
    QTimer playbackTimer_;
};

} // namespace tallowick
