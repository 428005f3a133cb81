#include "marrowset/Module1.h"

#include "automation/ResultConversions.h"
#include "marrowset/AlphaCommands.h"
#include "marrowset/Combine.h"
#include "marrowset/Form1.h"
#include "marrowset/Form2.h"
#include "marrowset/Pastes.h"
#include "marrowset/ReplaceBuffer.h"
#include "platform/MessageBox.h"
#include "plugin/WindowHandover.h"

#include <QCoreApplication>
#include <stdexcept>
#include <utility>

namespace marrowset {

Module1::Module1(plugin::WindowHandover& handover, QString commandLine)
    : handover_(handover), commandLine_(std::move(commandLine)) {}

Module1::~Module1() {
    menuHolder_.reset();
    if (mainWindow_)
        handover_.withdraw(*mainWindow_);
}

host::AutomationObject& Module1::hostObject() const {
    if (!hostObject_)
        throw std::logic_error("The host object is used before the start-up created it.");
    return *hostObject_;
}

plugin::StartUpOutcome Module1::startUp(const HostObjectFactory& createHostObject) {
    hostObject_ = createHostObject();
    held.W = host::resultToInt32(QStringLiteral("Tal_GetBrushWidth"),
                                 hostObject().Invoke(QStringLiteral("Tal_GetBrushWidth")));
    held.H = host::resultToInt32(QStringLiteral("Tal_GetBrushHeight"),
                                 hostObject().Invoke(QStringLiteral("Tal_GetBrushHeight")));
    // A negative size is no more a brush than an empty one.
    if (held.W <= 0 || held.H <= 0) {
        platform::showMessageBox(QStringLiteral("no custom brush"));
        return plugin::StartUpOutcome::Ended;
    }
    if (!mainWindow_)
        mainWindow_ = std::make_unique<Form1>(*this);
    hostObject().Invoke(QStringLiteral("Tal_SendFormObject"),
                        {handover_.handOver(*mainWindow_), int16_t{0}});
    // The host never touches the window object itself, so the window loads
    // as soon as the host holds it.
    mainWindow_->Form_Load();
    return plugin::StartUpOutcome::WindowsOpen;
}

Form2& Module1::menuHolder() {
    if (!menuHolder_)
        menuHolder_ = std::make_unique<Form2>(*this);
    return *menuHolder_;
}

void Module1::unloadMenuHolder() {
    menuHolder_.reset();
}

void Module1::closeMainWindow() {
    if (mainWindow_ && mainWindow_->isVisible())
        mainWindow_->close();
    else
        QCoreApplication::exit(0);
}

void Module1::pasteOverlay() {
    marrowset::pasteOverlay(hostObject(), held);
}

void Module1::pasteCentred() {
    marrowset::pasteCentred(hostObject(), held);
}

void Module1::pasteScaled() {
    marrowset::pasteScaled(hostObject(), held);
}

void Module1::combine(int32_t mode) {
    if (!combineLayout)
        throw std::logic_error("A combine ran before the load step fetched the combine table.");
    marrowset::combine(hostObject(), held, CombineTable{combineTable, *combineLayout}, mode);
}

void Module1::replaceAlpha() {
    marrowset::replaceAlpha(hostObject(), held);
}

void Module1::useImageAsAlpha() {
    marrowset::useImageAsAlpha(hostObject(), held);
}

void Module1::addChannel(ImageChannel channel) {
    marrowset::addChannel(hostObject(), held, channel);
}

void Module1::useAsGreyscale(GreyComponent component) {
    marrowset::useAsGreyscale(hostObject(), held, component, filterRoutines);
}

void Module1::replaceBuffer() {
    marrowset::replaceBuffer(hostObject(), held);
}

} // namespace marrowset
