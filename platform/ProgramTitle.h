#pragma once

#include "platform/ScopedOverride.h"

#include <QString>

namespace platform {

// The caption of every message box of the program, and the name its
// messages on standard error start with. Until it is set, and while it is
// set to an empty text, the application's name. Returns the title set
// before.
QString setProgramTitle(QString title);
QString programTitle();

using ScopedProgramTitle = ScopedOverride<QString, &setProgramTitle>;

} // namespace platform
