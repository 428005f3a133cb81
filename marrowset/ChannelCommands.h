#pragma once

#include "automation/AutomationObject.h"
#include "marrowset/HeldBuffer.h"
#include "marrowset/ImageEdit.h"

#include <stdexcept>
#include <string>

namespace marrowset {

// A routine of the filter library that converts one colour, each component a
// fraction 0..1, into three others (hue, saturation, value or Y, U, V).
using ColourConversion = void (*)(float r, float g, float b, float* first, float* second,
                                  float* third);

// Where the greyscale commands find the filter library's two conversions:
// each is asked for its routine when a command first needs it, which binds
// the library in the program.
struct FilterRoutines {
    ColourConversion (*rgbToHsv)();
    ColourConversion (*rgbToYuv)();
};
// The library's own, bound lazily by name.
FilterRoutines boundFilterRoutines();

// The held buffer's component that a greyscale command puts into the image.
enum class GreyComponent { Red, Green, Blue, Hue, Saturation, Value, Y, U, V };

// A grey level that does not round into 0..255; only a conversion routine
// outside its contract can produce one.
class GreyLevelError : public std::range_error {
public:
    explicit GreyLevelError(double level);
    double level() const { return level_; }

private:
    double level_;
};

// Adds the held buffer's red, green or blue plane onto the same plane of the
// image over their overlap, a sum above 255 becoming 255: the undo snapshot,
// the image's size and that one plane, the walk, the plane back whole and
// the host's redraw. std::invalid_argument for the alpha channel.
void addChannel(host::AutomationObject& hostObject, const HeldBuffer& held, ImageChannel channel);

// Turns the image, where the held buffer overlaps it, into a grey picture of
// one component of the buffer: the undo snapshot, the image's size and its
// three colour planes, the walk (one conversion call per pixel for hue,
// saturation, value, Y, U and V), the planes back whole and the host's
// redraw. A level that rounds outside 0..255 throws GreyLevelError before
// any plane is handed back, so the image stays as it was.
void useAsGreyscale(host::AutomationObject& hostObject, const HeldBuffer& held,
                    GreyComponent component, const FilterRoutines& routines);

// The walks alone, on planes already fetched.
void addChannelPlane(const HeldBuffer& held, ImageSize size, ImageChannel channel,
                     host::ByteArray& plane);
void greyscalePlanes(const HeldBuffer& held, ImageColour& image, GreyComponent component,
                     const FilterRoutines& routines);

} // namespace marrowset
