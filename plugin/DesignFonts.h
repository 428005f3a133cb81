#pragma once

#include <QFont>
#include <QStringList>

namespace plugin {

// The faces the windows' texts were designed in, both at 8.25 points.
enum class DesignFace { MsSansSerif, Arial };

inline constexpr double kDesignPointSize = 8.25;

// Families that share Arial's advance widths, best first. The design faces
// are missing on Linux; these take exactly the room the boxes were drawn for.
const QStringList& metricCompatibleFamilies();

// `candidate` at the design size, or, where its letters run wider than
// Arial's, at the largest size (in steps of a quarter point) at which a
// sample of ordinary text is no wider than in Arial at the design size.
QFont fittedToDesignWidths(QFont candidate);

// The font `face` is shown in, given the families installed: the first
// metric-compatible family at the design size; without one, the face's usual
// substitute fitted to the design widths.
QFont designFontAmong(DesignFace face, const QStringList& installedFamilies);

// The font `face` is shown in on this system.
QFont designFont(DesignFace face = DesignFace::MsSansSerif);

} // namespace plugin
