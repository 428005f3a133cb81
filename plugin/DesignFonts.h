#pragma once

#include <QFont>

namespace plugin {

// The faces the windows' texts were designed in, both at 8.25 points.
enum class DesignFace { MsSansSerif, Arial };

// The font of `face` at the design size; where the face is missing, the
// nearest sans-serif font of that size stands in.
inline QFont designFont(DesignFace face = DesignFace::MsSansSerif) {
    QFont font(face == DesignFace::Arial ? QStringLiteral("Arial")
                                         : QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

} // namespace plugin
