#include "plugin/DesignFonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>

namespace plugin {
namespace {

// Labels and captions are words in lower case, and lower-case letters are
// where sans-serif faces differ most from Arial's widths: the lower-case
// alphabet's width in Arial is the yardstick a substitute is held to.
const QString kWidthSample = QStringLiteral("abcdefghijklmnopqrstuvwxyz");

// The sample's advance in Arial, in ems: the sum of its glyphs' advance
// widths, at 2048 units to the em.
constexpr double kArialSampleWidthInEms = 26067.0 / 2048.0;

// Below this a substitute is not made any smaller: text would be unreadable.
constexpr double kSmallestPointSize = 6.0;

QString designFamily(DesignFace face) {
    return face == DesignFace::Arial ? QStringLiteral("Arial") : QStringLiteral("MS Sans Serif");
}

double sampleWidth(const QFont& font) {
    return QFontMetricsF(font).horizontalAdvance(kWidthSample);
}

} // namespace

const QStringList& metricCompatibleFamilies() {
    static const QStringList families{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")};
    return families;
}

QFont fittedToDesignWidths(QFont candidate) {
    candidate.setPointSizeF(kDesignPointSize);
    // The em in pixels at the design size, as this font is laid out.
    const double emPixels = QFontMetricsF(candidate).fontDpi() * kDesignPointSize / 72.0;
    const double designWidth = kArialSampleWidthInEms * emPixels;
    double size = kDesignPointSize;
    // Hinting rounds advances, so the width is measured at each step rather
    // than scaled once.
    while (sampleWidth(candidate) > designWidth && size > kSmallestPointSize) {
        size -= 0.25;
        candidate.setPointSizeF(size);
    }
    return candidate;
}

QFont designFontAmong(DesignFace face, const QStringList& installedFamilies) {
    for (const QString& family : metricCompatibleFamilies()) {
        if (installedFamilies.contains(family)) {
            QFont font(family);
            font.setPointSizeF(kDesignPointSize);
            return font;
        }
    }
    QFont font(designFamily(face));
    font.setStyleHint(QFont::SansSerif);
    return fittedToDesignWidths(font);
}

QFont designFont(DesignFace face) {
    return designFontAmong(face, QFontDatabase::families());
}

} // namespace plugin
