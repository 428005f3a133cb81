#pragma once

#include <QWidget>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace cinderloom {

// A theme key whose text is not a number, or whose number does not fit a
// 32-bit integer; the message names the key and its text.
class ThemeSettingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The backdrop colour of themed windows, their check boxes and frames: fixed,
// never read from the store. 0x00BBGGRR, i.e. (143, 149, 158).
inline constexpr int32_t kThemeBackdropColor = 10392975;

// The theme colours this program uses, as 0x00BBGGRR values exactly as
// stored; a value that is no colour fails only where it is applied.
struct HostTheme {
    int32_t shine = 0;
    int32_t shadow = 0;
    int32_t scrollFill = 0;
    int32_t scrollBar = 0;
    int32_t textboxFill = 0;
    int32_t textboxText = 0;
    bool borderlessScrollers = false;
};

// Reads all 19 theme keys of the host's settings store in the host's order,
// the unused ones included, so that a bad value anywhere is noticed. Throws
// ThemeSettingError or platform::SettingsError.
HostTheme readHostTheme();

// Recolours the controls by kind. Each single setting whose colour the
// control refuses (a value that is no colour) is skipped and the rest go on;
// any other failure goes on to the caller. Labels keep their designed colour.
void recolourControls(const HostTheme& theme, const std::vector<QWidget*>& controls);

} // namespace cinderloom
