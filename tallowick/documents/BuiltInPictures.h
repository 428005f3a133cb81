#pragma once

#include "tallowick/documents/Document.h"
#include "tallowick/documents/RgbaFrame.h"

#include <QImage>
#include <QString>
#include <stdexcept>

namespace tallowick {

// The built-in wallpaper cannot be written.
class WallpaperError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr int kDemoFrames = 12;
inline constexpr int kDemoWidth = 320;
inline constexpr int kDemoHeight = 240;

// 12 opaque frames of 320 x 240, frame i showing the number i in large
// segment digits, each frame in a colour of its own on a light ground.
Document demoAnimation();
// A 64 x 48 brush: a colour sweep from red on the left to blue on the right,
// inside an elliptical alpha that is opaque in the middle and fades out
// towards the edges.
RgbaFrame builtInBrush();
// A 64 x 64 tile of two soft tones.
QImage builtInWallpaperTile();

// The host's data folder: $XDG_DATA_HOME/tallowick (by default
// ~/.local/share/tallowick).
QString hostDataFolder();
// Writes the built-in tile as wallpaper.png into `folder`, creating it, and
// returns the file's full name; WallpaperError naming the file otherwise.
QString writeBuiltInWallpaper(const QString& folder);

} // namespace tallowick
