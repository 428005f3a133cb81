// The main window's layout, the preview's mouse and the "Functions..."
// button.
#include "maker/binding/LibraryBinding.h"
#include "maker/widgets/VxButton.h"
#include "marrowset/ColourPick.h"
#include "marrowset/Form1.h"
#include "marrowset/Form1Layout.h"
#include "marrowset/Form2.h"
#include "marrowset/Module1.h"
#include "platform/Conversions.h"
#include "platform/FatalError.h"
#include "platform/Hourglass.h"
#include "platform/PictureBox.h"
#include "plugin/MouseEvents.h"

#include <QCursor>
#include <QMenu>
#include <QMouseEvent>

namespace marrowset {

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    platform::runOrEnd(QStringLiteral("Form_Resize"), [this] { Form_Resize(); });
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    platform::runOrEnd(QStringLiteral("Form_Resize"), [this] { Form_Resize(); });
}

void Form1::Form_Resize() {
    const std::optional<Form1Geometry> geometry = form1Geometry(width(), height());
    if (!geometry)
        return;
    Picture1->resize(geometry->previewWidth, geometry->previewHeight);
    vx_button1->setGeometry(vx_button1->x(), geometry->buttonTop, geometry->functionsWidth,
                            vx_button1->height());
    vx_button1->Refresh();
    vx_button2->move(vx_button2->x(), geometry->buttonTop);
    try {
        DisplayBrush();
    } catch (const maker::BindingError&) {
        // The redraw at a new size is cosmetic: without the scaling library
        // the preview keeps what it shows. The draws the program cannot do
        // without, the load step's and the host's, end it instead.
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Picture1)
        return QWidget::eventFilter(watched, event);
    const auto* mouse = dynamic_cast<const QMouseEvent*>(event);
    if (!mouse)
        return false;
    const int16_t shift = plugin::shiftBits(mouse->modifiers());
    const auto x = static_cast<float>(mouse->position().x());
    const auto y = static_cast<float>(mouse->position().y());
    if (plugin::isPress(*event)) {
        if (mouse->button() == Qt::LeftButton)
            clickPending_ = true;
        platform::runOrEnd(QStringLiteral("Picture1_MouseDown"), [&] {
            Picture1_MouseDown(plugin::buttonBits(mouse->button()), shift, x, y);
        });
    } else if (event->type() == QEvent::MouseMove) {
        platform::runOrEnd(QStringLiteral("Picture1_MouseMove"), [&] {
            Picture1_MouseMove(plugin::buttonBits(mouse->buttons()), shift, x, y);
        });
    } else if (event->type() == QEvent::MouseButtonRelease) {
        platform::runOrEnd(QStringLiteral("Picture1_MouseUp"), [&] {
            Picture1_MouseUp(plugin::buttonBits(mouse->button()), shift, x, y);
        });
        // A click is a left press and its release over the preview.
        const bool clicked = clickPending_ && mouse->button() == Qt::LeftButton &&
                             Picture1->rect().contains(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton)
            clickPending_ = false;
        if (clicked)
            platform::runOrEnd(QStringLiteral("Picture1_Click"), [this] { Picture1_Click(); });
    }
    return false;
}

void Form1::Picture1_MouseDown(int16_t button, int16_t, float x, float y) {
    pickOnMouse(button, x, y);
}

void Form1::Picture1_MouseMove(int16_t button, int16_t, float x, float y) {
    pickOnMouse(button, x, y);
}

void Form1::Picture1_MouseUp(int16_t button, int16_t, float x, float y) {
    pickOnMouse(button, x, y);
}

void Form1::pickOnMouse(int16_t button, float x, float y) {
    if (button < 1 || !vx_button2->Down())
        return;
    // Positions come from the window system and stay far inside the 32-bit
    // range; one that does not would be an overflow, like any conversion.
    DoColorPick(platform::toInt32(x), platform::toInt32(y), button);
}

void Form1::DoColorPick(int32_t x, int32_t y, int32_t button) {
    const HeldBuffer& held = module_.held();
    const std::optional<SampleIndex> sample =
        pickedSample(held.W, held.H, platform::toInt32(Picture1->ScaleWidth()),
                     platform::toInt32(Picture1->ScaleHeight()), x, y);
    if (!sample)
        return;
    const std::optional<Colour> colour = heldColourAt(held, *sample);
    if (!colour)
        return;
    const std::vector<host::Variant> rgb{int16_t{colour->red}, int16_t{colour->green},
                                         int16_t{colour->blue}};
    if (button == 1)
        module_.hostObject().Invoke(QStringLiteral("tal_setPrimaryColor"), rgb);
    else if (button == 2)
        module_.hostObject().Invoke(QStringLiteral("tal_setSecondaryColor"), rgb);
}

void Form1::Picture1_Click() {
    if (vx_button2->Down())
        return;
    const platform::HourglassGuard hourglass;
    module_.pasteOverlay();
}

void Form1::vx_button1_MouseUp(int16_t, int16_t, float, float) {
    menuHolder().Menu->popup(QCursor::pos());
}

} // namespace marrowset
