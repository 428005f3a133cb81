#include "marrowset/Form2.h"

#include "host/CombineTableLayout.h"
#include "marrowset/Module1.h"
#include "platform/FatalError.h"

#include <QAction>
#include <QMenu>

namespace marrowset {
namespace {

QAction* addItem(QMenu* menu, const char* name, const char* caption) {
    QAction* item = menu->addAction(QString::fromUtf8(caption));
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

void addSeparator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

QMenu* addSubmenu(QMenu* menu, const char* name, const char* caption) {
    QMenu* submenu = menu->addMenu(QString::fromUtf8(caption));
    submenu->setObjectName(QString::fromLatin1(name));
    submenu->menuAction()->setObjectName(QString::fromLatin1(name));
    return submenu;
}

} // namespace

Form2::Form2(Module1& module) : module_(module) {
    createMenu();
    connect(Overlay, &QAction::triggered, this, [this] { Overlay_Click(); });
    connect(RI_Center, &QAction::triggered, this, [this] { RI_Center_Click(); });
    connect(RI_Scale, &QAction::triggered, this, [this] { RI_Scale_Click(); });
}

void Form2::createMenu() {
    Menu = new QMenu(this);
    Menu->setObjectName(QStringLiteral("Menu"));
    Overlay = addItem(Menu, "Overlay", "Paste image");
    RI_Center = addItem(Menu, "RI_Center", "Paste image (Center)");
    RI_Scale = addItem(Menu, "RI_Scale", "Paste image (Scale to buffer)");
    Add = addSubmenu(Menu, "Add", "Combine");
    for (int index = 1; index <= host::kCombineModes; ++index) {
        QAction* mode = addItem(Add, "CombineModes", host::kCombineModeCaptions[index - 1]);
        mode->setProperty("Index", index);
        CombineModes[static_cast<std::size_t>(index - 1)] = mode;
    }
    addSeparator(Menu, "alphabar");
    ReplaceAlpha = addItem(Menu, "ReplaceAlpha", "Replace alpha");
    UseAsAlpha = addItem(Menu, "UseAsAlpha", "Use image as alpha");
    addSeparator(Menu, "bar0");
    Replacebuffer = addItem(Menu, "Replacebuffer", "Replace existing image (creates new image)");
    addSeparator(Menu, "bar");
    RGBchannels = addSubmenu(Menu, "RGBchannels", "RGB channels");
    Addred = addItem(RGBchannels, "Addred", "Add red channel");
    Addgreen = addItem(RGBchannels, "Addgreen", "Add green channel");
    Addblue = addItem(RGBchannels, "Addblue", "Add blue channel");
    addSeparator(RGBchannels, "bar2");
    UseRed = addItem(RGBchannels, "UseRed", "Use red (as greyscale)");
    UseGreen = addItem(RGBchannels, "UseGreen", "Use green (as greyscale)");
    UseBlue = addItem(RGBchannels, "UseBlue", "Use blue (as greyscale)");
    HSVChannels = addSubmenu(Menu, "HSVChannels", "HSV channels");
    UseHue = addItem(HSVChannels, "UseHue", "Use hue (as greyscale)");
    UseSat = addItem(HSVChannels, "UseSat", "Use saturation (as greyscale)");
    UseValue = addItem(HSVChannels, "UseValue", "Use value (as greyscale)");
    YUVChannels = addSubmenu(Menu, "YUVChannels", "YUV channels");
    Usey = addItem(YUVChannels, "Usey", "Use Y (as greyscale)");
    UseU = addItem(YUVChannels, "UseU", "Use U (as greyscale)");
    UseV = addItem(YUVChannels, "UseV", "Use V (as greyscale)");

    // The combine, alpha, replace and channel commands come with the next
    // piece of work; until then they show but cannot be chosen.
    for (QAction* pending : CombineModes)
        pending->setEnabled(false);
    for (QAction* pending : {ReplaceAlpha, UseAsAlpha, Replacebuffer, Addred, Addgreen, Addblue,
                             UseRed, UseGreen, UseBlue, UseHue, UseSat, UseValue, Usey, UseU, UseV})
        pending->setEnabled(false);
}

void Form2::Overlay_Click() {
    platform::runOrEnd(QStringLiteral("Overlay_Click"), [this] { module_.pasteOverlay(); });
}

void Form2::RI_Center_Click() {
    platform::runOrEnd(QStringLiteral("RI_Center_Click"), [this] { module_.pasteCentred(); });
}

void Form2::RI_Scale_Click() {
    platform::runOrEnd(QStringLiteral("RI_Scale_Click"), [this] { module_.pasteScaled(); });
}

} // namespace marrowset
