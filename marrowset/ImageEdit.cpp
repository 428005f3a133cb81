#include "marrowset/ImageEdit.h"

#include "automation/ResultConversions.h"

#include <array>
#include <utility>
#include <vector>

namespace marrowset {
namespace {

struct PlaneMethods {
    const char* fetch;
    const char* store;
};

// By ImageChannel.
constexpr std::array<PlaneMethods, 4> kPlaneMethods{{
    {"tal_GetRBuffer", "Tal_SetRBuffer"},
    {"tal_GetGBuffer", "Tal_SetGBuffer"},
    {"tal_GetBBuffer", "Tal_SetBBuffer"},
    {"Tal_GetABuffer", "Tal_SetaBuffer"},
}};

const PlaneMethods& methodsOf(ImageChannel channel) {
    return kPlaneMethods[static_cast<std::size_t>(channel)];
}

} // namespace

ImageSize beginImageEdit(host::AutomationObject& hostObject) {
    hostObject.Invoke(QStringLiteral("Tal_SaveUndo"));
    return currentImageSize(hostObject);
}

ImageSize currentImageSize(host::AutomationObject& hostObject) {
    const auto size = [&hostObject](const QString& method) {
        return host::resultToSize(method, hostObject.Invoke(method));
    };
    ImageSize image;
    image.BW = size(QStringLiteral("Tal_BufferWidth"));
    image.BH = size(QStringLiteral("Tal_BufferHeight"));
    return image;
}

host::ByteArray fetchImagePlane(host::AutomationObject& hostObject, ImageChannel channel) {
    const QString method = QString::fromLatin1(methodsOf(channel).fetch);
    return host::resultToArray(method, hostObject.Invoke(method), 2);
}

void storeImagePlane(host::AutomationObject& hostObject, ImageChannel channel,
                     host::ByteArray&& plane) {
    std::vector<host::Variant> args;
    args.emplace_back(std::move(plane));
    hostObject.Invoke(QString::fromLatin1(methodsOf(channel).store), args);
}

ImageColour beginColourEdit(host::AutomationObject& hostObject) {
    const ImageSize size = beginImageEdit(hostObject);
    ImageColour image;
    image.BW = size.BW;
    image.BH = size.BH;
    image.red = fetchImagePlane(hostObject, ImageChannel::Red);
    image.green = fetchImagePlane(hostObject, ImageChannel::Green);
    image.blue = fetchImagePlane(hostObject, ImageChannel::Blue);
    return image;
}

void finishColourEdit(host::AutomationObject& hostObject, ImageColour&& image) {
    storeImagePlane(hostObject, ImageChannel::Red, std::move(image.red));
    storeImagePlane(hostObject, ImageChannel::Green, std::move(image.green));
    storeImagePlane(hostObject, ImageChannel::Blue, std::move(image.blue));
    hostObject.Invoke(QStringLiteral("tal_Refresh"));
}

} // namespace marrowset
