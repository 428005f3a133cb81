#include "marrowset/Form1.h"

#include "maker/widgets/VxButton.h"
#include "marrowset/Eyedropper.h"
#include "marrowset/Form2.h"
#include "marrowset/Module1.h"
#include "marrowset/PictureCapture.h"
#include "marrowset/Preview.h"
#include "platform/FatalError.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "platform/ProgramTitle.h"
#include "plugin/DesignFonts.h"
#include "plugin/MouseEvents.h"

#include <QCloseEvent>
#include <cstdio>
#include <utility>

namespace marrowset {
namespace {

const QColor kFormBackColor(143, 149, 158);
const QColor kFunctionsBackColor(176, 176, 176);
constexpr double kFunctionsShading = 1.3;

void fillWith(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, color);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace

Form1::Form1(Module1& module, QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      module_(module), automation_(*this, operations()) {
    // Qt leaves tool windows out when it decides whether the last window has
    // closed; this one is the program's only window, so it counts again.
    setAttribute(Qt::WA_QuitOnClose, true);
    setWindowTitle(QString());
    fillWith(*this, kFormBackColor);
    setFont(plugin::designFont(plugin::DesignFace::Arial));
    resize(131, 124);
    createControls();
}

Form1::~Form1() = default;

void Form1::createControls() {
    Picture1 = new platform::PictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(0, 2, 102, 100);
    Picture1->setBackColor(kFormBackColor);
    Picture1->Cls();
    Picture1->installEventFilter(this);

    vx_button2 = new maker::VxButton(this);
    vx_button2->setObjectName(QStringLiteral("vx_button2"));
    vx_button2->setGeometry(0, 104, 19, 19);
    vx_button2->setLatching(true);
    vx_button2->setPicture(eyedropperPicture());

    vx_button1 = new maker::VxButton(this);
    vx_button1->setObjectName(QStringLiteral("vx_button1"));
    vx_button1->setGeometry(20, 104, 111, 19);
    vx_button1->setCaption(QStringLiteral("Functions..."));
    vx_button1->setBackColor(kFunctionsBackColor);
    vx_button1->setGradientShading(kFunctionsShading);
    connect(vx_button1, &maker::VxButton::MouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
                platform::runOrEnd(QStringLiteral("vx_button1_MouseUp"), [&] {
                    vx_button1_MouseUp(plugin::buttonBits(button), plugin::shiftBits(shift),
                                       static_cast<float>(x), static_cast<float>(y));
                });
            });
}

void Form1::Form_Load() {
    platform::runOrEnd(QStringLiteral("Form_Load"), [this] {
        show();
        module_.loadBrush();
        module_.loadCombineTable();
        CommandLineProcess();
        DisplayBrush();
    });
}

void Form1::CommandLineProcess() {
    const QString& text = module_.commandLine();
    if (text.isEmpty())
        return;
    PictureHolder& holder = menuHolder().Picture1;
    try {
        holder.setPicture(readCommandLinePicture(text));
        module_.hold(captureHeldBuffer(holder.Picture()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: cannot take the picture from %s: %s\n",
                     qPrintable(platform::programTitle()), qPrintable(pictureSource(text)),
                     error.what());
        std::fflush(stderr);
    }
    holder.clearPicture();
}

void Form1::DisplayBrush() {
    drawHeldBuffer(*Picture1, module_.held());
    Picture1->Refresh();
}

Form2& Form1::menuHolder() {
    if (!menuHolder_)
        menuHolder_ = std::make_unique<Form2>(module_);
    return *menuHolder_;
}

void Form1::Form_Unload() {
    menuHolder_.reset();
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

} // namespace marrowset
