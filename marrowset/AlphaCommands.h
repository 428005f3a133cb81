#pragma once

#include "automation/AutomationObject.h"
#include "automation/ByteArray.h"
#include "marrowset/HeldBuffer.h"
#include "marrowset/ImageEdit.h"

namespace marrowset {

// The two commands that write the image's alpha from the held buffer over
// their overlap, corners together: the undo snapshot, the image's size and
// alpha plane, the walk, the plane back whole, then the host's redraw, its
// marquee re-derived and its alpha switched on. The colour planes are
// untouched. Failing host calls throw.

// The buffer's own alpha.
void replaceAlpha(host::AutomationObject& hostObject, const HeldBuffer& held);
// The buffer's colour as a grey level: (red + green + blue) / 3, the
// fraction dropped.
void useImageAsAlpha(host::AutomationObject& hostObject, const HeldBuffer& held);

// The walks alone, on the fetched alpha plane of an image of `size`.
void replaceAlphaPlane(const HeldBuffer& held, ImageSize size, host::ByteArray& alpha);
void greyIntoAlphaPlane(const HeldBuffer& held, ImageSize size, host::ByteArray& alpha);

} // namespace marrowset
