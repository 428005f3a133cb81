// The main window's controls and their places, in pixels of the container
// each sits in (designed in twips at 15 to a pixel), and how they follow the
// window's size.
#include "cinderloom/Cinderloom.h"
#include "cinderloom/SlotMarker.h"
#include "cinderloom/WindowLayoutRules.h"
#include "maker/widgets/HPropScroller.h"
#include "maker/widgets/VxButton.h"
#include "maker/widgets/VxDropSlider.h"
#include "platform/FatalError.h"
#include "platform/PictureBox.h"
#include "plugin/DesignFonts.h"
#include "plugin/Twips.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <algorithm>

namespace cinderloom {
namespace {

const QColor kRulerBackground(255, 224, 192);
const QColor kScrollerFill(143, 149, 158);
const QColor kScrollerBar(224, 224, 224);
const QColor kShootBackground(255, 192, 128);
const QColor kEngravedDark(64, 64, 64);

const QString kViewToolTip =
    QStringLiteral("Select the frame you want to apply to the new role of film.");
const QString kRetrieveToolTip =
    QStringLiteral("Reload frames from the main program.  (Note, if you've rendered frames with "
                   "\"shoot it\" then you will have to reload your original animaiton frames "
                   "before using this feature)");

void fillWith(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, color);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

QLabel* makeLabel(QWidget* parent, const QString& text, int left, int top, int width, int height) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(left, top, width, height);
    return label;
}

maker::VxButton* makeButton(QWidget* parent, const QString& caption, int left, int top, int width,
                            int height) {
    auto* button = new maker::VxButton(parent);
    button->setCaption(caption);
    button->setGeometry(left, top, width, height);
    return button;
}

// A container with a sunken border of 2 pixels on black; its children are
// placed relative to the area inside the border.
QFrame* makeContainer(QWidget* parent, int left, int top) {
    auto* container = new QFrame(parent);
    container->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    container->setLineWidth(2);
    fillWith(*container, Qt::black);
    container->setGeometry(left, top, 757, 123);
    return container;
}

void placeInside(QFrame& container, QWidget& child, int left, int top, int width, int height) {
    const QPoint inner = container.contentsRect().topLeft();
    child.setGeometry(inner.x() + left, inner.y() + top, width, height);
}

platform::PictureBox* makeView(QFrame& container, const QColor& background) {
    auto* view = new platform::PictureBox(&container);
    view->setBackColor(background);
    view->Cls();
    view->setToolTip(kViewToolTip);
    return view;
}

platform::PictureBox* makeRuler(QFrame& container) {
    auto* ruler = new platform::PictureBox(&container);
    ruler->setBackColor(kRulerBackground);
    ruler->Cls();
    placeInside(container, *ruler, 0, 82, 729, 17);
    return ruler;
}

maker::HPropScroller* makeScroller(QFrame& container) {
    auto* scroller = new maker::HPropScroller(&container);
    scroller->setBackColor(kScrollerFill);
    scroller->setForeColor(kScrollerBar);
    placeInside(container, *scroller, 0, 100, 753, 19);
    return scroller;
}

// One pixel high; two of them make an engraved separator.
QWidget* makeLine(QWidget* parent, const QColor& color, int fromX, int toX, int y) {
    auto* line = new QWidget(parent);
    fillWith(*line, color);
    line->setGeometry(fromX, y, toX - fromX + 1, 1);
    return line;
}

} // namespace

void Cinderloom::createControls() {
    setFont(plugin::designFont());

    createStripGroup();
    createFilmGroup();
    createBottomRow();

    Image1 = new QLabel(this);
    Image1->setGeometry(700, 0, 37, 29);
    // Only the picture and its size serve, as the tile of the backdrop.
    Image1->hide();
}

void Cinderloom::createStripGroup() {
    Label1 = makeLabel(this, QStringLiteral("Your cells"), 8, 10, 57, 17);
    vx_button1 = makeButton(this, QStringLiteral("Retrieve..."), 94, 8, 75, 17);
    vx_button1->setToolTip(kRetrieveToolTip);

    Picture3 = makeContainer(this, 8, 34);
    Picture1 = makeView(*Picture3, Qt::white);
    placeInside(*Picture3, *Picture1, 0, 2, 733, 77);
    Picture7 = makeRuler(*Picture3);
    HProp1 = makeScroller(*Picture3);
}

void Cinderloom::createFilmGroup() {
    Label2 = makeLabel(this, QStringLiteral("New roll of film"), 8, 166, 79, 19);

    Picture5 = makeContainer(this, 8, 192);
    Picture2 = makeView(*Picture5, Qt::black);
    placeInside(*Picture5, *Picture2, 0, 2, 729, 77);
    PlayedSlotMarker = new SlotMarker(Picture2);
    Picture4 = makeRuler(*Picture5);
    HProp2 = makeScroller(*Picture5);
}

void Cinderloom::createBottomRow() {
    Line1 = makeLine(this, kEngravedDark, 6, 396, 362);
    Line2 = makeLine(this, Qt::white, 6, 396, 364);

    Check1 = new QCheckBox(this);
    Check1->setGeometry(12, 332, 13, 13);
    Label5 = makeLabel(this, QStringLiteral("Wiggle hold"), 28, 332, 65, 17);

    Label3 = makeLabel(this, QStringLiteral("Amount of wiggle"), 106, 332, 85, 15);
    VX_DropSlider1 = new maker::VxDropSlider(this);
    VX_DropSlider1->setMax(32);
    VX_DropSlider1->setValue(16);
    VX_DropSlider1->setGeometry(196, 330, 53, 19);

    Label4 = makeLabel(this, QStringLiteral("Size of wiggle"), 264, 332, 77, 15);
    VX_DropSlider2 = new maker::VxDropSlider(this);
    VX_DropSlider2->setMin(1);
    VX_DropSlider2->setMax(20);
    VX_DropSlider2->setValue(4);
    VX_DropSlider2->setGeometry(338, 330, 53, 19);

    vx_button2 = makeButton(this, QStringLiteral("Shoot it"), 8, 376, 105, 21);
    vx_button2->setBackColor(kShootBackground);
    vx_button3 = makeButton(this, QStringLiteral("Done"), 142, 376, 105, 21);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setGeometry(0, 407, 886, 17);
}

std::vector<QWidget*> Cinderloom::Controls() const {
    return {Label1,         vx_button1, Picture3,   Picture1,   Picture7,       HProp1,
            Label2,         Picture5,   Picture2,   Picture4,   HProp2,         Line1,
            Line2,          Check1,     Label5,     Label3,     VX_DropSlider1, Label4,
            VX_DropSlider2, vx_button2, vx_button3, StatusBar1, Image1};
}

void Cinderloom::Form_Resize() {
    // The height at load was taken before the window system framed the
    // window, when outer and inner size are the same, so it is the height of
    // the drawing area. Before the load it is not known yet.
    if (formHeightAtLoad_ > 0) {
        const int heightAtLoad = std::max(plugin::twipsToPixels(formHeightAtLoad_), 0);
        if (height() != heightAtLoad)
            resize(width(), heightAtLoad);
    }
    const int frameWidth = frameGeometry().width() - width();
    setMinimumWidth(minimumClientWidth(frameWidth));
    // A minimum width that the window system did not honour yet would give a
    // group too narrow for its children; such a width is skipped.
    const int groupWidth = groupWidthFor(frameGeometry().width());
    if (groupWidth < kMinimumGroupWidth)
        return;
    Picture3->resize(groupWidth, Picture3->height());
    Picture5->resize(groupWidth, Picture5->height());
}

void Cinderloom::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The status bar is docked along the bottom edge over the full width.
    StatusBar1->setGeometry(0, height() - StatusBar1->height(), width(), StatusBar1->height());
    platform::runOrEnd(QStringLiteral("Form_Resize"), [this] { Form_Resize(); });
}

void Cinderloom::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (centredOnce_)
        return;
    centredOnce_ = true;
    if (const QScreen* display = screen()) {
        QRect outer = frameGeometry();
        outer.moveCenter(display->availableGeometry().center());
        move(outer.topLeft());
    }
}

} // namespace cinderloom
