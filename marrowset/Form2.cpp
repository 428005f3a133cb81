#include "marrowset/Form2.h"

#include "automation/CombineTableLayout.h"
#include "marrowset/Module1.h"
#include "platform/FatalError.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QMenu>
#include <functional>
#include <utility>

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
    connectCommands();
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
}

void Form2::connectCommands() {
    connect(Overlay, &QAction::triggered, this, [this] { Overlay_Click(); });
    connect(RI_Center, &QAction::triggered, this, [this] { RI_Center_Click(); });
    connect(RI_Scale, &QAction::triggered, this, [this] { RI_Scale_Click(); });
    for (QAction* mode : CombineModes)
        connect(mode, &QAction::triggered, this, [this, mode] {
            CombineModes_Click(static_cast<int16_t>(mode->property("Index").toInt()));
        });

    // The other commands by their items; each runs as that item's Click.
    const auto command = [this](QAction* item, std::function<void(Module1&)> work) {
        connect(item, &QAction::triggered, this, [this, item, work = std::move(work)] {
            platform::runOrEnd(item->objectName() + QStringLiteral("_Click"),
                               [&] { work(module_); });
        });
    };
    command(ReplaceAlpha, [](Module1& m) { m.replaceAlpha(); });
    command(UseAsAlpha, [](Module1& m) { m.useImageAsAlpha(); });
    command(Replacebuffer, [](Module1& m) { m.replaceBuffer(); });
    command(Addred, [](Module1& m) { m.addChannel(ImageChannel::Red); });
    command(Addgreen, [](Module1& m) { m.addChannel(ImageChannel::Green); });
    command(Addblue, [](Module1& m) { m.addChannel(ImageChannel::Blue); });

    // A grey level out of range can only come from a conversion routine
    // outside its contract: the command stops with the image as it was, and
    // the program goes on.
    const auto greyscale = [this, command](QAction* item, GreyComponent component) {
        command(item, [item, component](Module1& m) {
            try {
                m.useAsGreyscale(component);
            } catch (const GreyLevelError& error) {
                platform::showMessageBox(QStringLiteral("%1: %2 The image is left as it was.")
                                             .arg(item->text(), QString::fromUtf8(error.what())),
                                         platform::MessageBoxButtons::Ok,
                                         platform::MessageBoxIcon::Critical);
            }
        });
    };
    greyscale(UseRed, GreyComponent::Red);
    greyscale(UseGreen, GreyComponent::Green);
    greyscale(UseBlue, GreyComponent::Blue);
    greyscale(UseHue, GreyComponent::Hue);
    greyscale(UseSat, GreyComponent::Saturation);
    greyscale(UseValue, GreyComponent::Value);
    greyscale(Usey, GreyComponent::Y);
    greyscale(UseU, GreyComponent::U);
    greyscale(UseV, GreyComponent::V);
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

void Form2::CombineModes_Click(int16_t Index) {
    platform::runOrEnd(QStringLiteral("CombineModes_Click"),
                       [this, Index] { module_.combine(static_cast<int16_t>(Index - 1)); });
}

} // namespace marrowset
