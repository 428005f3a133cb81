#include "marrowset/ImageEdit.h"

#include "host/ResultConversions.h"

#include <utility>
#include <vector>

namespace marrowset {

host::ByteArray fetchImagePlane(host::AutomationObject& hostObject, const QString& method) {
    return host::resultToArray(method, hostObject.Invoke(method), 2);
}

void storeImagePlane(host::AutomationObject& hostObject, const QString& method,
                     host::ByteArray&& plane) {
    // A plane of a large image is megabytes: it goes into the call, not a
    // copy of it.
    std::vector<host::Variant> args;
    args.emplace_back(std::move(plane));
    hostObject.Invoke(method, args);
}

ImageColour beginColourEdit(host::AutomationObject& hostObject) {
    hostObject.Invoke(QStringLiteral("Tal_SaveUndo"));
    ImageColour image;
    image.BW = host::resultToInt32(QStringLiteral("Tal_BufferWidth"),
                                   hostObject.Invoke(QStringLiteral("Tal_BufferWidth")));
    image.BH = host::resultToInt32(QStringLiteral("Tal_BufferHeight"),
                                   hostObject.Invoke(QStringLiteral("Tal_BufferHeight")));
    image.red = fetchImagePlane(hostObject, QStringLiteral("tal_GetRBuffer"));
    image.green = fetchImagePlane(hostObject, QStringLiteral("tal_GetGBuffer"));
    image.blue = fetchImagePlane(hostObject, QStringLiteral("tal_GetBBuffer"));
    return image;
}

void finishColourEdit(host::AutomationObject& hostObject, ImageColour&& image) {
    storeImagePlane(hostObject, QStringLiteral("Tal_SetRBuffer"), std::move(image.red));
    storeImagePlane(hostObject, QStringLiteral("Tal_SetGBuffer"), std::move(image.green));
    storeImagePlane(hostObject, QStringLiteral("Tal_SetBBuffer"), std::move(image.blue));
    hostObject.Invoke(QStringLiteral("tal_Refresh"));
}

} // namespace marrowset
