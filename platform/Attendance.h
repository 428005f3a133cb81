#pragma once

#include <QString>

namespace platform {

// Whether a person can answer a dialog of this program. Not on the Qt
// platforms that show nothing to anyone (offscreen, minimal): tests and a
// headless host run there, and a modal dialog would wait for ever. Needs
// the application object.
bool personCanAnswer();

// Writes on standard error, as "<program title>: <text> [<what happened>]",
// what a dialog nobody could answer would have asked, and what was done in
// the person's place.
void reportUnanswered(const QString& text, const QString& whatHappened);

} // namespace platform
