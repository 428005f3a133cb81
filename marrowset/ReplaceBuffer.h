#pragma once

#include "automation/AutomationObject.h"
#include "marrowset/HeldBuffer.h"

#include <cstdint>

namespace marrowset {

// The largest width and height of an image the host can be asked to create.
inline constexpr int32_t kLargestNewImageSide = 32767;

// "Replace existing image (creates new image)": after the user confirms, the
// held buffer becomes the host's current image, colour and alpha, in a new
// image of its size where the current one differs in either direction.
// Then the undo snapshot, the four held planes handed over whole as they are
// (alpha, red, green, blue), the marquee re-derived and alpha switched on.
// Cancel, or a buffer too large for a new image (told in a message box),
// makes no host call. The held buffer comes back unchanged, also when a
// call fails; failing calls throw.
void replaceBuffer(host::AutomationObject& hostObject, HeldBuffer& held);

} // namespace marrowset
