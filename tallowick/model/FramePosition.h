#pragma once

namespace tallowick {

// Which open document, and which of its frames, is "the current image" for
// one viewer of the host's documents: the host window, or one program on the
// bus. Documents are never closed and frames never removed, so a position
// once valid stays valid.
struct FramePosition {
    int document = 0;
    int frame = 0;
    bool operator==(const FramePosition&) const = default;
};

} // namespace tallowick
