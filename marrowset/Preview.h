#pragma once

#include "marrowset/HeldBuffer.h"
#include "platform/DrawTarget.h"

namespace marrowset {

// Draws the held buffer's red, green and blue samples of columns 0..W and
// rows 0..H, scaled to fill the target's drawing area, through the preview
// blitter; alpha is not shown. Planes that hold only part of that range show
// the part they hold. Nothing is drawn while W or H is 0, before the planes
// are held, or when they hold none of the range. Does not refresh the
// target; throws what the blitter throws.
void drawHeldBuffer(platform::DrawTarget& target, const HeldBuffer& held);

} // namespace marrowset
