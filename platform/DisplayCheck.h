#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

// The exit status of a program that ends because there is no display.
inline constexpr int kNoDisplayStatus = 2;

// Why an application built from `qtArguments` (its command line, program
// name first) in `environment` would find no display: the Qt platform it
// would load (a -platform option, else QT_QPA_PLATFORM, else the desktop
// default; of a fallback list "a;b", every entry) needs one, and neither
// DISPLAY nor WAYLAND_DISPLAY names one. Empty when there is a display or
// the platform needs none. Qt itself ends such an application with an abort.
std::optional<QString> missingDisplay(const QStringList& qtArguments,
                                      const QProcessEnvironment& environment);

// For main, before the application object is built: when this process has
// no display, writes "<program>: <why>; <wayOut>" as one line on standard
// error and returns true.
bool reportMissingDisplay(int argc, const char* const* argv, const QString& program,
                          const QString& wayOut);

} // namespace platform
