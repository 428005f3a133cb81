#pragma once

#include "marrowset/HeldBuffer.h"

#include <QImage>
#include <QString>
#include <stdexcept>

namespace marrowset {

// A picture that cannot be taken; the message gives the reason.
class CaptureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether the command-line text names the clipboard: "CLIPBOARD" in any case,
// the whole text with nothing around it. Any other text is a file's path,
// taken as it stands.
bool namesClipboard(const QString& text);
// What the text names, for messages: "the clipboard" or the path.
QString pictureSource(const QString& text);

// The picture the command-line text names: the clipboard's or the file's. CaptureError when there
// is none or it cannot be read: a missing file, one that is not a picture,
// one the platform refuses (damaged, or beyond its allocation limit), or a
// clipboard without a picture.
QImage readCommandLinePicture(const QString& text);

// A held buffer of the picture: W and H its width and height, four planes of
// columns 0..W and rows 0..H from 0 holding its colours, the extra column W
// and row H white, alpha 255 throughout. host::ByteArrayError when the
// planes cannot be allocated.
HeldBuffer captureHeldBuffer(const QImage& picture);

} // namespace marrowset
