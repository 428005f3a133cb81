#include "marrowset/Module1.h"

#include "automation/ResultConversions.h"
#include "marrowset/AlphaCommands.h"
#include "marrowset/Combine.h"
#include "marrowset/Pastes.h"
#include "marrowset/ReplaceBuffer.h"

#include <stdexcept>
#include <utility>

namespace marrowset {

Module1::Module1(QString commandLine) : commandLine_(std::move(commandLine)) {}

void Module1::connect(const HostObjectFactory& createHostObject) {
    hostObject_ = createHostObject();
}

host::AutomationObject& Module1::hostObject() const {
    if (!hostObject_)
        throw std::logic_error("The host object is used before the start-up created it.");
    return *hostObject_;
}

Module1::BrushSize Module1::readBrushSize(SizeConversion toSize) const {
    const auto read = [this, toSize](const QString& method) {
        return toSize(method, hostObject().Invoke(method));
    };
    BrushSize size;
    size.W = read(QStringLiteral("Tal_GetBrushWidth"));
    size.H = read(QStringLiteral("Tal_GetBrushHeight"));
    return size;
}

bool Module1::holdBrushSize() {
    const BrushSize size = readBrushSize(host::resultToInt32);
    held_.W = size.W;
    held_.H = size.H;
    // A negative size is no more a brush than an empty one.
    return size.W > 0 && size.H > 0;
}

void Module1::loadBrush() {
    const auto plane = [this](const QString& method) {
        return host::resultToArray(method, hostObject().Invoke(method), 2);
    };
    // The host said at the start-up that it holds a brush: a negative size
    // now is its fault.
    const BrushSize size = readBrushSize(host::resultToSize);
    // Built aside and held whole, so that W and H always describe the planes
    // held with them.
    HeldBuffer brush;
    brush.W = size.W;
    brush.H = size.H;
    brush.alpha = plane(QStringLiteral("Tal_GetbrushABuffer"));
    brush.red = plane(QStringLiteral("tal_GetbrushRBuffer"));
    brush.green = plane(QStringLiteral("tal_GetbrushGBuffer"));
    brush.blue = plane(QStringLiteral("tal_GetbrushBBuffer"));
    held_ = std::move(brush);
}

void Module1::loadCombineTable() {
    const QString method = QStringLiteral("tal_initluts");
    combineTable_.emplace(method, host::resultToArray(method, hostObject().Invoke(method), 3));
}

HeldBuffer Module1::hold(HeldBuffer buffer) {
    return std::exchange(held_, std::move(buffer));
}

void Module1::pasteOverlay() {
    marrowset::pasteOverlay(hostObject(), held_);
}

void Module1::pasteCentred() {
    marrowset::pasteCentred(hostObject(), held_);
}

void Module1::pasteScaled() {
    marrowset::pasteScaled(hostObject(), held_);
}

void Module1::combine(int32_t mode) {
    if (!combineTable_)
        throw std::logic_error("A combine ran before the load step fetched the combine table.");
    marrowset::combine(hostObject(), held_, *combineTable_, mode);
}

void Module1::replaceAlpha() {
    marrowset::replaceAlpha(hostObject(), held_);
}

void Module1::useImageAsAlpha() {
    marrowset::useImageAsAlpha(hostObject(), held_);
}

void Module1::addChannel(ImageChannel channel) {
    marrowset::addChannel(hostObject(), held_, channel);
}

void Module1::useAsGreyscale(GreyComponent component) {
    marrowset::useAsGreyscale(hostObject(), held_, component, filterRoutines);
}

void Module1::replaceBuffer() {
    marrowset::replaceBuffer(hostObject(), held_);
}

} // namespace marrowset
