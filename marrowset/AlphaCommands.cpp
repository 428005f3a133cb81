#include "marrowset/AlphaCommands.h"

#include "marrowset/PlaneRegion.h"

#include <cstring>
#include <utility>

namespace marrowset {
namespace {

template <typename Walk>
void editAlpha(host::AutomationObject& hostObject, const HeldBuffer& held, Walk walk) {
    const ImageSize size = beginImageEdit(hostObject);
    host::ByteArray alpha = fetchImagePlane(hostObject, ImageChannel::Alpha);
    walk(held, size, alpha);
    storeImagePlane(hostObject, ImageChannel::Alpha, std::move(alpha));
    hostObject.Invoke(QStringLiteral("tal_Refresh"));
    hostObject.Invoke(QStringLiteral("Tal_Initmarquee"));
    hostObject.Invoke(QStringLiteral("tal_alphaon"));
}

} // namespace

void replaceAlphaPlane(const HeldBuffer& held, ImageSize size, host::ByteArray& alpha) {
    const IndexRect region =
        overlapRegion(held.W, held.H, size.BW, size.BH, {&held.alpha}, {&alpha});
    forEachRow(
        region,
        [](std::size_t count, const uint8_t* source, uint8_t* target) {
            std::memcpy(target, source, count);
        },
        held.alpha, alpha);
}

void greyIntoAlphaPlane(const HeldBuffer& held, ImageSize size, host::ByteArray& alpha) {
    const IndexRect region = overlapRegion(held.W, held.H, size.BW, size.BH,
                                           {&held.red, &held.green, &held.blue}, {&alpha});
    forEachRow(
        region,
        [](std::size_t count, const uint8_t* red, const uint8_t* green, const uint8_t* blue,
           uint8_t* target) {
            for (std::size_t i = 0; i < count; ++i)
                target[i] = static_cast<uint8_t>((red[i] + green[i] + blue[i]) / 3);
        },
        held.red, held.green, held.blue, alpha);
}

void replaceAlpha(host::AutomationObject& hostObject, const HeldBuffer& held) {
    editAlpha(hostObject, held, replaceAlphaPlane);
}

void useImageAsAlpha(host::AutomationObject& hostObject, const HeldBuffer& held) {
    editAlpha(hostObject, held, greyIntoAlphaPlane);
}

} // namespace marrowset
