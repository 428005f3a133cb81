#pragma once

#include "automation/AutomationObject.h"
#include "marrowset/CombineTable.h"
#include "marrowset/HeldBuffer.h"
#include "marrowset/ImageEdit.h"

#include <cstdint>

namespace marrowset {

// Merges the held buffer into the host's image under `mode` (0..9): the undo
// snapshot, the image's size and colour planes, then over the overlap of the
// buffer's columns 0..W and rows 0..H with the image, each colour sample d
// becomes the table's entry (held sample, d, mode); the planes go back whole
// and the host redraws. Alpha is untouched. std::out_of_range for a mode
// outside 0..9, before any host call; failing host calls throw.
void combine(host::AutomationObject& hostObject, const HeldBuffer& held, const CombineTable& table,
             int32_t mode);

// The walk alone, on planes already fetched.
void combinePlanes(const HeldBuffer& held, ImageColour& image, const CombineTable& table,
                   int32_t mode);

} // namespace marrowset
