#pragma once

#include "automation/AutomationObject.h"
#include "automation/ServedObject.h"

#include <QWidget>
#include <cstdint>
#include <memory>

namespace maker {
class VxButton;
}

namespace platform {
class PictureBox;
}

namespace marrowset {

class Form2;
class Module1;

// The main window: the preview of the held buffer above the pick toggle and
// the "Functions..." button.
class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(Module1& module, QWidget* parent = nullptr);
    ~Form1() override;

    // What the host reaches of the window: CommandLineProcess, DoColorPick
    // (x, y, button) and DisplayBrush (Form1Operations.cpp), matched without
    // regard to case. An unknown operation or a wrong argument is a
    // host::HostCallError for the caller; a failure inside an operation ends
    // the program.
    host::AutomationObject& automation() { return automation_; }

    // The load step: shows the window, has the module load the host's brush
    // and the combine table, applies the command line and draws the preview.
    // A failure ends the program.
    void Form_Load();
    // Replaces the held buffer with the picture the command line names, when
    // it names one and the picture can be taken; otherwise changes nothing
    // and says why on standard error.
    void CommandLineProcess();
    // Picks the held colour under preview point (x, y) as the host's primary
    // (button 1) or secondary (button 2) colour. Throws what a failing host
    // call throws.
    void DoColorPick(int32_t x, int32_t y, int32_t button);
    // Draws the held buffer into the preview and shows it. Throws what the
    // blitter throws.
    void DisplayBrush();

    // Fits the controls to the window's size and redraws the preview
    // (Form1Layout.h). A redraw the scaling library cannot be bound for is
    // skipped, the preview keeping what it shows; any other failure throws.
    void Form_Resize();
    // Unloads the menu holder; the window closes.
    void Form_Unload();

    // The menu holder, created hidden on first use.
    Form2& menuHolder();
    bool hasMenuHolder() const { return menuHolder_ != nullptr; }

    // The preview's mouse events. button is a bit set (1 left, 2 right,
    // 4 middle); x, y in the preview's pixels.
    void Picture1_MouseDown(int16_t button, int16_t shift, float x, float y);
    void Picture1_MouseMove(int16_t button, int16_t shift, float x, float y);
    void Picture1_MouseUp(int16_t button, int16_t shift, float x, float y);
    // A press and release on the preview: pastes the held buffer at the
    // image's origin unless the pick toggle is down.
    void Picture1_Click();
    // Any button released over "Functions..." pops up the menu.
    void vx_button1_MouseUp(int16_t button, int16_t shift, float x, float y);

    platform::PictureBox* Picture1 = nullptr;
    maker::VxButton* vx_button2 = nullptr;
    maker::VxButton* vx_button1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    // The three mouse handlers of the preview behave alike.
    void pickOnMouse(int16_t button, float x, float y);

    static const host::ServedObject<Form1>::Table& operations();

    Module1& module_;
    std::unique_ptr<Form2> menuHolder_;
    host::ServedObject<Form1> automation_;
    // A left press on the preview, waiting for its release to make a click.
    bool clickPending_ = false;
};

} // namespace marrowset
