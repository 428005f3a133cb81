#include "platform/DisplayCheck.h"

#include <cstdio>

namespace platform {

namespace {

// What the application would be told to load, as Qt reads it: the command
// line's option wins over the environment; empty for the default.
QString requestedPlatforms(const QStringList& qtArguments, const QProcessEnvironment& environment) {
    for (qsizetype i = 1; i + 1 < qtArguments.size(); ++i) {
        const QString& argument = qtArguments[i];
        if (argument == QLatin1String("-platform") || argument == QLatin1String("--platform"))
            return qtArguments[i + 1];
    }
    return environment.value(QStringLiteral("QT_QPA_PLATFORM"));
}

// `platform` is one entry of the list, possibly with options after a colon
// ("xcb:option=value"). The desktop default is X11 or Wayland; platforms this
// does not know (offscreen, minimal, eglfs, vnc ...) are left to Qt.
bool needsDisplay(const QString& platform) {
    const QString name = platform.section(QLatin1Char(':'), 0, 0).trimmed();
    return name.isEmpty() || name == QLatin1String("xcb") ||
           name.startsWith(QLatin1String("wayland"));
}

bool displayNamed(const QProcessEnvironment& environment) {
    return !environment.value(QStringLiteral("DISPLAY")).isEmpty() ||
           !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
}

} // namespace

std::optional<QString> missingDisplay(const QStringList& qtArguments,
                                      const QProcessEnvironment& environment) {
    if (displayNamed(environment))
        return std::nullopt;
    const QString requested = requestedPlatforms(qtArguments, environment);
    const QStringList candidates = requested.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& candidate : candidates)
        if (!needsDisplay(candidate))
            return std::nullopt;
    const QString platform = candidates.isEmpty()
                                 ? QStringLiteral("the default Qt platform")
                                 : QStringLiteral("the Qt platform \"%1\"").arg(requested);
    return QStringLiteral("no display: DISPLAY and WAYLAND_DISPLAY are unset, and %1 needs one")
        .arg(platform);
}

bool reportMissingDisplay(int argc, const char* const* argv, const QString& program,
                          const QString& wayOut) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const std::optional<QString> why =
        missingDisplay(arguments, QProcessEnvironment::systemEnvironment());
    if (!why)
        return false;
    std::fprintf(stderr, "%s: %s; %s\n", qPrintable(program), qPrintable(*why), qPrintable(wayOut));
    std::fflush(stderr);
    return true;
}

} // namespace platform
