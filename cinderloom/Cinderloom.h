#pragma once

#include "host/AutomationObject.h"

#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QStatusBar;

namespace maker {
class HPropScroller;
class VxButton;
class VxDropSlider;
} // namespace maker

namespace platform {
class PictureBox;
}

namespace cinderloom {

class Module1;

// The main window: the cell strip and the film with their rulers and
// scrollers, the wiggle controls and the action buttons. The controls are
// children of the window (or of their containers), named as in the window's
// design.
class Cinderloom : public QWidget, public host::AutomationObject {
    Q_OBJECT

public:
    explicit Cinderloom(Module1& module, QWidget* parent = nullptr);

    // The host's calls of the window's public operations, matched without
    // regard to case: PrefsCallback (target), Picture1_Paint, Picture2_Paint.
    // An unknown operation or a wrong argument count is a host::HostCallError
    // for the caller; a failure inside an operation ends the program.
    host::Variant Invoke(const QString& method, const std::vector<host::Variant>& args) override;

    // The load step: wallpaper, the height at load, the scroller ranges and
    // the first drawing of both views.
    void Form_Load();
    void Picture1_Paint();
    void Picture2_Paint();
    // Takes the host's colour theme; the window keeps its design colours for
    // now.
    void PrefsCallback(const host::Variant& target);

    void vx_button1_Click();
    void vx_button3_Click();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    maker::VxButton* vx_button1 = nullptr;
    maker::VxButton* vx_button2 = nullptr;
    maker::VxButton* vx_button3 = nullptr;
    QFrame* Picture3 = nullptr;
    QFrame* Picture5 = nullptr;
    platform::PictureBox* Picture1 = nullptr;
    platform::PictureBox* Picture2 = nullptr;
    platform::PictureBox* Picture4 = nullptr;
    platform::PictureBox* Picture7 = nullptr;
    maker::HPropScroller* HProp1 = nullptr;
    maker::HPropScroller* HProp2 = nullptr;
    QWidget* Line1 = nullptr;
    QWidget* Line2 = nullptr;
    QCheckBox* Check1 = nullptr;
    maker::VxDropSlider* VX_DropSlider1 = nullptr;
    maker::VxDropSlider* VX_DropSlider2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* Image1 = nullptr;

protected:
    // The unload question, whatever the cause of the closing.
    void closeEvent(QCloseEvent* event) override;

private:
    // Creates and places every control (CinderloomLayout.cpp).
    void createControls();
    void createStripGroup();
    void createFilmGroup();
    void createBottomRow();
    void loadWallpaper();
    void setScrollerRanges();

    Module1& module_;
};

} // namespace cinderloom
