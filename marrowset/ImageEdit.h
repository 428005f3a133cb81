#pragma once

#include "automation/AutomationObject.h"
#include "automation/ByteArray.h"

#include <cstdint>

namespace marrowset {

// The planes of the host's current image, each fetched and stored whole.
enum class ImageChannel { Red, Green, Blue, Alpha };

// The image's size as the host reports it.
struct ImageSize {
    int32_t BW = 0;
    int32_t BH = 0;
};

// The host's current image as a colour command works on it: its size and its
// colour planes, each with the bounds the host gave it.
struct ImageColour {
    int32_t BW = 0;
    int32_t BH = 0;
    host::ByteArray red;
    host::ByteArray green;
    host::ByteArray blue;
};

// The start of every command that changes the image: the host's undo
// snapshot of the unchanged image (Tal_SaveUndo), then the image's width and
// height. A failing call, or a result of another type, throws
// (host::HostCallError, host::ResultTypeError, host::ResultValueError,
// platform::OverflowError)
// naming the method; the snapshot may have been taken by then.
ImageSize beginImageEdit(host::AutomationObject& hostObject);
// The image's size alone (Tal_BufferWidth, Tal_BufferHeight); a negative one
// is a host::ResultValueError naming the call.
ImageSize currentImageSize(host::AutomationObject& hostObject);

// One plane of the host's image, any two-dimensional byte array.
host::ByteArray fetchImagePlane(host::AutomationObject& hostObject, ImageChannel channel);
// Hands `plane` to the host as the image's `channel`; the plane is moved into
// the call, as planes of large images are megabytes.
void storeImagePlane(host::AutomationObject& hostObject, ImageChannel channel,
                     host::ByteArray&& plane);

// beginImageEdit, then the red, green and blue planes.
ImageColour beginColourEdit(host::AutomationObject& hostObject);
// The three planes handed back whole, red, green, blue, and the host's
// redraw (tal_Refresh).
void finishColourEdit(host::AutomationObject& hostObject, ImageColour&& image);

} // namespace marrowset
