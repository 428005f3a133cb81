#include "tallowick/documents/Document.h"

#include <utility>

namespace tallowick {

Document::Document(QString name, std::vector<RgbaFrame> frames)
    : name_(std::move(name)), frames_(std::move(frames)) {
    if (frames_.empty())
        throw DocumentError(
            QStringLiteral("Document \"%1\" has no frames").arg(name_).toStdString());
    const RgbaFrame& first = frames_.front();
    for (std::size_t i = 1; i < frames_.size(); ++i) {
        const RgbaFrame& frame = frames_[i];
        if (frame.width() != first.width() || frame.height() != first.height())
            throw DocumentError(QStringLiteral("Document \"%1\": frame %2 is %3 x %4 pixels, but "
                                               "frame 0 is %5 x %6; all frames must have one size")
                                    .arg(name_)
                                    .arg(i)
                                    .arg(frame.width())
                                    .arg(frame.height())
                                    .arg(first.width())
                                    .arg(first.height())
                                    .toStdString());
    }
}

Document Document::sharedCopy() const {
    std::vector<RgbaFrame> frames;
    frames.reserve(frames_.size());
    for (const RgbaFrame& frame : frames_)
        frames.push_back(frame.sharedCopy());
    return Document(name_, std::move(frames));
}

} // namespace tallowick
