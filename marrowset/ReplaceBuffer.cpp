#include "marrowset/ReplaceBuffer.h"

#include "marrowset/ImageEdit.h"
#include "platform/Conversions.h"
#include "platform/MessageBox.h"

#include <utility>
#include <vector>

namespace marrowset {
namespace {

// Hands a held plane to the host without copying it: the plane travels in
// the call's arguments and comes back into the held buffer whatever the
// call does, as the call only reads its arguments.
void storeHeldPlane(host::AutomationObject& hostObject, const QString& method,
                    host::ByteArray& plane) {
    std::vector<host::Variant> args;
    args.emplace_back(std::move(plane));
    const auto takeBack = [&] { plane = std::move(std::get<host::ByteArray>(args.front())); };
    try {
        hostObject.Invoke(method, args);
    } catch (...) {
        takeBack();
        throw;
    }
    takeBack();
}

} // namespace

void replaceBuffer(host::AutomationObject& hostObject, HeldBuffer& held) {
    if (held.W > kLargestNewImageSide || held.H > kLargestNewImageSide) {
        platform::showMessageBox(
            QStringLiteral("The picture of %1 × %2 pixels is too large for a new image (at most "
                           "%3 × %3).")
                .arg(held.W)
                .arg(held.H)
                .arg(kLargestNewImageSide));
        return;
    }
    const auto answer = platform::showMessageBox(
        QStringLiteral("Replace the existing buffer?"), platform::MessageBoxButtons::OkCancel,
        platform::MessageBoxIcon::None, platform::MessageBoxAnswer::Ok);
    if (answer != platform::MessageBoxAnswer::Ok)
        return;

    const ImageSize image = currentImageSize(hostObject);
    if (image.BW != held.W || image.BH != held.H)
        hostObject.Invoke(QStringLiteral("Tal_NewBuffer"),
                          {platform::toInt16(held.W), platform::toInt16(held.H)});
    hostObject.Invoke(QStringLiteral("Tal_SaveUndo"));
    storeHeldPlane(hostObject, QStringLiteral("Tal_SetaBuffer"), held.alpha);
    storeHeldPlane(hostObject, QStringLiteral("Tal_SetRBuffer"), held.red);
    storeHeldPlane(hostObject, QStringLiteral("Tal_SetGBuffer"), held.green);
    storeHeldPlane(hostObject, QStringLiteral("Tal_SetBBuffer"), held.blue);
    hostObject.Invoke(QStringLiteral("Tal_Initmarquee"));
    hostObject.Invoke(QStringLiteral("tal_alphaon"));
}

} // namespace marrowset
