#pragma once

#include <QFont>

namespace cinderloom {

// The windows' texts were designed in "MS Sans Serif" at 8.25 points; where
// that font is missing, the nearest sans-serif font of that size stands in.
inline QFont designFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

} // namespace cinderloom
