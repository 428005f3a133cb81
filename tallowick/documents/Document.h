#pragma once

#include "tallowick/documents/RgbaFrame.h"

#include <QString>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tallowick {

// Frames that cannot form one document: none at all, or of different sizes.
class DocumentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An animation of one or more frames of one size; a still picture is a
// document of one frame. The name is what the host window lists.
class Document {
public:
    // DocumentError when `frames` is empty or a frame's size differs from the
    // first one's (the message names the frame's index and both sizes).
    Document(QString name, std::vector<RgbaFrame> frames);

    const QString& name() const { return name_; }
    int32_t width() const { return frames_.front().width(); }
    int32_t height() const { return frames_.front().height(); }
    int frameCount() const { return static_cast<int>(frames_.size()); }

    // `index` must lie in 0..frameCount()-1; callers check.
    const RgbaFrame& frame(int index) const { return frames_[static_cast<std::size_t>(index)]; }
    RgbaFrame& frame(int index) { return frames_[static_cast<std::size_t>(index)]; }
    const std::vector<RgbaFrame>& frames() const { return frames_; }

    // The same frames under another name.
    Document renamed(QString name) && { return Document(std::move(name), std::move(frames_)); }

    // The same document, every frame a sharedCopy(): a snapshot taken in the
    // time of a few allocations, whatever the frames hold.
    Document sharedCopy() const;

private:
    QString name_;
    std::vector<RgbaFrame> frames_;
};

} // namespace tallowick
