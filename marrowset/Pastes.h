#pragma once

#include "automation/AutomationObject.h"
#include "marrowset/HeldBuffer.h"
#include "marrowset/ImageEdit.h"

namespace marrowset {

// The three pastes of the held buffer into the host's current image, as
// plain colour: the undo snapshot, the image's size and colour planes, the
// walk, the planes handed back and the host's redraw. Alpha, of the image
// and of the buffer, is neither read nor written; the buffer is not changed.
// Failing host calls throw (see beginColourEdit).

// Held pixel (x, y) onto image pixel (x, y), the extra column W and row H
// included, where both exist.
void pasteOverlay(host::AutomationObject& hostObject, const HeldBuffer& held);
// The held buffer's columns 0..W-1 and rows 0..H-1 centred on the image,
// unscaled; a buffer larger than the image is cropped on every side.
void pasteCentred(host::AutomationObject& hostObject, const HeldBuffer& held);
// The held buffer stretched over the whole image, bilinearly: image pixel
// (x, y) samples the buffer at (x * W / BW, y * H / BH).
void pasteScaled(host::AutomationObject& hostObject, const HeldBuffer& held);

// The walks alone, on planes already fetched. Each clips to the bounds of
// every plane taking part: pixels whose samples a plane lacks stay as they
// are.
void overlayPlanes(const HeldBuffer& held, ImageColour& image);
void centrePlanes(const HeldBuffer& held, ImageColour& image);
void scalePlanes(const HeldBuffer& held, ImageColour& image);

} // namespace marrowset
