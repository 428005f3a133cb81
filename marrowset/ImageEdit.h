#pragma once

#include "host/AutomationObject.h"
#include "host/ByteArray.h"

#include <cstdint>

namespace marrowset {

// The host's current image as a command works on it: its size as the host
// reports it and the colour planes it fetched, each with the bounds the host
// gave it.
struct ImageColour {
    int32_t BW = 0;
    int32_t BH = 0;
    host::ByteArray red;
    host::ByteArray green;
    host::ByteArray blue;
};

// The start of every command that changes the image's colour: the host's
// undo snapshot of the unchanged image (Tal_SaveUndo), then the image's
// width and height and its red, green and blue planes. A failing call, or a
// result of another type, throws (host::HostCallError, host::ResultTypeError,
// platform::OverflowError) naming the method; the snapshot may have been
// taken by then.
ImageColour beginColourEdit(host::AutomationObject& hostObject);

// The end: the three planes handed back whole, red, green, blue, and the
// host's redraw (tal_Refresh). The planes are moved into the calls.
void finishColourEdit(host::AutomationObject& hostObject, ImageColour&& image);

// One plane of the host's image by `method`: any two-dimensional byte array.
host::ByteArray fetchImagePlane(host::AutomationObject& hostObject, const QString& method);
// Hands `plane` to the host by `method`, moved into the call.
void storeImagePlane(host::AutomationObject& hostObject, const QString& method,
                     host::ByteArray&& plane);

} // namespace marrowset
